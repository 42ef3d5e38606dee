#!/usr/bin/env python3
"""Floating-view benchmarks, run by hand after bench/run.sh has built build-bench:
    python3 bench/panels_bench.py [--presses 20] [--idle 30]
(DICTRAVA_BENCH_APP picks another build of the app.)

Starts a private Xvfb and session bus and the dictrava app, then measures:
  - Ctrl+Space to the Command Deck's first frame on screen, over --presses presses (p50, p95; the first
    press, which builds the window, reported apart)
  - CPU of the app over --idle seconds with the focus HUD shown and nothing changing
  - resident memory idle, and with the deck, the HUD and the briefing card all made
"""
import argparse, os, queue, shutil, signal, statistics, subprocess, sys, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-bench", "src")
APP = os.environ.get("DICTRAVA_BENCH_APP", os.path.join(BUILD, "dictrava"))
CLI = os.path.join(os.path.dirname(APP), "dictrava-cli")


class Lines:
    """Reads a child's standard output on a thread, line by line, with the time each arrived."""

    def __init__(self, stream):
        self.queue = queue.Queue()
        threading.Thread(target=self._pump, args=(stream,), daemon=True).start()

    def _pump(self, stream):
        for line in iter(stream.readline, ""):
            self.queue.put((time.monotonic(), line.rstrip("\n")))

    def wait_for(self, predicate, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                at, line = self.queue.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                break
            if predicate(line):
                return at, line
        raise TimeoutError("no matching line")


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--presses", type=int, default=20)
    parser.add_argument("--idle", type=int, default=30)
    args = parser.parse_args()
    if not os.path.exists(APP):
        sys.exit("build first: bench/run.sh (it builds build-bench)")

    work = tempfile.mkdtemp(prefix="dictrava-bench-")
    children = []
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"), XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_RUNTIME_DIR=os.path.join(work, "run"), QT_QPA_PLATFORM="xcb")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                stdout=subprocess.PIPE, text=True)
        children.append(xvfb)
        env["DISPLAY"] = ":" + xvfb.stdout.readline().strip()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                               text=True, env=env)
        children.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()

        app = subprocess.Popen([APP], env=env, stdout=subprocess.PIPE, text=True)
        children.append(app)
        lines = Lines(app.stdout)
        lines.wait_for(lambda l: l.startswith("[Shell] Ready"))
        time.sleep(5)  # the speech model loads in the background
        idle_rss = rss_mb(app.pid)

        def cli(*arguments):
            subprocess.run([CLI, *arguments], env=env, check=True, capture_output=True)

        def press():
            pressed = time.monotonic()
            subprocess.run(["xdotool", "key", "ctrl+space"], env=env, check=True)
            return pressed

        latencies = []
        for _ in range(args.presses):
            pressed = press()
            at, _ = lines.wait_for(lambda l: l == "[Deck] On screen", timeout=10)
            latencies.append((at - pressed) * 1000)
            time.sleep(0.2)
            press()  # hides it again
            time.sleep(0.3)
        later = latencies[1:]
        print("Ctrl+Space to the deck on screen: first %.0f ms; then over %d presses p50 %.0f ms, p95 %.0f ms"
              % (latencies[0], len(later), percentile(later, 50), percentile(later, 95)))
        print("  each press (ms): " + ", ".join("%.0f" % l for l in latencies))

        cli("focus", "--text", "goal: ship the beta. write the copy; design the hero; deploy it")
        time.sleep(2)
        before = cpu_seconds(app.pid)
        time.sleep(args.idle)
        print("CPU with the focus HUD shown, over %d s: %.2f %%"
              % (args.idle, (cpu_seconds(app.pid) - before) / args.idle * 100))

        cli("briefing", "--text", "call the bank then email Sam about the offsite")  # the deck and the card
        time.sleep(3)
        print("resident memory: idle %.1f MB; deck, HUD and briefing card made %.1f MB"
              % (idle_rss, rss_mb(app.pid)))
    finally:
        for child in reversed(children):
            child.send_signal(signal.SIGTERM)
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                child.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
