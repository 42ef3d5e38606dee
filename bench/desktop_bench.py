#!/usr/bin/env python3
"""Desktop benchmarks, run by hand after bench/run.sh has built build-bench:
    python3 bench/desktop_bench.py [--runs 20] [--dictations 100] [--idle 60]
(DICTRAVA_BENCH_APP picks another build of the app, e.g. one with sanitizers.)

Starts a private Xvfb, PulseAudio server (pipe microphone), session bus and the dictrava app, with
a Tk text field of another process focused, then measures:
  - start-up to ready (the tray icon, or the panel window without a tray), median of 5 launches
  - key release to text in the field over --runs dictations (p50, p95)
  - CPU of the idle app over --idle seconds
  - resident memory idle and after --dictations dictations, and its growth per dictation
"""
import argparse, os, statistics, subprocess, sys, time

from private_desktop import (Lines, PrivateDesktop, cpu_seconds, load_average, percentile, rss_mb, run,
                             slope)

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


def render(text, folder, index):
    wav, raw = os.path.join(folder, "%d.wav" % index), os.path.join(folder, "%d.raw" % index)
    run(["flite", "-voice", "slt", "-t", text, "-o", wav])
    run(["sox", wav, "-r", "16000", "-c", "1", "-b", "16", "-e", "signed", "-t", "raw", raw])
    with open(raw, "rb") as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--dictations", type=int, default=100)
    parser.add_argument("--idle", type=int, default=60)
    args = parser.parse_args()

    with PrivateDesktop(with_microphone=True) as desktop:
        speech = [render(s, desktop.work, i) for i, s in enumerate(SENTENCES)]

        startups = []
        for _ in range(5):
            started = time.monotonic()
            app, _, ready_at = desktop.start_app(keep=False)
            startups.append((ready_at - started) * 1000)
            app.terminate()
            app.wait(10)
        print("start-up to ready: median %.0f ms (runs: %s; load %.1f)"
              % (statistics.median(startups), ", ".join("%.0f" % s for s in startups), load_average()))

        app, _, _ = desktop.start_app()
        field = desktop.spawn([sys.executable, "-c", FIELD], env=desktop.env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
        field_lines = Lines(field.stdout)
        field_lines.wait_for(lambda l: l == "ready")
        time.sleep(5)  # the speech model loads in the background

        before = cpu_seconds(app.pid)
        time.sleep(args.idle)
        idle_cpu = (cpu_seconds(app.pid) - before) / args.idle * 100
        idle_rss = rss_mb(app.pid)
        print("idle CPU over %d s: %.2f %% (load %.1f)" % (args.idle, idle_cpu, load_average()))

        def has_text(line):
            parts = line.split(" ", 1)
            return line[:1].isdigit() and len(parts) == 2 and parts[1].strip() != ""

        latencies, missed, rss_trend = [], 0, []
        for n in range(args.dictations):
            field.stdin.write("clear\nfocus\n")
            field.stdin.flush()
            field_lines.wait_for(lambda l: l == "focused")
            desktop.run(["xdotool", "keydown", "Alt_R"])
            time.sleep(0.15)
            desktop.microphone.play(speech[n % len(speech)] + bytes(int(16000 * 2 * 0.4)))
            desktop.microphone.wait_until_played()
            released = time.monotonic()
            desktop.run(["xdotool", "keyup", "Alt_R"])
            try:
                _, line = field_lines.wait_for(has_text, timeout=10)
                if n < args.runs:
                    latencies.append((float(line.split(" ", 1)[0]) - released) * 1000)
            except TimeoutError:
                missed += 1
            time.sleep(0.6)  # the clipboard restore
            if (n + 1) % 10 == 0:
                rss_trend.append((n + 1, rss_mb(app.pid)))
        print("key release to text in the field over %d runs: p50 %.0f ms, p95 %.0f ms (no text: %d; load %.1f)"
              % (len(latencies), percentile(latencies, 50), percentile(latencies, 95), missed, load_average()))
        print("  each run (ms): " + ", ".join("%.0f" % l for l in latencies))
        time.sleep(3)
        print("resident memory: idle %.1f MB, after %d dictations %.1f MB" % (idle_rss, args.dictations,
                                                                            rss_mb(app.pid)))
        print("  MB after each ten dictations: " + ", ".join("%d: %.1f" % point for point in rss_trend))
        # The first dictations fill caches and pools that are then reused: the trend after them.
        settled = rss_trend[1:]
        if len(settled) >= 2:
            print("  growth after the first ten: %.3f MB per dictation" % slope(settled))


if __name__ == "__main__":
    main()
