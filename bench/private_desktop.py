"""What the desktop benchmarks share: a private desktop (Xvfb, session bus, optionally a PulseAudio
server whose microphone is a pipe) for the dictrava app, and the measuring helpers.

DICTRAVA_BENCH_APP picks another build of the app (e.g. one with sanitizers); dictrava-cli is taken
from beside it.
"""
import os, queue, shutil, signal, subprocess, sys, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
APP = os.environ.get("DICTRAVA_BENCH_APP", os.path.join(ROOT, "build-bench", "src", "dictrava"))
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


class PrivateDesktop:
    """A display, a session bus and (with_microphone) a sound server of their own, so the numbers
    depend neither on the user's desktop nor on their data. Everything started ends on exit."""

    def __init__(self, with_microphone=False):
        self.with_microphone = with_microphone
        self.children = []
        self.microphone = None

    def __enter__(self):
        if not os.path.exists(APP):
            sys.exit("build first: bench/run.sh (it builds build-bench)")
        self.work = tempfile.mkdtemp(prefix="dictrava-bench-")
        self.env = dict(os.environ, XDG_DATA_HOME=os.path.join(self.work, "data"),
                        XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                        XDG_RUNTIME_DIR=os.path.join(self.work, "run"), QT_QPA_PLATFORM="xcb")
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        xvfb = self.spawn(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                          stdout=subprocess.PIPE, text=True)
        self.env["DISPLAY"] = ":" + xvfb.stdout.readline().strip()
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"], stdout=subprocess.PIPE,
                         text=True, env=self.env)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        if self.with_microphone:
            self._start_sound_server()

    def _start_sound_server(self):
        fifo = os.path.join(self.work, "mic.fifo")
        script = os.path.join(self.work, "server.pa")
        with open(script, "w") as f:
            f.write("load-module module-native-protocol-unix auth-anonymous=1\n"
                    "load-module module-null-sink sink_name=out\n"
                    "load-module module-pipe-source source_name=mic file=%s format=s16le rate=16000 channels=1\n"
                    "set-default-source mic\n" % fifo)
        pulse_env = dict(self.env, HOME=self.work, XDG_CONFIG_HOME=os.path.join(self.work, "pulse-config"))
        for name in ("DISPLAY", "PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS"):
            pulse_env.pop(name, None)
        self.spawn(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--file=" + script,
                    "--use-pid-file=false", "--realtime=false", "--high-priority=false", "--log-target=stderr",
                    "--log-level=error"], env=pulse_env)
        self.env["PULSE_SERVER"] = "unix:" + os.path.join(self.env["XDG_RUNTIME_DIR"], "pulse", "native")
        for _ in range(100):
            if subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        self.microphone = Microphone(fifo)

    def __exit__(self, *_):
        for child in reversed(self.children):
            child.send_signal(signal.SIGTERM)
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                child.kill()
        self.children.clear()
        shutil.rmtree(self.work, ignore_errors=True)

    def spawn(self, cmd, **kw):
        """Starts a child that ends with the desktop."""
        child = subprocess.Popen(cmd, **kw)
        self.children.append(child)
        return child

    def start_app(self, keep=True):
        """Starts the app and waits until it is ready; returns it, its output's lines and when it was
        ready (time.monotonic())."""
        app = subprocess.Popen([APP], env=self.env, stdout=subprocess.PIPE, text=True)
        if keep:
            self.children.append(app)
        lines = Lines(app.stdout)
        try:
            ready_at, _ = lines.wait_for(lambda l: l.startswith("[Shell] Ready"))
        except TimeoutError:
            app.kill()
            raise
        return app, lines, ready_at

    def run(self, cmd):
        return subprocess.run(cmd, env=self.env, check=True, capture_output=True)

    def cli(self, *arguments):
        return self.run([CLI, *arguments])


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


def slope(points):
    """Least-squares slope of (x, y) points."""
    n = len(points)
    mean_x = sum(x for x, _ in points) / n
    mean_y = sum(y for _, y in points) / n
    spread = sum((x - mean_x) ** 2 for x, _ in points)
    return sum((x - mean_x) * (y - mean_y) for x, y in points) / spread if spread else 0.0


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


def load_average():
    """The one-minute load, to print beside a number: on a busy machine timings stretch."""
    return os.getloadavg()[0]
