"""End-of-run checks of the soak run: resources, sanitizer reports, the console's log."""

import re
import statistics

SANITIZER_MARKS = ["ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer", "ThreadSanitizer"]

# Every line the console writes to VemoLog.txt in this setting (a RECON deck on the
# simulator's pseudo-terminal, no auxiliary port, no script, a command server on loopback).
ALLOWED_EXACT = {
    "",
    " ",
    "Ready",
    "Cue/Review/Play Finished!",
    "Server Loop Close",
    # A client that dies (the driver resets some connections on purpose).
    "Server ReadLine I/O Error",
    # A review whose out point is not after its in point.
    "No Review is possible",
    # A pseudo-terminal has no modem lines.
    "Unable to set DTR",
    "Unable to set RTS",
    "Command server listening on 127.0.0.1:2001",
    "Command server allows clients from this machine only (127.0.0.1)",
    # A cue or review that another command ended; a cue frame the deck refused (the
    # simulator refuses some frames on purpose); a review whose play frame was refused.
    "Cue ended by another command",
    "Review ended by another command",
    "Cue refused by the deck",
    "Review gave up: the time code stood still",
    "Review gave up: the out point was not reached in twice the clip's length",
    # A command frame or its reply lost on the line twice in a row (the simulator drops some
    # on purpose): a cue then ends at once.
    "Deck did not answer a command, nor its repeat",
    "Cue ended: the deck did not answer the cue frame",
    # Replies dropped or delayed for a second in a row on a loaded machine.
    "Deck not answering",
    "Deck answering again",
}
ALLOWED_PATTERNS = [
    re.compile(r"^Serial Port \S.* Opened OK$"),
    re.compile(r"^ (Halvo|Vemo) Video Deck Console$"),
    # The settings echo: a label padded to 17 characters, "= ", the value.
    re.compile(r"^[A-Za-z][A-Za-z ]{16}= "),
    re.compile(r"^last line repeated \d+ times$"),
    # A refused time text (the driver sends bad ones on purpose), logged with its reason.
    re.compile(r"^(Cue|Out) point is (not a time code|out of range): "),
    # A connection's ending is one group of lines, counted like a repeated line.
    re.compile(r"^last \d+ lines repeated \d+ times$"),
]


def unexpected_log_lines(text):
    """The log lines outside the allow-list, with how often each came."""
    counts = {}
    for line in text.splitlines():
        if line in ALLOWED_EXACT or any(p.match(line) for p in ALLOWED_PATTERNS):
            continue
        counts[line] = counts.get(line, 0) + 1
    return counts


def sanitizer_lines(text):
    return [l for l in text.splitlines() if any(m in l for m in SANITIZER_MARKS)]


def read_status(pid):
    """VmRSS in kB, the thread count and RssAnon in kB of a running process, or None once it
    is gone."""
    try:
        with open(f"/proc/{pid}/status", encoding="ascii", errors="replace") as f:
            fields = dict(l.split(":", 1) for l in f if ":" in l)
        kb = lambda key: int(fields[key].split()[0])  # noqa: E731
        return kb("VmRSS"), int(fields["Threads"]), kb("RssAnon")
    except (OSError, KeyError, ValueError):
        return None


def growth(samples, settle_s, rss_limit_kb, thread_tolerance, quarantine_kb=0):
    """Compares the resources of the last part of the run with those at the end of the
    settling time. samples: (seconds since ready, rss kB, threads, ...). rss_limit_kb: the
    growth allowed after warm-up; quarantine_kb: the sanitizer's store of freed memory, which
    also fills as the run goes. Returns (ok, text), the text with the growth per hour."""
    early = [s for s in samples if s[0] <= settle_s]
    late_from = max(settle_s, samples[-1][0] * 0.9) if samples else 0
    late = [s for s in samples if s[0] >= late_from]
    if len(early) < 3 or len(late) < 3:
        return False, f"too few resource samples ({len(samples)})"
    # The settled level is taken from the samples around the end of the settling time.
    window = [s for s in early if s[0] >= settle_s - 5] or early[-3:]
    rss0 = statistics.median(s[1] for s in window)
    rss1 = statistics.median(s[1] for s in late)
    limit = rss0 + rss_limit_kb + quarantine_kb
    hours = max(1e-6, (statistics.median(s[0] for s in late) - statistics.median(s[0] for s in window)) / 3600)
    per_hour = (rss1 - rss0) / 1024 / hours
    thr0 = max(s[2] for s in early)
    thr1 = max(s[2] for s in late)
    ok = rss1 <= limit and thr1 <= thr0 + thread_tolerance
    text = (
        f"RSS {rss0 / 1024:.1f} MB at {settle_s:.0f} s -> {rss1 / 1024:.1f} MB at the end "
        f"(limit {limit / 1024:.1f} MB: +{rss_limit_kb / 1024:.0f} MB + {quarantine_kb // 1024} MB "
        f"sanitizer quarantine), growth {per_hour:+.1f} MB/h, peak {max(s[1] for s in samples) / 1024:.1f} MB; "
        f"threads {thr0} -> {thr1} (limit +{thread_tolerance})"
    )
    return ok, text
