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
import argparse, time

from private_desktop import PrivateDesktop, cpu_seconds, load_average, percentile, rss_mb


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--presses", type=int, default=20)
    parser.add_argument("--idle", type=int, default=30)
    args = parser.parse_args()

    with PrivateDesktop() as desktop:
        app, lines, _ = desktop.start_app()
        time.sleep(5)  # the speech model loads in the background
        idle_rss = rss_mb(app.pid)

        def press():
            pressed = time.monotonic()
            desktop.run(["xdotool", "key", "ctrl+space"])
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
              " (load %.1f)" % (latencies[0], len(later), percentile(later, 50), percentile(later, 95),
                                load_average()))
        print("  each press (ms): " + ", ".join("%.0f" % l for l in latencies))

        desktop.cli("focus", "--text", "goal: ship the beta. write the copy; design the hero; deploy it")
        time.sleep(2)
        before = cpu_seconds(app.pid)
        time.sleep(args.idle)
        print("CPU with the focus HUD shown, over %d s: %.2f %% (load %.1f)"
              % (args.idle, (cpu_seconds(app.pid) - before) / args.idle * 100, load_average()))

        desktop.cli("briefing", "--text", "call the bank then email Sam about the offsite")  # the deck and the card
        time.sleep(3)
        made_rss = rss_mb(app.pid)
        print("resident memory: idle %.1f MB; deck, HUD and briefing card made %.1f MB (+%.1f MB)"
              % (idle_rss, made_rss, made_rss - idle_rss))


if __name__ == "__main__":
    main()
