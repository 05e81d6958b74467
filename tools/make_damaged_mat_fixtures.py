#!/usr/bin/env python3
"""Writes the damaged MATLAB 5 files of tests/data/damaged: each a header and one variable
whose sizes lie about its bytes, as a damaged disk or a crafted file would. Run from the
project's root: python3 tools/make_damaged_mat_fixtures.py"""
import struct
import zlib

OUT = 'tests/data/damaged/'


def header():
    text = b'MATLAB 5.0 MAT-file, written to test a reader'
    return text.ljust(116, b' ') + b'\0' * 8 + struct.pack('<H', 0x0100) + b'IM'


def element(kind, data, pad=True):
    body = data + (b'\0' * ((8 - len(data) % 8) % 8) if pad else b'')
    return struct.pack('<II', kind, len(data)) + body


def matrix(klass, dims, name, *parts, dims_bytes=None):
    flags = element(6, struct.pack('<II', klass, 0))
    d = struct.pack('<' + 'i' * len(dims), *dims)
    dim = struct.pack('<II', 5, dims_bytes if dims_bytes is not None else len(d)) + d
    body = flags + dim + element(1, name) + b''.join(parts)
    return element(14, body)


def doubles(n):
    return element(9, struct.pack('<' + 'd' * n, *[0.5] * n))


def write(name, *variables):
    with open(OUT + name, 'wb') as f:
        f.write(header() + b''.join(variables))


def compressed(inner):
    return element(15, zlib.compress(inner), pad=False)


# The dimensions' own byte count says 4 GB: matio would allocate it for the dimensions.
write('dims_4gb.mat', matrix(6, [16, 1], b'x', doubles(16), dims_bytes=0xfffffff8))
# A cell of a billion cells holding one: matio would allocate a pointer for each.
write('cell_billion.mat', matrix(1, [1000000000, 1], b'c', matrix(6, [1, 1], b'', doubles(1))))
# A struct of 100 000 × 100 000 elements with one field and one value.
write('struct_billion.mat', matrix(2, [100000, 100000], b's', element(5, struct.pack('<i', 8)),
                                   element(1, b'gs\0\0\0\0\0\0'),
                                   matrix(6, [1, 1], b'', doubles(1))))
# Compressed: dimensions of 1000 values over 16 stored.
write('compressed_short.mat', compressed(matrix(6, [1000, 1], b'x', doubles(16))))
# Compressed: the matrix inside claims 4 GB from 100 bytes.
inner = matrix(6, [16, 1], b'x', doubles(16))
write('compressed_claim.mat', compressed(struct.pack('<II', 14, 0xfffffff0) + inner[8:]))
# Compressed: the stream stops halfway through the values.
whole = zlib.compress(matrix(6, [512, 1], b'x', doubles(512)))
write('compressed_cut.mat', element(15, whole[:len(whole) // 2], pad=False))
# A dimension of -1, and two of 2^31 - 1 whose product no file could hold.
write('dims_negative.mat', matrix(6, [-1, 1], b'x', doubles(16)))
write('dims_huge.mat', matrix(6, [2147483647, 2147483647], b'x', doubles(16)))
