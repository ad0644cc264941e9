#!/usr/bin/env python3
"""Soak run of the console: vemo (headless) against vemo-decksim with reply faults switched
on, driven through its command server for a given time, then checked for life, sanitizer
reports, resource growth (2 MB at most after warm-up, reported per hour), reviews that
never ended, unexpected log lines and a clean exit."""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # leave no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import soak_checks  # noqa: E402
from soak_traffic import Connection, Traffic, frames_to_tc, tc_to_frames  # noqa: E402

PORT = 2001  # fixed by the console
REVIEW_ENDINGS = {"x#x#x#", "CUE REFUSED!", "CUE TIMEOUT!", "REVIEW GAVE UP!", "REVIEW ENDED!",
                  "DECK DID NOT ANSWER!"}
# After warm-up a day of cueing costs no memory: 2 MB is all the resident memory may grow.
RSS_GROWTH_KB = 2 * 1024
SIM_FAULTS = ["--drop", "0.05", "--garbage", "0.05", "--nak", "0.02", "--reply-delay", "5", "--pace"]


def log(text):
    print(f"soak: {text}", flush=True)


def port_in_use(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        pass
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", port))
        return False
    except OSError:
        return True
    finally:
        probe.close()


def wait_for(predicate, timeout, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


class Sampler(threading.Thread):
    """Reads the console's resident memory and thread count once a second."""

    def __init__(self, pid, t0, csv_path):
        super().__init__(daemon=True)
        self.pid, self.t0, self.samples = pid, t0, []
        self.stop = threading.Event()
        self.csv = open(csv_path, "w", encoding="ascii")
        self.csv.write("seconds,vmrss_kb,threads,rssanon_kb\n")

    def run(self):
        while not self.stop.wait(1.0):
            status = soak_checks.read_status(self.pid)
            if status is None:
                break
            sample = (time.monotonic() - self.t0,) + status
            self.samples.append(sample)
            self.csv.write("%.1f,%d,%d,%d\n" % sample)
            self.csv.flush()
        self.csv.close()


class Driver:
    def __init__(self, args, run_dir):
        self.args, self.run_dir = args, run_dir
        self.traffic = Traffic(args.seed)
        self.rng = self.traffic.rng
        self.stats = dict(sessions=0, lines=0, bytes=0, resets=0, long_lines=0, closed_by_console=0)
        self.reviews = []  # seconds from Review to its ending word; None when none came
        self.endings = {}  # ending word -> how many reviews ended with it
        self.failures = []

    def fail(self, text):
        self.failures.append(text)
        log("FAIL " + text)

    def connect(self):
        """A new connection with its greeting, or None (and a failure) when none comes."""
        end = time.monotonic() + self.args.answer_timeout
        while time.monotonic() < end:
            try:
                conn = Connection(PORT, self.args.answer_timeout)
            except OSError:
                time.sleep(0.5)
                continue
            if conn.expect(lambda l: l == "OK", max(1.0, end - time.monotonic())):
                self.stats["sessions"] += 1
                return conn
            conn.reset()
        self.fail(f"no \"OK\" greeting within {self.args.answer_timeout:.0f} s")
        return None

    def review(self):
        """tc1, tc2, Review on a fresh connection; waits for the word that ends it: "x#x#x#"
        at the out point, or the word of a refused or timed-out cue or a review that gave up
        (the simulator refuses some frames on purpose)."""
        conn = self.connect()
        if conn is None:
            return
        tc = conn.ask_tc(self.args.answer_timeout)
        if tc is None:
            self.fail("GetTC got no time code before a review")
            conn.reset()
            return
        # In point just ahead of the tape, so even a cue the deck refused ends soon.
        start = min(tc_to_frames(tc), 23 * 108000) + 60
        length = self.rng.randint(30, 90)
        conn.lines.clear()
        ok = conn.send(f"tc1{frames_to_tc(start)}\ntc2{frames_to_tc(start + length)}\nReview\n".encode())
        t0 = time.monotonic()
        words = []  # when each progress word came, for the report of a slow review

        def progress(line):
            words.append(f"{line} {time.monotonic() - t0:.1f}s")
            return line in REVIEW_ENDINGS

        got = conn.expect(progress, self.args.review_timeout) if ok else None
        if got:
            self.endings[got] = self.endings.get(got, 0) + 1
        took = time.monotonic() - t0
        self.reviews.append(took if got else None)
        where = f"in {frames_to_tc(start)} out {frames_to_tc(start + length)}: {', '.join(words)}"
        if got is None:
            self.fail(f"review {len(self.reviews)} got no ending word within "
                      f"{self.args.review_timeout:.0f} s ({where})")
        elif took > 30:
            log(f"slow review {len(self.reviews)} ({where})")
        conn.send(b"Close\n")
        conn.close()

    def chaos(self):
        """A burst of random lines; the session ends in one of the ways a client can end it."""
        conn = self.connect()
        if conn is None:
            return
        if conn.ask_tc(self.args.answer_timeout) is None:
            self.fail("GetTC got no time code at the start of a session")
        for _ in range(self.rng.randint(10, 120)):
            pieces, count = self.traffic.burst()
            self.stats["lines"] += count
            for piece in pieces:
                if not conn.send(piece):
                    break
                self.stats["bytes"] += len(piece)
            conn.pump(self.rng.choice([0, 0, 0.005, 0.02]))
            if conn.closed:  # junk held an empty line: the console ended the connection
                self.stats["closed_by_console"] += 1
                conn.reset()
                return
        end = self.rng.random()
        if end < 0.15:
            self.stats["resets"] += 1
            conn.reset()
            return
        if end < 0.25:
            self.stats["long_lines"] += 1
            conn.send(self.traffic.over_long())
        else:
            conn.send(self.rng.choice([b"Close\n", b"KILL\n", b"\n", b"Close\r\n", b"\r"]))
        conn.close()

    def drive(self, seconds):
        end = time.monotonic() + seconds
        next_review, next_report = time.monotonic() + 3, time.monotonic() + 60
        while time.monotonic() < end and not self.failures:
            if self.vemo.poll() is not None:
                self.fail(f"vemo ended during the run (exit code {self.vemo.returncode})")
                return
            kind = self.args.traffic
            if kind == "idle":
                time.sleep(1)
            elif kind == "reviews" or (kind == "mixed" and time.monotonic() >= next_review):
                self.review()
                next_review = time.monotonic() + self.rng.uniform(3, 10)
            else:
                self.chaos()
            if time.monotonic() >= next_report:
                left = max(0, end - time.monotonic())
                log(f"{len(self.reviews)} reviews, {self.stats['sessions']} sessions, {left:.0f} s to go")
                next_report += 60

    def start(self):
        a = self.args
        link = os.path.join(self.run_dir, "deck")
        sim_cmd = [a.decksim, "--link", link, "--type", "recon", "--seed", str(a.seed)] + SIM_FAULTS
        if a.sim_log:
            sim_cmd += ["--log", os.path.join(self.run_dir, "decksim.log")]
        self.sim = subprocess.Popen(sim_cmd, cwd=self.run_dir, stdout=subprocess.DEVNULL,
                                    stderr=open(os.path.join(self.run_dir, "decksim.err"), "w"))
        if not wait_for(lambda: os.path.exists(link), 30):
            raise RuntimeError("the deck simulator did not make its line")
        with open(os.path.join(self.run_dir, "VemoSettings.txt"), "w", encoding="ascii") as f:
            f.write(f"COMPort={link}\nVCRType=RECON\nUserNote=Soak\nVerbose=NO\n"
                    "UseClipboard=NO\nStopOnExit=YES\nServerAddress=127.0.0.1\n")
        # The console's home and XDG folders are in the run directory: nothing of the run
        # reaches the operator's own.
        home = os.path.join(self.run_dir, "home")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.run_dir,
                   HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   XDG_STATE_HOME=os.path.join(home, ".local", "state"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"))
        os.makedirs(env["XDG_CONFIG_HOME"], exist_ok=True)
        # A small quarantine of freed memory, so that it fills early instead of growing the
        # process by its default 256 MB over the run.
        env["ASAN_OPTIONS"] = f"detect_leaks=1:abort_on_error=0:quarantine_size_mb={max(1, a.asan_quarantine_mb)}"
        env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1"
        env["LSAN_OPTIONS"] = f"suppressions={a.lsan_supp}:print_suppressions=0"
        os.chmod(self.run_dir, 0o700)
        self.stderr_path = os.path.join(self.run_dir, "vemo.stderr")
        self.vemo = subprocess.Popen([a.vemo], cwd=self.run_dir, env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=open(self.stderr_path, "w"))
        self.log_path = os.path.join(self.run_dir, "VemoLog.txt")
        listening = "Command server listening on 127.0.0.1:2001"
        ready = lambda: "Ready" in read_text(self.log_path).splitlines() and listening in read_text(self.log_path)
        if not wait_for(lambda: ready() or self.vemo.poll() is not None or "Command server:" in read_text(self.log_path), 120):
            raise RuntimeError("vemo did not log \"Ready\" within 120 s")
        if not ready():
            raise RuntimeError("vemo did not start its command server:\n" + read_text(self.log_path))

    def finish(self):
        """The checks after the run; vemo is stopped with SIGTERM on the way."""
        conn = self.connect() if self.vemo.poll() is None else None
        if self.vemo.poll() is not None:
            self.fail(f"vemo is not running at the end (exit code {self.vemo.returncode})")
        elif conn is None or conn.ask_tc(self.args.answer_timeout) is None:
            self.fail("vemo gave no time code for GetTC at the end")
        if conn:
            conn.send(b"Close\n")
            conn.close()
        self.sampler.stop.set()
        self.sampler.join()
        ok, text = soak_checks.growth(self.sampler.samples, self.settle, RSS_GROWTH_KB, 2,
                                      self.args.asan_quarantine_mb * 1024)
        log(text)
        if not ok:
            self.fail("resources grew: " + text)
        done = [r for r in self.reviews if r is not None]
        if not self.reviews and self.args.traffic in ("mixed", "reviews"):
            self.fail("no review was run")
        else:
            log(f"{len(done)} of {len(self.reviews)} reviews ended, longest {max(done, default=0):.1f} s; "
                + ", ".join(f"{w} {n}" for w, n in sorted(self.endings.items())))
            if done and self.endings.get("x#x#x#", 0) * 2 < len(done):
                self.fail("fewer than half the reviews reached their out point")
        if self.vemo.poll() is None:
            self.vemo.send_signal(signal.SIGTERM)
            try:
                code = self.vemo.wait(120)
                if code != 0:
                    self.fail(f"vemo exited with {code} after SIGTERM, not 0")
            except subprocess.TimeoutExpired:
                self.fail("vemo did not exit within 120 s of SIGTERM")
                self.vemo.kill()
                self.vemo.wait()
        reports = soak_checks.sanitizer_lines(read_text(self.stderr_path))
        if reports:
            self.fail(f"sanitizer report in {self.stderr_path}: " + reports[0])
        odd = soak_checks.unexpected_log_lines(read_text(self.log_path))
        for line, n in list(odd.items())[:10]:
            self.fail(f"unexpected log line ({n}x): {line!r}")

    def run(self):
        self.start()
        t0 = time.monotonic()
        self.sampler = Sampler(self.vemo.pid, t0, os.path.join(self.run_dir, "resources.csv"))
        self.sampler.start()
        seconds = self.args.seconds
        self.settle = 60.0 if seconds >= 240 else seconds * 0.25
        log(f"vemo pid {self.vemo.pid} ready; driving for {seconds} s in {self.run_dir}")
        self.drive(seconds)
        self.finish()
        s = self.stats
        log(f"{s['sessions']} sessions, {s['lines']} lines ({s['bytes']} bytes), "
            f"{s['long_lines']} over-long lines, {s['resets']} resets, "
            f"{s['closed_by_console']} closed by junk, {len(self.reviews)} reviews")

    def stop_children(self):
        for proc in (getattr(self, "vemo", None), getattr(self, "sim", None)):
            if proc is not None and proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(30)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--vemo", required=True)
    p.add_argument("--decksim", required=True)
    p.add_argument("--lsan-supp", default="")
    p.add_argument("--seconds", type=float, default=60)
    p.add_argument("--seed", type=int, default=int(time.time()) % 100000)
    p.add_argument("--review-timeout", type=float, default=90)
    p.add_argument("--answer-timeout", type=float, default=30)
    p.add_argument("--keep", action="store_true", help="keep the run directory")
    p.add_argument("--asan-quarantine-mb", type=int, default=0,
                   help="sanitizer build: quarantine size, allowed as extra memory growth")
    p.add_argument("--sim-log", action="store_true", help="the simulator logs every frame")
    p.add_argument("--traffic", choices=["mixed", "chaos", "reviews", "idle"], default="mixed",
                   help="what to send: both kinds of session (default), one kind, or nothing")
    args = p.parse_args()
    args.vemo, args.decksim = os.path.abspath(args.vemo), os.path.abspath(args.decksim)
    if port_in_use(PORT):
        log(f"FAIL port {PORT} is in use on this machine; the console's command server needs it")
        return 2
    run_dir = tempfile.mkdtemp(prefix="vemo-soak-")
    log(f"seed {args.seed}")
    driver = Driver(args, run_dir)
    try:
        driver.run()
    except (RuntimeError, OSError) as e:
        driver.fail(str(e))
    finally:
        driver.stop_children()
    if driver.failures:
        log(f"FAILED ({len(driver.failures)} problems); the run is kept in {run_dir}")
        for f in driver.failures:
            print("  - " + f)
        return 1
    log("PASSED")
    if args.keep:
        log(f"the run is kept in {run_dir}")
    else:
        shutil.rmtree(run_dir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
