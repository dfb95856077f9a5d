#!/usr/bin/env python3
"""Plays the demo road in the real program without a person, and checks it.

The game runs headless (or under a virtual X server with --xvfb), on its fast
clock, driven by a script of timed key presses: the intro movie skipped, the
controller screen, a whole match of the computer against itself with an
instant replay, the results screen, again, a second match left through the
pause menu's Exit Demo. A screenshot is taken at each stop.

The run passes when the program ends with exit code 0, the settings file was
written, the match ended with a legal score (six points a goal, one a
behind) and no screenshot is missing or blank. With --pictures DIR the
screenshots are also written there at half size, for the README.

    tools/demo-road.py --program build/release/kob99 --work /tmp/road --xvfb \\
        --pictures doc/road
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import zlib

# The road in the game's own milliseconds after its first frame (the fast
# clock keeps them in step with the frames, not with the machine's speed).
# A demo match takes 300 to 430 seconds of play after a minute of line-up
# and toss, so the results screen is waited for at 560 s; it waits for a key.
#
# The match takes R and Escape only when no camera cut, screen transition or
# halt is under way, so those keys are held for a while, and the second
# match's Escape is tried again until the pause menu opens (see
# PAUSE_TRIES). Each try takes a screenshot; the run ends on the try whose
# Return found "Exit Demo", so the last screenshot written is the menu.
LOADING_SHOTS = (15300, 18300, 40)   # from, to, every: the loading picture is among them
PAUSE_TRIES = (640000, 8000, 12)     # first Escape, every, how many
ROAD = [
    (500, "key Escape"),                   # the intro movie
    (10000, "screenshot 1-controllers.png"),
    (15000, "keydown Return"),             # Play: both teams to the computer
    (15100, "keyup Return"),
    (200000, "screenshot 3-play.png"),
    (300000, "keydown R"),                 # the instant replay
    (306000, "keyup R"),
    (309000, "screenshot 4-replay.png"),
    (311000, "keydown Escape"),            # and back to the match
    (311300, "keyup Escape"),
    (560000, "screenshot 5-results.png"),
    (560500, "keydown Escape"),            # leave the results: play again?
    (560600, "keyup Escape"),
    (562000, "keydown Right"),             # Yes
    (562100, "keyup Right"),
    (563000, "keydown Return"),
    (563100, "keyup Return"),
    (570000, "screenshot 6-again.png"),    # the controller screen again
    (572000, "keydown Return"),
    (572100, "keyup Return"),
]
ROAD += [(t, "screenshot 2-loading-%03d.png" % t) for t in range(*LOADING_SHOTS)]
for _try in range(PAUSE_TRIES[2]):
    _t = PAUSE_TRIES[0] + _try * PAUSE_TRIES[1]
    ROAD += [(_t, "keydown Escape"),       # the pause menu of the second match
             (_t + 300, "keyup Escape"),   # (held less than the menu's 1 s fade)
             (_t + 2500, "screenshot 7-splash-%02d.png" % _try),
             (_t + 4000, "keydown Return"),  # Exit Demo
             (_t + 4100, "keyup Return")]
ROAD.sort(key=lambda e: e[0])

# The pictures a chosen screenshot must look like (mean difference of the
# sampled colour values at most PICTURE_LIKENESS).
LOADING_PICTURE = "game_gfx/hardware/KOB Loading Screen.tga"
PAUSE_PICTURE = "front_en/front_end_gfx/menu_screens/hw/demosplash.tga"
PICTURE_LIKENESS = 12

FULL_TIME = re.compile(r"Full time: (\d+)\.(\d+) \((\d+)\) - (\d+)\.(\d+) \((\d+)\)")


def read_png(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, width, height = 8, b"", 0, 0
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour != 2:
                raise ValueError("not an 8-bit RGB picture")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for i in range(stride if kind else 0):
            a = row[i - 3] if i >= 3 else 0
            b = previous[i]
            c = previous[i - 3] if i >= 3 else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(row))
        previous = row
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + r for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def read_tga(path):
    """(width, height, rows of RGB bytes, top row first) of an uncompressed
    24- or 32-bit TGA, as the kit writes them."""
    with open(path, "rb") as f:
        data = f.read()
    id_length, _, kind = data[0], data[1], data[2]
    width, height, depth, descriptor = struct.unpack("<HHBB", data[12:18])
    if kind != 2 or depth not in (24, 32):
        raise ValueError("not an uncompressed true-colour TGA")
    size = depth // 8
    pos = 18 + id_length
    rows = []
    for y in range(height):
        line = data[pos + y * width * size:pos + (y + 1) * width * size]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::size], line[1::size], line[0::size]
        rows.append(bytes(rgb))
    if not descriptor & 0x20:
        rows.reverse()
    return width, height, rows


def difference(a, b):
    """The mean difference of two same-sized pictures' colour values, sampled
    on a grid; None when their sizes differ."""
    if (a[0], a[1]) != (b[0], b[1]):
        return None
    total = count = 0
    for y in range(0, a[1], 8):
        ra, rb = a[2][y], b[2][y]
        for i in range(0, a[0] * 3, 24):
            total += abs(ra[i] - rb[i]) + abs(ra[i + 1] - rb[i + 1]) + abs(ra[i + 2] - rb[i + 2])
            count += 3
    return total / count


def choose_shot(work, names, picture, what, faults):
    """Keeps, of the screenshots that were written, the one most like the
    picture under the first name's stem; removes the rest."""
    written = [n for n in names if os.path.isfile(os.path.join(work, n))]
    best, best_difference = None, None
    try:
        wanted = read_tga(picture)
    except (OSError, ValueError, struct.error) as e:
        faults.append("%s: %s" % (picture, e))
        wanted = None
    for name in written:
        if wanted is None:
            break
        try:
            d = difference(read_png(os.path.join(work, name)), wanted)
        except (OSError, ValueError, zlib.error):
            continue
        if d is not None and (best_difference is None or d < best_difference):
            best, best_difference = name, d
    if best is None or best_difference > PICTURE_LIKENESS:
        faults.append("no screenshot shows %s (%d taken%s)" % (
            what, len(written), "" if best is None else ", the nearest %s by %.1f" % (best, best_difference)))
    target = re.sub(r"-\d+\.png$", ".png", names[0])
    for name in written:
        if name != best:
            os.remove(os.path.join(work, name))
    if best:
        os.replace(os.path.join(work, best), os.path.join(work, target))
        print("demo-road: %s is %s, of %d taken" % (target, best, len(written)))


def colours(rows):
    seen = set()
    for row in rows[::4]:
        for i in range(0, len(row), 12):
            seen.add(row[i:i + 3])
    return len(seen)


def half_size(width, height, rows):
    out = []
    for y in range(0, height - 1, 2):
        a, b = rows[y], rows[y + 1]
        line = bytearray()
        for x in range(0, width - 1, 2):
            for c in range(3):
                i = x * 3 + c
                line.append((a[i] + a[i + 3] + b[i] + b[i + 3] + 2) // 4)
        out.append(bytes(line))
    return width // 2, height // 2, out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.dirname(here)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=os.path.join(top, "build", "release", "kob99"))
    parser.add_argument("--work", default=os.path.join(top, "build", "demo-road"),
                        help="a directory for the run (emptied first)")
    parser.add_argument("--fast-clock", type=int, default=5, help="KOB99_FAST_CLOCK (2 to 100)")
    parser.add_argument("--xvfb", action="store_true", help="run under a virtual X server (xvfb-run)")
    parser.add_argument("--pictures", help="also write the screenshots at half size into this directory")
    parser.add_argument("--timeout", type=int, default=1200, help="seconds before the run is given up")
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    script = os.path.join(work, "road.txt")
    with open(script, "w") as f:
        for t, event in ROAD:
            f.write("%d %s\n" % (t, event))

    env = dict(os.environ)
    env.update(SDL_AUDIODRIVER="dummy", KOB99_FAST_CLOCK=str(args.fast_clock), KOB99_DEBUG_OUTPUT="1",
               KOB99_USER_DIR=os.path.join(work, "user"), KOB99_EVENT_SCRIPT=script)
    command = [os.path.abspath(args.program), "/ne"]
    if args.xvfb:
        if not shutil.which("xvfb-run"):
            sys.exit("demo-road: xvfb-run is missing (tools/install-deps.sh installs it)")
        env["SDL_VIDEODRIVER"] = "x11"
        command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"] + command
    else:
        env["SDL_VIDEODRIVER"] = "offscreen"
    data = os.environ.get("KOB99_DATA_DIR") or os.path.join(os.path.dirname(command[-2]), "data")
    if not os.path.isdir(data):
        sys.exit("demo-road: no data beside %s and no KOB99_DATA_DIR" % command[-2])

    started = time.monotonic()
    try:
        run = subprocess.run(command, cwd=work, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             timeout=args.timeout)
    except subprocess.TimeoutExpired as e:
        sys.stdout.write((e.output or b"").decode(errors="replace"))
        sys.exit("demo-road: the road did not end within %d s" % args.timeout)
    output = run.stdout.decode(errors="replace")
    print("demo-road: the road took %.0f s" % (time.monotonic() - started))

    faults = []
    if run.returncode != 0:
        faults.append("the program ended with exit code %d" % run.returncode)
    if not os.path.isfile(os.path.join(work, "user", "settings.cfg")):
        faults.append("no settings.cfg was written")
    score = FULL_TIME.search(output)
    if not score:
        faults.append("no match reached full time")
    else:
        v = [int(g) for g in score.groups()]
        for goals, behinds, points in (v[0:3], v[3:6]):
            if points != 6 * goals + behinds:
                faults.append("an illegal score: " + score.group(0))
        print("demo-road: " + score.group(0))
    shots = [event.split()[1] for _, event in ROAD if event.startswith("screenshot")]
    for stem, picture, what in (("2-loading", LOADING_PICTURE, "the loading picture"),
                                ("7-splash", PAUSE_PICTURE, "the pause menu")):
        choose_shot(work, [s for s in shots if s.startswith(stem + "-")], os.path.join(data, picture), what, faults)
    shots = sorted(set(re.sub(r"-\d+\.png$", ".png", s) for s in shots))
    for shot in shots:
        path = os.path.join(work, shot)
        try:
            width, height, rows = read_png(path)
        except (OSError, ValueError, zlib.error) as e:
            faults.append("%s: %s" % (shot, e))
            continue
        if colours(rows) < 8:
            faults.append("%s is blank" % shot)
        elif args.pictures:
            os.makedirs(args.pictures, exist_ok=True)
            write_png(os.path.join(args.pictures, shot), *half_size(width, height, rows))
    if faults:
        sys.stdout.write(output)
        for fault in faults:
            print("demo-road: " + fault)
        return 1
    print("demo-road: the whole road, exit code 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
