#!/usr/bin/env python3
"""Desktop benchmarks, run by hand after bench/run.sh has built build-bench:
    python3 bench/desktop_bench.py [--runs 20] [--dictations 50] [--idle 60]
(DICTRAVA_BENCH_APP picks another build of the app, e.g. one with sanitizers.)

Starts a private Xvfb, PulseAudio server (pipe microphone), session bus and the dictrava app, with
a Tk text field of another process focused, then measures:
  - start-up to ready (the tray icon, or the panel window without a tray), median of 5 launches
  - key release to text in the field over --runs dictations (p50, p95)
  - CPU of the idle app over --idle seconds
  - resident memory idle and after --dictations dictations
"""
import argparse, os, queue, select, shutil, signal, statistics, subprocess, sys, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-bench", "src")
APP = os.environ.get("DICTRAVA_BENCH_APP", os.path.join(BUILD, "dictrava"))
SENTENCES = [
    "please send the quarterly report to the finance team",
    "the meeting starts at ten in the main conference room",
    "remember to water the plants before you leave",
    "we should review the budget before the end of the month",
    "call the dentist and book an appointment for friday",
    "can you check whether the server is running again",
    "the train was late because of the snow",
    "buy milk bread and eggs on the way home",
    "turn off the lights when you leave the office",
    "write down the phone number before you forget it",
]
FIELD = r"""
import os, sys, time, tkinter as tk
root = tk.Tk(); root.geometry("640x60+300+200")
text = tk.StringVar()
entry = tk.Entry(root, textvariable=text, width=70); entry.pack(fill="x", padx=8, pady=8)
def say(line): sys.stdout.write(line + "\n"); sys.stdout.flush()
text.trace_add("write", lambda *_: say("%.6f %s" % (time.monotonic(), text.get())))
def command(*_):
    for line in os.read(0, 4096).decode().split():
        if line == "focus": root.focus_force(); entry.focus_set(); root.after(150, lambda: say("focused"))
        elif line == "clear": text.set("")
root.tk.createfilehandler(sys.stdin, tk.READABLE, command)
root.after(100, lambda: say("ready"))
root.mainloop()
"""


class Lines:
    """Reads a child's standard output on a thread, line by line."""

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


class Microphone:
    """Keeps the pipe source fed in real time: queued speech, zeros otherwise."""

    def __init__(self, fifo):
        self.fd = os.open(fifo, os.O_RDWR)
        self.pending = bytearray()
        self.lock = threading.Lock()
        threading.Thread(target=self._feed, daemon=True).start()

    def _feed(self):
        chunk = 640  # 20 ms at 16 kHz, 16-bit mono
        next_at = time.monotonic()
        while True:
            with self.lock:
                data = bytes(self.pending[:chunk])
                del self.pending[:chunk]
            os.write(self.fd, data.ljust(chunk, b"\0"))
            next_at += 0.02
            time.sleep(max(0, next_at - time.monotonic()))

    def play(self, raw):
        with self.lock:
            self.pending += raw

    def wait_until_played(self, timeout=30):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                if not self.pending:
                    return
            time.sleep(0.01)
        raise TimeoutError("the sound server stopped reading the microphone pipe")


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def render(text, folder, index):
    wav, raw = os.path.join(folder, "%d.wav" % index), os.path.join(folder, "%d.raw" % index)
    run(["flite", "-voice", "slt", "-t", text, "-o", wav])
    run(["sox", wav, "-r", "16000", "-c", "1", "-b", "16", "-e", "signed", "-t", "raw", raw])
    with open(raw, "rb") as f:
        return f.read()


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
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--dictations", type=int, default=50)
    parser.add_argument("--idle", type=int, default=60)
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

        fifo = os.path.join(work, "mic.fifo")
        script = os.path.join(work, "server.pa")
        with open(script, "w") as f:
            f.write("load-module module-native-protocol-unix auth-anonymous=1\n"
                    "load-module module-null-sink sink_name=out\n"
                    "load-module module-pipe-source source_name=mic file=%s format=s16le rate=16000 channels=1\n"
                    "set-default-source mic\n" % fifo)
        pulse_env = dict(env, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "pulse-config"))
        for name in ("DISPLAY", "PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS"):
            pulse_env.pop(name, None)
        pulse = subprocess.Popen(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--file=" + script,
                                  "--use-pid-file=false", "--realtime=false", "--high-priority=false",
                                  "--log-target=stderr", "--log-level=error"], env=pulse_env)
        children.append(pulse)
        env["PULSE_SERVER"] = "unix:" + os.path.join(env["XDG_RUNTIME_DIR"], "pulse", "native")
        for _ in range(100):
            if subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        microphone = Microphone(fifo)

        speech = [render(s, work, i) for i, s in enumerate(SENTENCES)]

        startups = []
        for _ in range(5):
            started = time.monotonic()
            app = subprocess.Popen([APP], env=env, stdout=subprocess.PIPE, text=True)
            ready_at, _ = Lines(app.stdout).wait_for(lambda l: l.startswith("[Shell] Ready"))
            startups.append((ready_at - started) * 1000)
            app.terminate()
            app.wait(10)
        print("start-up to ready: median %.0f ms (runs: %s)" % (statistics.median(startups),
                                                               ", ".join("%.0f" % s for s in startups)))

        app = subprocess.Popen([APP], env=env, stdout=subprocess.PIPE, text=True)
        children.append(app)
        Lines(app.stdout).wait_for(lambda l: l.startswith("[Shell] Ready"))
        field = subprocess.Popen([sys.executable, "-c", FIELD], env=env, stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, text=True)
        children.append(field)
        field_lines = Lines(field.stdout)
        field_lines.wait_for(lambda l: l == "ready")
        time.sleep(5)  # the speech model loads in the background

        before = cpu_seconds(app.pid)
        time.sleep(args.idle)
        idle_cpu = (cpu_seconds(app.pid) - before) / args.idle * 100
        idle_rss = rss_mb(app.pid)
        print("idle CPU over %d s: %.2f %%" % (args.idle, idle_cpu))

        def xdotool(*keys):
            run(["xdotool", *keys], env=env)

        def has_text(line):
            parts = line.split(" ", 1)
            return line[:1].isdigit() and len(parts) == 2 and parts[1].strip() != ""

        latencies, missed, rss_trend = [], 0, []
        for n in range(args.dictations):
            field.stdin.write("clear\nfocus\n")
            field.stdin.flush()
            field_lines.wait_for(lambda l: l == "focused")
            xdotool("keydown", "Alt_R")
            time.sleep(0.15)
            microphone.play(speech[n % len(speech)] + bytes(int(16000 * 2 * 0.4)))
            microphone.wait_until_played()
            released = time.monotonic()
            xdotool("keyup", "Alt_R")
            try:
                _, line = field_lines.wait_for(has_text, timeout=10)
                if n < args.runs:
                    latencies.append((float(line.split(" ", 1)[0]) - released) * 1000)
            except TimeoutError:
                missed += 1
            time.sleep(0.6)  # the clipboard restore
            if (n + 1) % 10 == 0:
                rss_trend.append("%d: %.1f" % (n + 1, rss_mb(app.pid)))
        print("key release to text in the field over %d runs: p50 %.0f ms, p95 %.0f ms (no text: %d)"
              % (len(latencies), percentile(latencies, 50), percentile(latencies, 95), missed))
        print("  each run (ms): " + ", ".join("%.0f" % l for l in latencies))
        time.sleep(3)
        print("resident memory: idle %.1f MB, after %d dictations %.1f MB" % (idle_rss, args.dictations,
                                                                            rss_mb(app.pid)))
        print("  MB after each ten dictations: " + ", ".join(rss_trend))
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
