#!/usr/bin/env python3
"""Speech benchmarks, run by hand: python3 bench/speech_bench.py [--quick] [--only ROW[,ROW]]

Renders sentences with flite (4 voices), then measures side by side (ROW names in brackets):
  - [dictation] word error rate of `dictrava-cli dictate --audio` against
    `pocketsphinx_continuous -infile`; latencyMs of `dictrava-cli dictate --audio --realtime`
    (p50, p95); recognition real-time factor on one core (CPU time / audio time)
  - [pause] latencyMs (p50, p95) with 0.2, 1.5 and 3 s of silence before the release
  - [load] share of the unloaded run's words kept while two busy loops load the CPU, for two
    phrases 2.5 s apart, at the CLI's default feed and with --realtime
  - [meeting] meeting attribution accuracy on synthesized meetings of 2-5 voices, on turns under
    1.5 s, and the meeting's CPU per second of audio; --tune uses the meetings kept for tuning
    instead of the scored ones; --without-recognition measures attribution alone
    (bench/AttributionBench: no recogniser, so neither its errors nor the machine's load count)
  - [human] meeting attribution on human voices: meetings of 2-4 people cut from the recordings
    of four speakers in Debian's codec2-examples (telephone band, partly over radio), turns of
    0.6-3.5 s at arbitrary points of their speech, scored like [meeting] without recognition;
    --tune uses the seeds kept for tuning instead of the scored ones
  - [memory] resident memory of `dictrava-cli meeting` over a 60-minute meeting (sampled)
"""
import itertools, json, os, re, resource, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# DICTRAVA_BENCH_BUILD picks another build folder, built already (e.g. a developer's own).
BUILD = os.environ.get("DICTRAVA_BENCH_BUILD", os.path.join(ROOT, "build-bench"))
CLI = os.path.join(BUILD, "src", "dictrava-cli")
VOICES = ["slt", "rms", "awb", "kal16"]
SENTENCES = [
    "please send the quarterly report to the finance team",
    "the meeting starts at ten in the main conference room",
    "remember to water the plants before you leave",
    "we should review the budget before the end of the month",
    "call the dentist and book an appointment for friday",
    "the new design looks much cleaner than the old one",
    "can you check whether the server is running again",
    "i will pick up the children from school today",
    "the train was late because of the snow",
    "let us schedule a call with the customer next week",
    "buy milk bread and eggs on the way home",
    "the project deadline has moved to the first of june",
    "she wrote a long letter to her grandmother",
    "turn off the lights when you leave the office",
    "the results of the experiment were very promising",
    "we need more time to finish the documentation",
    "open the window it is too warm in here",
    "the weather will be sunny for the rest of the week",
    "our team won the game by three points",
    "write down the phone number before you forget it",
]


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, check=True, **kw)


def run_json(cmd, **kw):
    return json.loads(run(cmd, **kw).stdout)


def render(text, voice, path, rate=16000):
    raw = path + ".raw.wav"
    run(["flite", "-voice", voice, "-t", text, "-o", raw])
    run(["sox", raw, "-r", str(rate), "-c", "1", "-b", "16", "-e", "signed", path])
    os.remove(raw)


def words(text):
    return re.sub(r"[^a-z' ]", " ", text.lower()).split()


def wer(reference, hypothesis):
    r, h = words(reference), words(hypothesis)
    d = list(range(len(h) + 1))
    for i in range(1, len(r) + 1):
        prev, d[0] = d[0], i
        for j in range(1, len(h) + 1):
            cur = min(d[j] + 1, d[j - 1] + 1, prev + (r[i - 1] != h[j - 1]))
            prev, d[j] = d[j], cur
    return d[len(h)], len(r)


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def duration(path):
    return float(run(["soxi", "-D", path]).stdout)


def dictation_bench(workdir, sentences, env):
    ours = [0, 0]
    batch = [0, 0]
    latencies = []
    cpu = audio = 0.0
    for (i, text), voice in itertools.product(enumerate(sentences), VOICES):
        path = os.path.join(workdir, f"d{i}-{voice}.wav")
        render(text, voice, path, rate=48000)
        before = child_cpu()
        result = run_json(["taskset", "-c", "0", CLI, "dictate", "--audio", path, "--json"], env=env)
        cpu += child_cpu() - before
        audio += duration(path)
        e, n = wer(text, result["raw"])
        ours[0] += e; ours[1] += n
        pcm16 = path + ".16k.wav"
        run(["sox", path, "-r", "16000", pcm16])
        out = run(["pocketsphinx_continuous", "-infile", pcm16, "-logfn", "/dev/null"]).stdout
        e, n = wer(text, " ".join(out.split("\n")))
        batch[0] += e; batch[1] += n
        realtime = run_json([CLI, "dictate", "--audio", path, "--realtime", "--json"], env=env)
        latencies.append(realtime["latencyMs"])
    our_wer, batch_wer = ours[0] / ours[1], batch[0] / batch[1]
    p50, p95 = p50_p95(latencies)
    print(f"WER dictrava {our_wer:.3f}  pocketsphinx_continuous {batch_wer:.3f}  ratio "
          f"{our_wer / batch_wer if batch_wer else float('nan'):.2f} (goal <= 1.0)")
    print(f"latencyMs p50 {p50:.0f}  p95 {p95:.0f} (goal p95 <= 300)")
    print(f"real-time factor {cpu / audio:.3f} (goal <= 0.3)")


def p50_p95(values):
    values = sorted(values)
    return statistics.median(values), values[int(0.95 * (len(values) - 1))]


def silence(path, seconds, rate=48000):
    # A quiet room rather than digital zeros.
    run(["sox", "-n", "-r", str(rate), "-c", "1", "-b", "16", "-e", "signed", path,
         "synth", str(seconds), "whitenoise", "vol", "0.002"])


def pause_bench(workdir, sentences, env):
    for gap in (0.2, 1.5, 3.0):
        gap_path = os.path.join(workdir, f"gap{gap}.wav")
        silence(gap_path, gap)
        latencies, incomplete = [], 0
        for i, text in enumerate(sentences):
            speech = os.path.join(workdir, f"p{i}.wav")
            render(text, VOICES[i % len(VOICES)], speech, rate=48000)
            path = os.path.join(workdir, f"p{i}-{gap}.wav")
            run(["sox", speech, gap_path, path])
            result = run_json([CLI, "dictate", "--audio", path, "--realtime", "--json"], env=env)
            latencies.append(result["latencyMs"])
            incomplete += not result.get("complete", True)
        p50, p95 = p50_p95(latencies)
        print(f"release after {gap} s of silence: latencyMs p50 {p50:.0f}  p95 {p95:.0f}  "
              f"incomplete {incomplete}/{len(latencies)} (goal p95 <= 300)")


def kept_words(reference, heard):
    """How many of `reference`'s words `heard` has, each counted as often as it occurs."""
    left = words(heard)
    kept = 0
    for word in words(reference):
        if word in left:
            left.remove(word)
            kept += 1
    return kept


def load_bench(workdir, sentences, env):
    gap = os.path.join(workdir, "gap2.5.wav")
    silence(gap, 2.5)
    recordings = []
    for i in range(0, len(sentences) - 1, 2):
        parts = []
        for k, text in enumerate(sentences[i:i + 2]):
            part = os.path.join(workdir, f"l{i}-{k}.wav")
            render(text, VOICES[(i + k) % len(VOICES)], part, rate=48000)
            parts.append(part)
        path = os.path.join(workdir, f"l{i}.wav")
        run(["sox", parts[0], gap, parts[1], path])
        recordings.append((path, sentences[i] + " " + sentences[i + 1]))
    for feed in ([], ["--realtime"]):
        def transcribe():
            results = [run_json([CLI, "dictate", "--audio", path, *feed, "--json"], env=env)
                       for path, _ in recordings]
            return results
        unloaded = transcribe()
        busy = [subprocess.Popen(["sh", "-c", "exec yes > /dev/null"]) for _ in range(2)]
        try:
            loaded = transcribe()
        finally:
            for loop in busy:
                loop.kill()
                loop.wait()
        reference = sum(len(words(r["raw"])) for r in unloaded)
        kept = sum(kept_words(u["raw"], l["raw"]) for u, l in zip(unloaded, loaded))
        spoken = sum(len(words(text)) for _, text in recordings)
        heard = [sum(kept_words(text, r["raw"]) for (_, text), r in zip(recordings, results))
                 for results in (unloaded, loaded)]
        incomplete = sum(not r.get("complete", True) for r in loaded)
        p50, p95 = p50_p95([r["latencyMs"] for r in loaded])
        print(f"two busy loops, {'--realtime' if feed else 'default feed'}: words kept "
              f"{kept}/{reference} = {kept / reference if reference else float('nan'):.1%} of unloaded "
              f"(goal 100%); spoken words heard unloaded {heard[0]}/{spoken}, loaded {heard[1]}/{spoken}; "
              f"incomplete {incomplete}/{len(loaded)}; latencyMs p50 {p50:.0f} p95 {p95:.0f}")


# Five voices: the four flite voices and slt lowered by a fifth; three of them are men.
MEETING_VOICES = [("slt", []), ("rms", []), ("awb", []), ("kal16", []), ("slt", ["pitch", "-700"])]
SHORT_LINES = ["yes", "okay sounds good", "right", "i agree", "thank you", "no problem",
               "sure", "good point", "exactly", "let us do that"]


def render_turn(text, voice, effects, path):
    raw = path + ".raw.wav"
    run(["flite", "-voice", voice, "-t", text, "-o", raw])
    run(["sox", raw, "-r", "48000", "-c", "1", "-b", "16", "-e", "signed", path, *effects])
    os.remove(raw)


def synthesize_meeting(workdir, name, count, rng):
    """Uneven turns of `count` voices with pauses of 0.8-2 s; returns the file and the turns."""
    turns, parts, clock = [], [], 0.0
    speaker = -1
    cast = rng.sample(range(len(MEETING_VOICES)), count)
    for k in range(4 * count + 4):
        choices = [v for v in range(count) if v != speaker] if rng.random() < 0.85 else list(range(count))
        speaker = rng.choice(choices) if k >= count else k
        text = rng.choice(SHORT_LINES) if rng.random() < 0.3 else rng.choice(SENTENCES)
        path = os.path.join(workdir, f"{name}-{k}.wav")
        render_turn(text, *MEETING_VOICES[cast[speaker]], path)
        length = duration(path)
        pause = rng.uniform(0.8, 2.0)
        gap = os.path.join(workdir, f"{name}-{k}-gap.wav")
        run(["sox", "-n", "-r", "48000", "-c", "1", "-b", "16", "-e", "signed", gap, "trim", "0", f"{pause:.3f}"])
        turns.append((speaker, clock, clock + length))
        parts += [path, gap]
        clock += length + pause
    meeting = os.path.join(workdir, f"{name}.wav")
    run(["sox", *parts, meeting])
    return meeting, turns


def score_meeting(segments, turns, count):
    """Turns attributed right under the best one-to-one mapping of roster voices to speakers.
    A turn's attribution is the voice of the segment covering most of it (none: wrong)."""
    attributed = []
    for _, start, end in turns:
        overlap = {}
        for segment in segments:
            shared = min(end, segment["end"]) - max(start, segment["start"])
            if shared > 0:
                overlap[segment["speakerIndex"]] = overlap.get(segment["speakerIndex"], 0) + shared
        attributed.append(max(overlap, key=overlap.get) if overlap else -1)
    best = [False] * len(turns)
    for mapping in itertools.permutations(range(5), count):
        hits = [label >= 0 and label in mapping and mapping.index(label) == truth
                for label, (truth, _, _) in zip(attributed, turns)]
        if sum(hits) > sum(best):
            best = hits
    return best


def meeting_bench(workdir, env, meetings=3, tune=False):
    import random
    rng = random.Random(7 if tune else 1234)
    short = [0, 0]
    cpu = audio = 0.0
    for count in (2, 3, 4, 5):
        right = total = voices_found = 0
        for m in range(meetings):
            path, turns = synthesize_meeting(workdir, f"meeting{count}-{m}", count, rng)
            before = child_cpu()
            if "--without-recognition" in sys.argv:
                result = run_json(["taskset", "-c", "0", os.path.join(BUILD, "bench", "AttributionBench"), path])
            else:
                result = run_json(["taskset", "-c", "0", CLI, "meeting", "--audio", path, "--json"], env=env)
            cpu += child_cpu() - before
            audio += duration(path)
            hits = score_meeting(result["segments"], turns, count)
            right += sum(hits)
            total += len(hits)
            voices_found += len(result["speakers"])
            for hit, (_, start, end) in zip(hits, turns):
                if end - start < 1.5:
                    short[0] += hit
                    short[1] += 1
        print(f"meeting attribution, {count} voices: {right}/{total} = {right / total:.1%}, "
              f"{voices_found / meetings:.1f} voices found (goal >= 95%)")
    print(f"meeting attribution, turns under 1.5 s: {short[0]}/{short[1]} = {short[0] / max(short[1], 1):.1%}")
    what = "without recognition" if "--without-recognition" in sys.argv else "recognition included"
    print(f"meeting CPU ({what}) {1000 * cpu / audio:.1f} ms per second of audio")


HUMAN_SPEAKERS = ["ve9qrp", "david4", "vk2tpm_004", "vk5qi"]
HUMAN_RECORDINGS = "/usr/share/codec2/wav"


def human_meeting(workdir, recordings, count, rng, name):
    """Turns cut in order from each speaker's recording, with pauses of 0.8-2 s."""
    cast = rng.sample(sorted(recordings), count)
    position = {speaker: 0.0 for speaker in cast}
    turns, parts, clock, speaker = [], [], 0.0, -1
    for k in range(4 * count + 4):
        speaker = rng.choice([v for v in range(count) if v != speaker]) if k >= count else k
        path, total = recordings[cast[speaker]]
        length = rng.uniform(1.0, 3.5) if rng.random() < 0.7 else rng.uniform(0.6, 1.5)
        if position[cast[speaker]] + length > total:
            position[cast[speaker]] = 0.0
        turn = os.path.join(workdir, f"{name}-{k}.wav")
        run(["sox", path, turn, "trim", f"{position[cast[speaker]]:.3f}", f"{length:.3f}"])
        position[cast[speaker]] += length
        pause = rng.uniform(0.8, 2.0)
        gap = turn + ".gap.wav"
        run(["sox", "-n", "-r", "48000", "-c", "1", "-b", "16", "-e", "signed", gap, "trim", "0", f"{pause:.3f}"])
        turns.append((speaker, clock, clock + length))
        parts += [turn, gap]
        clock += length + pause
    meeting = os.path.join(workdir, f"{name}.wav")
    run(["sox", *parts, meeting])
    return meeting, turns


def human_bench(workdir, tune=False):
    import random
    if not os.path.isdir(HUMAN_RECORDINGS):
        run([os.path.join(ROOT, "scripts", "setup.sh"), "--bench"])
    recordings = {}
    for speaker in HUMAN_SPEAKERS:
        path = os.path.join(workdir, f"{speaker}-48k.wav")
        run(["sox", os.path.join(HUMAN_RECORDINGS, f"{speaker}.wav"), "-r", "48000", "-c", "1", "-b", "16",
             "-e", "signed", path, "norm", "-3"])
        recordings[speaker] = (path, duration(path))
    short = [0, 0]
    seeds = (7, 11, 13, 17) if tune else (99, 5, 2024)
    for count in (2, 3, 4):
        right = total = 0
        for seed in seeds:
            rng = random.Random(seed * 10 + count)
            for m in range(4):
                path, turns = human_meeting(workdir, recordings, count, rng, f"human{count}-{seed}-{m}")
                result = run_json([os.path.join(BUILD, "bench", "AttributionBench"), path])
                hits = score_meeting(result["segments"], turns, count)
                right += sum(hits)
                total += len(hits)
                for hit, (_, start, end) in zip(hits, turns):
                    if end - start < 1.5:
                        short[0] += hit
                        short[1] += 1
        print(f"human voices, {count} people: {right}/{total} = {right / total:.1%} (goal >= 80%)")
    print(f"human voices, turns under 1.5 s: {short[0]}/{short[1]} = {short[0] / max(short[1], 1):.1%}")


def memory_bench(workdir, env, minutes=60):
    one = os.path.join(workdir, "long-part.wav")
    parts = []
    for k in range(12):
        path = os.path.join(workdir, f"long{k}.wav")
        render(SENTENCES[k], VOICES[k % 2], path)
        parts += [path, os.path.join(workdir, "silence.wav")]
    run(["sox", *parts, "-r", "16000", "-c", "1", "-b", "16", "-e", "signed", one])
    repeats = max(1, int(minutes * 60 / duration(one)))
    long = os.path.join(workdir, "long.wav")
    run(["sox", *([one] * repeats), long])
    proc = subprocess.Popen([CLI, "meeting", "--audio", long, "--json"], stdout=subprocess.DEVNULL, env=env)
    samples = []
    while proc.poll() is None:
        try:
            with open(f"/proc/{proc.pid}/status") as status:
                rss = next(int(l.split()[1]) for l in status if l.startswith("VmRSS"))
            samples.append(rss)
        except (FileNotFoundError, StopIteration):
            pass
        time.sleep(0.5)
    if samples:
        quarter = max(1, len(samples) // 4)
        print(f"meeting of {duration(long) / 60:.1f} min: RSS first quarter {max(samples[:quarter]) / 1024:.0f} MB, "
              f"last quarter {max(samples[-quarter:]) / 1024:.0f} MB, peak {max(samples) / 1024:.0f} MB")


def main():
    quick = "--quick" in sys.argv
    rows = ["dictation", "pause", "load", "meeting", "human", "memory"]
    if "--only" in sys.argv:
        rows = sys.argv[sys.argv.index("--only") + 1].split(",")
    if "DICTRAVA_BENCH_BUILD" not in os.environ:
        run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release"])
        run(["cmake", "--build", BUILD, "-j", str(os.cpu_count()), "--target", "dictrava-cli", "AttributionBench"])
    with tempfile.TemporaryDirectory() as workdir:
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(workdir, "data"),
                   XDG_CONFIG_HOME=os.path.join(workdir, "config"))
        run(["sox", "-n", "-r", "16000", "-c", "1", "-b", "16", "-e", "signed",
             os.path.join(workdir, "silence.wav"), "trim", "0", "2"])
        if "dictation" in rows:
            dictation_bench(workdir, SENTENCES[:5] if quick else SENTENCES, env)
        if "pause" in rows:
            pause_bench(workdir, SENTENCES[:6] if quick else SENTENCES, env)
        if "load" in rows:
            load_bench(workdir, SENTENCES[:6] if quick else SENTENCES, env)
        if "meeting" in rows:
            meeting_bench(workdir, env, meetings=1 if quick else 3, tune="--tune" in sys.argv)
        if "human" in rows:
            human_bench(workdir, tune="--tune" in sys.argv)
        if "memory" in rows:
            memory_bench(workdir, env, minutes=2 if quick else 60)


if __name__ == "__main__":
    main()
