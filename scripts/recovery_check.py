#!/usr/bin/env python3
"""Compares a project saved after a recovery with the session that was killed.

    recovery_check.py KILLED_SESSION_FOLDER SAVED_PROJECT.mvl

The killed session's journal gives the frame list; each mask is its working file (black when
there was none) with the tile log's squares on top. The saved project must hold the same layer
sources, a mask exactly for the frames with a mask, and mask files with the same pixels.
Pictures are decoded with ImageMagick's convert. Prints what differs; status 1 when anything does.
"""
import os
import struct
import subprocess
import sys


def parse_journal(data):
    at = 0

    def line_number(end=b"\n"):
        nonlocal at
        stop = data.index(end, at)
        value = int(data[at:stop])
        at = stop + 1
        return value

    def text():
        nonlocal at
        length = line_number(b":")
        value = data[at:at + length]
        at += length + 1
        return value.decode("utf-8", "surrogateescape")

    head = b"MORVEL-JOURNAL 1\n"
    assert data.startswith(head), "not a journal"
    at = len(head)
    header = [text() for _ in range(6)]
    line_number()  # next mask number
    displayed = line_number()
    frames = []
    for _ in range(line_number()):
        frames.append((text(), text(), line_number()))
    assert data[at:] == b"end\n", "journal not complete"
    return header, displayed, frames


def parse_log(data):
    records, at = [], 0
    while len(data) - at >= 12:
        magic, size = struct.unpack_from("<II", data, at)
        if magic != 0x4D4C4F47 or len(data) - at - 12 < size:
            break
        payload = data[at + 8:at + 8 + size]
        at += size + 12
        mask, width, height, count = struct.unpack_from("<iiiI", payload, 0)
        tiles, p = [], 16
        for _ in range(count):
            left, top, w, h = struct.unpack_from("<iiii", payload, p)
            uniform, colour = payload[p + 16], payload[p + 17:p + 20]
            p += 20
            pixels = None
            if not uniform:
                pixels = payload[p:p + w * h * 3]
                p += w * h * 3
            tiles.append((left, top, w, h, colour, pixels))
        records.append((mask, width, height, tiles))
    return records


def pixels_of(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True).stdout
    if not ppm:
        return None
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        stop = at
        while not ppm[stop:stop + 1].isspace():
            stop += 1
        fields.append(ppm[at:stop])
        at = stop
    return int(fields[1]), int(fields[2]), bytearray(ppm[at + 1:])


def parse_project(data):
    lines, at = [], 0

    def line():
        nonlocal at
        stop = data.index(b"\r\n", at)
        value = data[at:stop].decode("utf-8", "surrogateescape")
        at = stop + 2
        return value

    header = [line() for _ in range(6)]
    (count,) = struct.unpack_from("<i", data, at)
    at += 4
    frames = []
    for _ in range(count):
        first, second = line(), line()
        frames.append((first, second, data[at]))
        at += 1
    return header, frames


def expand(template, k, digits, project):
    folder = os.path.dirname(project) + "/"
    base = os.path.splitext(os.path.basename(project))[0]
    name = template.replace("\\", "/")
    for key, value in (("$nr", str(k).zfill(digits)), ("$project", base)):
        out, low, at = "", name.lower(), 0
        while True:
            found = low.find(key, at)
            if found < 0:
                break
            out += name[at:found] + value
            at = found + len(key)
        name = out + name[at:]
    return folder + name


def main():
    session, project = sys.argv[1], sys.argv[2]
    with open(os.path.join(session, "journal"), "rb") as f:
        header, _, frames = parse_journal(f.read())
    log = []
    if os.path.exists(os.path.join(session, "tiles.log")):
        with open(os.path.join(session, "tiles.log"), "rb") as f:
            log = parse_log(f.read())
    with open(project, "rb") as f:
        saved_header, saved = parse_project(f.read())
    problems = []
    if len(saved) != len(frames):
        problems.append(f"{len(saved)} frames saved, {len(frames)} in the journal")
    digits = len(str(len(saved)))
    for k, (frame, entry) in enumerate(zip(frames, saved), 1):
        if frame[:2] != entry[:2]:
            problems.append(f"frame {k}: layers {entry[:2]} instead of {frame[:2]}")
        made = frame[2] != 0 and (
            os.path.exists(os.path.join(session, "morvel%X.tmp" % frame[2]))
            or any(record[0] == frame[2] for record in log))
        if not made:  # a mask made by the stroke under way at the kill: lost with it
            frame = (frame[0], frame[1], 0)
        if (frame[2] != 0) != (entry[2] != 0):
            problems.append(f"frame {k}: mask flag {entry[2]} for mask number {frame[2]}")
        if frame[2] == 0 or entry[2] == 0:
            continue
        expected = pixels_of(os.path.join(session, "morvel%X.tmp" % frame[2]))
        for mask, width, height, tiles in log:
            if mask != frame[2]:
                continue
            if expected is None or expected[:2] != (width, height):
                expected = (width, height, bytearray(width * height * 3))
            for left, top, w, h, colour, pixels in tiles:
                for y in range(h):
                    start = ((top + y) * width + left) * 3
                    row = pixels[y * w * 3:(y + 1) * w * 3] if pixels else colour * w
                    expected[2][start:start + w * 3] = row
        got = pixels_of(expand(saved_header[4], k, digits, project))
        if expected is None or got is None or expected != got:
            problems.append(f"frame {k}: mask {frame[2]} differs")
    for problem in problems:
        print("recovery_check:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
