"""Whole-process figures for hostile workloads, each run in a fresh process
under the current display (use xvfb-run):

  long_word N  seconds from go() to the first painted frame of a label
               holding one word of N characters
  images       resident memory while one image widget shows 60 different
               2000 x 2000 PNGs in turn, and after switching to a small one
  flood        8 threads posting as fast as they can until close(): the largest
               backlog, how late after(1000, close) fires, and how long
               posted calls keep running after close()
  flood_posted_close  the same with close() posted by another thread after 1 s
               (timer_late is then how late the posted close ran)

Usage: PYTHONPATH=build/python xvfb-run -a python3 bench/hostile_limits.py [long_word N | images | flood] [--runs N]
Without arguments runs all of them (long words at 10k, 40k and 60k) and
prints medians.
"""
import argparse
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib


def resident_mb():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") / 2**20


def long_word(n):
    import _orvy

    w = _orvy.W("long word", 800, 600)
    w.lb("W" * n)
    started = time.perf_counter()
    elapsed = []

    def check():
        if w._frames() >= 1 and not elapsed:
            elapsed.append(time.perf_counter() - started)
            w.close()

    w.every(1, check)
    w.go()
    print(f"{elapsed[0]:.3f}")


def write_png(path, side, shade):
    row = b"\x00" + bytes((shade, 255 - shade, (shade * 7) % 256)) * side
    raw = row * side
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 1)) + chunk(b"IEND", b""))


def images():
    import _orvy

    folder = tempfile.mkdtemp(prefix="orvy_bench_images_")
    paths = []
    for i in range(60):
        path = os.path.join(folder, f"big{i}.png")
        write_png(path, 2000, i * 4)
        paths.append(path)
    small = os.path.join(folder, "small.png")
    write_png(small, 16, 9)
    shown = [paths[0]]
    w = _orvy.W("images", 800, 600)
    w.img(src_bind=lambda: shown[0], fit="contain")
    figures = {}
    state = {"i": 0, "frames": 0, "peak": 0.0}
    sig = _orvy.sgnl(0)

    def step():
        state["peak"] = max(state["peak"], resident_mb())
        frames = w._frames()
        if frames == state["frames"]:
            return  # wait for the last switch to be painted
        state["frames"] = frames
        i = state["i"]
        if i == 0:
            figures["start"] = resident_mb()
        if i < 60:
            shown[0] = paths[i]
        elif i == 60:
            figures["after 60"] = resident_mb()
            shown[0] = small
        elif i == 64:
            figures["after small"] = resident_mb()
            w.close()
        state["i"] = i + 1
        sig.st(i)  # any callback refreshes the binding

    w.every(20, step)
    w.go()
    figures["peak"] = state["peak"]
    for path in paths + [small]:
        os.remove(path)
    os.rmdir(folder)
    print(" ".join(f"{key}={value:.0f}MB" for key, value in figures.items()))


def flood(close_by_post=False):
    import _orvy

    w = _orvy.W("flood", 400, 300)
    post = w.post()
    stop = threading.Event()
    posted = [0] * 8
    ran = [0]
    closed_at = [None]
    last_after_close = [None]
    late = [None]
    backlog = [0]

    def one():
        ran[0] += 1
        if closed_at[0] is not None:
            last_after_close[0] = time.perf_counter()

    def producer(k):
        while not stop.is_set():
            post(one)
            posted[k] += 1

    def sample():
        backlog[0] = max(backlog[0], sum(posted) - ran[0])

    started = time.perf_counter()

    def close():
        late[0] = time.perf_counter() - started - 1.0
        closed_at[0] = time.perf_counter()
        stop.set()
        w.close()

    threads = [threading.Thread(target=producer, args=(k,), daemon=True) for k in range(8)]
    w.after(0, lambda: [t.start() for t in threads])
    if close_by_post:
        # Another thread asks for the close through the queue after 1 s.
        closer = threading.Timer(1.0, lambda: post(close))
        closer.daemon = True
        closer.start()
    else:
        w.after(1000, close)
    w.every(5, sample)
    guard = threading.Timer(60.0, stop.set)  # a safety net only
    guard.daemon = True
    guard.start()
    w.go()
    returned = time.perf_counter()
    stop.set()
    after_close = (last_after_close[0] - closed_at[0]) if last_after_close[0] else 0.0
    print(f"backlog={backlog[0]} timer_late={late[0]:.3f}s calls_after_close={after_close:.3f}s "
          f"go_returned_after_close={returned - closed_at[0]:.3f}s rss={resident_mb():.0f}MB")
    os._exit(0)


def run_child(args):
    output = subprocess.run([sys.executable, __file__] + args, capture_output=True, text=True, timeout=600)
    return output.stdout.strip() or output.stderr.strip().splitlines()[-1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", nargs="?")
    parser.add_argument("n", nargs="?", type=int)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    if args.what == "long_word":
        long_word(args.n)
    elif args.what == "images":
        images()
    elif args.what == "flood":
        flood()
    elif args.what == "flood_posted_close":
        flood(close_by_post=True)
    else:
        for n in (10_000, 40_000, 60_000):
            times = [float(run_child(["long_word", str(n)])) for _ in range(args.runs)]
            print(f"long word {n}: median {statistics.median(times):.3f} s of {times}")
        print("images:", run_child(["images"]))
        print("flood:", run_child(["flood"]))
        print("flood, close posted:", run_child(["flood_posted_close"]))


if __name__ == "__main__":
    main()
