#!/usr/bin/env python3
"""Writes the default unit's recorded GPS track: a drive once around the
Retiro park in Madrid on 21 March 2006, one receiver cycle a second (GGA,
GSA, three GSV, RMC), the way a standard receiver logs it. Run it once and
commit the output; nothing in the build uses this script.

    host/devices/gps1/tools/make_track.py > units/default/track.nmea
"""
import math
import random
import sys

START = (10, 31, 0)  # UTC
DATE = "210306"
EARTH_M = 6371000.0

# Corners of the drive (latitude, longitude), clockwise from the Puerta de
# Alcala: down Alfonso XII, along the south side, up Menendez Pelayo and
# back along O'Donnell and Alcala. The last entry is whether one stops there.
ROUTE = [
    (40.41998, -3.68870, False),
    (40.41420, -3.69010, False),
    (40.40800, -3.69150, True),  # traffic lights at the Emperador Carlos V
    (40.40880, -3.68400, False),
    (40.40900, -3.67740, False),
    (40.41560, -3.67690, True),  # lights at Ibiza
    (40.42190, -3.67620, False),
    (40.42080, -3.68250, False),
    (40.41998, -3.68870, True),
]

V_MAX = 13.4     # m/s, just under 50 km/h
V_CORNER = 4.5   # m/s through a turn
ACCEL = 1.4      # m/s^2
STOP_S = 14

# PRN, elevation, azimuth, typical SNR (None: in view, not tracked).
SATELLITES = [
    (2, 67, 312, 44), (5, 23, 48, 36), (10, 41, 141, 41), (12, 14, 252, 31),
    (13, 58, 84, 45), (15, 9, 203, None), (17, 34, 285, 39), (23, 71, 178, 46),
    (24, 28, 321, 37), (26, 6, 110, None), (29, 19, 17, 33), (30, 47, 236, 42),
]


def local_xy(lat, lon):
    y = math.radians(lat - ROUTE[0][0]) * EARTH_M
    x = math.radians(lon - ROUTE[0][1]) * EARTH_M * math.cos(math.radians(ROUTE[0][0]))
    return x, y


def latlon(x, y):
    lat = ROUTE[0][0] + math.degrees(y / EARTH_M)
    lon = ROUTE[0][1] + math.degrees(x / (EARTH_M * math.cos(math.radians(ROUTE[0][0]))))
    return lat, lon


def checksum(body):
    s = 0
    for c in body.encode("ascii"):
        s ^= c
    return "%02X" % s


def sentence(body):
    return "$%s*%s\r\n" % (body, checksum(body))


def nmea_angle(value, degree_digits):
    value = abs(value)
    degrees = int(value)
    minutes = (value - degrees) * 60.0
    return "%0*d%07.4f" % (degree_digits, degrees, minutes)


def drive():
    """Positions one second apart: (x, y, speed m/s)."""
    points = [local_xy(lat, lon) for lat, lon, _ in ROUTE]
    stops = [stop for _, _, stop in ROUTE]
    seg_len = [math.dist(points[i], points[i + 1]) for i in range(len(points) - 1)]
    total = sum(seg_len)
    corner_at = [sum(seg_len[:i + 1]) for i in range(len(seg_len))]

    def where(s):
        for i, length in enumerate(seg_len):
            if s <= length or i == len(seg_len) - 1:
                f = min(s / length, 1.0)
                (x0, y0), (x1, y1) = points[i], points[i + 1]
                return x0 + (x1 - x0) * f, y0 + (y1 - y0) * f
            s -= length
        return points[-1]

    s, v, samples, held = 0.0, 0.0, [], 0
    while True:
        x, y = where(s)
        samples.append((x, y, v))
        if s >= total:
            if held < 3:
                held += 1
                continue
            return samples
        # The next place to slow down for, and how fast one may be there.
        nxt = next(i for i, c in enumerate(corner_at) if c > s + 0.5)
        d = corner_at[nxt] - s
        v_end = 0.0 if stops[nxt + 1] else V_CORNER
        v_allowed = min(V_MAX, math.sqrt(v_end * v_end + 2 * ACCEL * max(d - 2.0, 0.0)))
        if v < v_allowed:
            v = min(v + ACCEL, v_allowed)
        else:
            v = v_allowed
        if v < 0.3 and d < 3.0:
            # At the lights: wait, then go on from the corner.
            s = corner_at[nxt]
            for _ in range(STOP_S if nxt + 1 < len(stops) - 1 else 0):
                x, y = where(s)
                samples.append((x, y, 0.0))
            if nxt + 1 == len(stops) - 1:
                continue
            v = ACCEL
        s = min(s + v, total)


def main():
    rng = random.Random(20060321)
    samples = drive()
    out = []
    course = 190.0
    h0, m0, s0 = START
    for n, (x, y, v) in enumerate(samples):
        t = h0 * 3600 + m0 * 60 + s0 + n
        hms = "%02d%02d%02d.000" % (t // 3600, t // 60 % 60, t % 60)
        lat, lon = latlon(x, y)
        if n + 1 < len(samples) and v > 0.2:
            nx, ny, _ = samples[n + 1]
            if math.dist((x, y), (nx, ny)) > 0.1:
                course = math.degrees(math.atan2(nx - x, ny - y)) % 360.0
        height = 657.0 + 9.0 * math.sin(n / 70.0) + rng.uniform(-0.4, 0.4)

        tracked = []
        for prn, elev, az, snr in SATELLITES:
            drift = n / 600.0
            e = max(1, min(89, int(round(elev + 3 * math.sin(drift + prn)))))
            a = int(round(az + 4 * drift)) % 360
            level = None if snr is None else max(20, min(50, snr + rng.randint(-3, 3)))
            # The trees along Alfonso XII shade the low western sky.
            if level is not None and x < -60 and 200 < a < 300 and e < 40:
                level = max(20, level - 8)
            tracked.append((prn, e, a, level))
        used = [prn for prn, e, a, level in tracked if level is not None and level >= 30]
        used = used[:10]
        hdop = 0.8 + 2.4 / len(used) + rng.uniform(0.0, 0.08)
        vdop = 1.2 + 3.6 / len(used) + rng.uniform(0.0, 0.1)
        pdop = math.hypot(hdop, vdop)

        lat_text = nmea_angle(lat, 2)
        lon_text = nmea_angle(lon, 3)
        out.append(sentence("GPGGA,%s,%s,N,%s,W,1,%02d,%.2f,%.1f,M,51.6,M,,0000"
                            % (hms, lat_text, lon_text, len(used), hdop, height)))
        channels = [("%02d" % p) for p in used] + [""] * (12 - len(used))
        out.append(sentence("GPGSA,A,3,%s,%.2f,%.2f,%.2f"
                            % (",".join(channels), pdop, hdop, vdop)))
        groups = [tracked[i:i + 4] for i in range(0, len(tracked), 4)]
        for i, group in enumerate(groups):
            fields = []
            for prn, e, a, level in group:
                fields.append("%02d,%02d,%03d,%s" % (prn, e, a, "" if level is None else "%02d" % level))
            out.append(sentence("GPGSV,%d,%d,%02d,%s" % (len(groups), i + 1, len(tracked), ",".join(fields))))
        out.append(sentence("GPRMC,%s,A,%s,N,%s,W,%.2f,%.2f,%s,,,A"
                            % (hms, lat_text, lon_text, v * 3.6 / 1.852, course, DATE)))
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
