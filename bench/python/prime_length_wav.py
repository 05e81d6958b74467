#!/usr/bin/python3
"""Writes a copy of a WAV record cut to the longest prime number of frames it holds: FFTW
transforms a prime length several times slower than a round one, and the envelope must not.
Any sample format; the standard library only.

    prime_length_wav.py IN.wav OUT.wav
"""
import struct
import sys


def is_prime(n):
    if n < 2 or n % 2 == 0:
        return n == 2
    d = 3
    while d * d <= n:
        if n % d == 0:
            return False
        d += 2
    return True


def main():
    data = open(sys.argv[1], "rb").read()
    chunks, at, frame = [], 12, None
    while at + 8 <= len(data):
        cid, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if cid == b"fmt ":
            channels, bits = struct.unpack("<H", body[2:4])[0], struct.unpack("<H", body[14:16])[0]
            frame = channels * bits // 8
        if cid == b"data":
            frames = size // frame
            while not is_prime(frames):
                frames -= 1
            body = body[:frames * frame]
        chunks.append(cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b""))
        at += 8 + size + size % 2
    out = b"".join(chunks)
    open(sys.argv[2], "wb").write(b"RIFF" + struct.pack("<I", 4 + len(out)) + b"WAVE" + out)
    print(frames)


if __name__ == "__main__":
    main()
