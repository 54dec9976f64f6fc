#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_smf_convert into fuzz/corpus/smf_convert: small songs
(formats 0 and 1, running status, exclusive and meta events, SMPTE timing, a RIFF MIDI
file), each behind a rules text, in the fuzzer's input layout."""
import pathlib
import struct

def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)

def track(*events, end=0):
    data = b"".join(varlen(delay) + bytes(body) for delay, body in events)
    data += varlen(end) + bytes([0xFF, 0x2F, 0x00])
    return b"MTrk" + struct.pack(">I", len(data)) + data

def smf(fmt, division, *tracks):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division) + b"".join(tracks)

def seed(rules, song):
    text = rules.encode("cp932")
    return struct.pack("<H", len(text)) + text + song

conductor = track((0, [0xFF, 0x51, 3, 0x07, 0xA1, 0x20]), (0, [0xFF, 0x58, 4, 4, 2, 24, 8]), end=192)
band = track((0, [0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7]), (0, [0xB0, 7, 100]), (0, [0xC0, 0]),
             (0, [0xC9, 0]), (0, [0x90, 60, 100]), (0, [0x99, 36, 80]), (0, [0x91, 64, 80]),
             (96, [0x81, 64, 0]), (48, [0x80, 60, 0]), (0, [0x99, 36, 0]), end=48)
running = track((0, [0x90, 60, 100]), (96, [60, 0]), (0, [0xF0, 1, 0xF7]), (0, [62, 100]),
                (96, [62, 0]), (0, [0xE0, 0, 0x40]), (0, [0xD0, 5]), (0, [0xA0, 62, 3]))
song1 = smf(1, 96, conductor, band)
song0 = smf(0, 480, running)
smpte = smf(0, 0xE728, track((0, [0xFF, 0x51, 3, 0x07, 0xA1, 0x20]), (40, [0x90, 60, 1])))
riff = b"RIFF" + struct.pack("<I", 4 + 8 + len(song0)) + b"RMID" + b"data" + \
    struct.pack("<I", len(song0)) + song0

seeds = {
    "band": seed("program 1 -> 5\ndrum 1 -> 17\nvolume 50%\nmute 2", song1),
    "swap": seed("channel 1 -> 2\nchannel ch2 -> ch1\ntranspose ch1 -61\nreset XG", song1),
    "running": seed("velocity 50%\ntempo 200%\nsysex remove", song0),
    "smpte": seed("tempo 30% ; comment\r\nreset gm2", smpte),
    "riff": seed("velocity\u3000ch10 200% ; 表", riff),
}
folder = pathlib.Path(__file__).resolve().parents[1] / "corpus" / "smf_convert"
folder.mkdir(parents=True, exist_ok=True)
for name, data in seeds.items():
    (folder / name).write_bytes(data)
