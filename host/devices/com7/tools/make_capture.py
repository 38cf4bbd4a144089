#!/usr/bin/env python3
"""Writes the default unit's captured station: thirty seconds of YLE X3M
(PI 0x6204) as an off-air receiver logs them in the RDS Spy format. The
name groups are the four 0A groups of testdata/rds/redsea_ps_vectors.txt;
around them come what a real station sends (radiotext 2A, slow labelling
1A, the clock 4A) and what the air does to it: blocks received in error,
groups lost, a fade of a second and a half, one pass of the name whose
segments arrive out of order and one that loses a segment. Run it once and
commit the output; nothing in the build uses this script.

    host/devices/com7/tools/make_capture.py > units/default/yle_x3m.spy
"""
import random

PI = 0x6204
PTY = 9          # "Varied", as in the vectors
SECONDS = 30
GROUP_S = 104 / 1187.5
START = (12, 0, 0)  # 2016/09/15, the vectors' capture day

# The name: segments 0..3 exactly as captured (blocks B C D).
NAME = [(0x0130, 0x966B, 0x594C), (0x0131, 0x93CD, 0x4520),
        (0x0132, 0xE472, 0x5833), (0x0137, 0x966B, 0x4D20)]
RADIOTEXT = "YLE X3M - RADIO FOR YOUNG PEOPLE\r".ljust(64)
# The order groups come in, repeated: name segments by number, else a kind.
CYCLE = [0, "2A", 1, 2, "2A", 3, 0, 1, "2A", 2, 3, "1A"]


def block_b(group_type, low):
    return (group_type << 12) | (PTY << 5) | low


def radiotext(segment):
    text = RADIOTEXT[4 * segment:4 * segment + 4]
    c = (ord(text[0]) << 8) | ord(text[1])
    d = (ord(text[2]) << 8) | ord(text[3])
    return (block_b(2, segment), c, d)


def clock(minute):
    # 4A: Modified Julian Day 57646 (2016-09-15), UTC hour and minute, +3 h.
    mjd, hour, offset = 57646, START[0], 6
    b = block_b(4, (mjd >> 15) & 0x03)
    c = ((mjd & 0x7FFF) << 1) | (hour >> 4)
    d = ((hour & 0x0F) << 12) | (minute << 6) | offset
    return (b, c, d)


def main():
    rng = random.Random(0x6204)
    groups = []  # (blocks, kind)
    rt_segment = 0
    passes = 0
    step = 0
    while len(groups) * GROUP_S < SECONDS:
        kind = CYCLE[step % len(CYCLE)]
        step += 1
        if kind == "2A":
            groups.append(((PI,) + radiotext(rt_segment), "noise"))
            rt_segment = (rt_segment + 1) % 16
        elif kind == "1A":
            groups.append(((PI, block_b(1, 0x00), 0x00E1, 0x0000), "noise"))
        else:
            if kind == 0:
                passes += 1
            groups.append(((PI,) + NAME[kind], passes))
    # Pass 5 comes out of order (0 2 1 3); pass 9 loses its segment 2.
    spots = [i for i, (_, p) in enumerate(groups) if p == 5]
    groups[spots[1]], groups[spots[2]] = groups[spots[2]], groups[spots[1]]
    groups = [g for g in groups
              if not (g[1] == 9 and g[0][1] & 0x03 == 2)]
    groups.insert(0, ((PI,) + clock(0), "noise"))

    print('<recorder="host/devices/com7/tools/make_capture.py" station="YLE X3M" pi="6204">')
    print('<note="off air: blocks in error, lost groups, a fade at 14 s">')
    t = 0.0
    for blocks, _ in groups:
        t += GROUP_S
        if rng.random() < 0.05:
            t += GROUP_S  # a group lost to noise
        if 14.0 <= t < 14.0 + GROUP_S:
            t += 1.5      # the fade
        words = ["%04X" % w for w in blocks]
        for i in range(4):
            if rng.random() < 0.04:
                words[i] = "----"
        total = START[0] * 3600 + START[1] * 60 + START[2] + t
        h, rest = divmod(total, 3600)
        m, s = divmod(rest, 60)
        print("%s @2016/09/15 %02d:%02d:%05.2f" % (" ".join(words), h, m, s))


if __name__ == "__main__":
    main()
