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
}
ALLOWED_PATTERNS = [
    re.compile(r"^Serial Port \S.* Opened OK$"),
    re.compile(r"^ (Halvo|Vemo) Video Deck Console$"),
    # The settings echo: a label padded to 17 characters, "= ", the value.
    re.compile(r"^[A-Za-z][A-Za-z ]{16}= "),
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


# The toolkit keeps the button images it paints in a pixmap cache of up to 10 MB. Each new
# highlight or enabled state adds to it, so it fills over the first minutes of a run (more
# slowly when few states change) and then stays put: growth up to that much is allowed.
PIXMAP_CACHE_KB = 10 * 1024


def growth(samples, settle_s, rss_tolerance, thread_tolerance, quarantine_kb=0):
    """Compares the resources of the last part of the run with those at the end of the
    settling time. samples: (seconds since ready, rss kB, threads, ...). quarantine_kb: the
    sanitizer's store of freed memory, which also fills as the run goes. Returns (ok, text)."""
    early = [s for s in samples if s[0] <= settle_s]
    late_from = max(settle_s, samples[-1][0] * 0.9) if samples else 0
    late = [s for s in samples if s[0] >= late_from]
    if len(early) < 3 or len(late) < 3:
        return False, f"too few resource samples ({len(samples)})"
    # The settled level is taken from the samples around the end of the settling time.
    window = [s for s in early if s[0] >= settle_s - 5] or early[-3:]
    rss0 = statistics.median(s[1] for s in window)
    rss1 = statistics.median(s[1] for s in late)
    limit = rss0 * (1 + rss_tolerance) + PIXMAP_CACHE_KB + quarantine_kb
    thr0 = max(s[2] for s in early)
    thr1 = max(s[2] for s in late)
    ok = rss1 <= limit and thr1 <= thr0 + thread_tolerance
    text = (
        f"RSS {rss0 / 1024:.1f} MB at {settle_s:.0f} s -> {rss1 / 1024:.1f} MB at the end "
        f"(limit {limit / 1024:.1f} MB: +{rss_tolerance * 100:.0f}% + {PIXMAP_CACHE_KB // 1024} MB "
        f"pixmap cache + {quarantine_kb // 1024} MB sanitizer quarantine), peak {max(s[1] for s in samples) / 1024:.1f} MB; "
        f"threads {thr0} -> {thr1} (limit +{thread_tolerance})"
    )
    return ok, text
