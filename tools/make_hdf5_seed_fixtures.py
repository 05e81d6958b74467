#!/usr/bin/python3
# Writes crafted MATLAB files of the hard cases: version 7.3 files whose variables reach
# outside the file (an external link, a virtual dataset, external storage, each pointing at a
# FIFO the fuzzer will never find) or hold nothing written (a chunked dataset of 2^27 values,
# no chunk written), and one of many variables, into fuzz/crafted73 (fuzz/crafted73/README.md,
# copied into the MATLAB and dispatch corpora); a version 5 file of many variables into the
# MATLAB corpus. Needs Debian's python3-h5py and
# python3-numpy; run from the project's root.
import struct

import h5py
import numpy as np

OUT = 'fuzz/crafted73/'
OUT5 = 'fuzz/corpus/matlab/'
HEADER = (b'MATLAB 7.3 MAT-file, Platform: GLNXA64, HDF5 schema 1.00 .'.ljust(116, b' ') +
          b'\0' * 8 + b'\0\x02IM').ljust(512, b'\0')


def mat73(name, fill):
    path = OUT + name
    with h5py.File(path, 'w', userblock_size=512) as f:
        d = f.create_dataset('X097_DE_time', data=np.sin(np.arange(256) * 0.1).reshape(1, -1))
        d.attrs.create('MATLAB_class', np.bytes_('double'), dtype=h5py.string_dtype('ascii', 6))
        fill(f)
    with open(path, 'r+b') as f:
        f.write(HEADER)


def external_link(f):
    f['X098_DE_time'] = h5py.ExternalLink('/tmp/orbistan-fifo.mat', '/X097_DE_time')


def virtual(f):
    layout = h5py.VirtualLayout(shape=(256,), dtype='f8')
    layout[:] = h5py.VirtualSource('/tmp/orbistan-fifo.mat', 'X097_DE_time', shape=(256,))
    f.create_virtual_dataset('X099_DE_time', layout)


def external_storage(f):
    f.create_dataset('X100_DE_time', shape=(256,), dtype='f8',
                     external=[('/tmp/orbistan-fifo.raw', 0, 2048)])


def unwritten(f):
    d = f.create_dataset('X101_DE_time', shape=(1 << 27,), dtype='f8', chunks=(1 << 16,))
    d.attrs.create('MATLAB_class', np.bytes_('double'), dtype=h5py.string_dtype('ascii', 6))


def many(f):
    for i in range(300):
        d = f.create_dataset('v%d' % i, data=np.array([[float(i)]]))
        d.attrs.create('MATLAB_class', np.bytes_('double'), dtype=h5py.string_dtype('ascii', 6))


mat73('v73_external_link.mat', external_link)
mat73('v73_virtual.mat', virtual)
mat73('v73_external_storage.mat', external_storage)
mat73('v73_unwritten.mat', unwritten)
mat73('v73_many_variables.mat', many)


# Version 5: 300 scalars beside a record, uncompressed.
def element(kind, data):
    return struct.pack('<II', kind, len(data)) + data + b'\0' * (-len(data) % 8)


def matrix(name, values):
    body = (element(6, struct.pack('<II', 6, 0)) + element(5, struct.pack('<ii', len(values), 1)) +
            element(1, name) + element(9, struct.pack('<%dd' % len(values), *values)))
    return struct.pack('<II', 14, len(body)) + body


with open(OUT5 + 'v5_many_variables.mat', 'wb') as f:
    f.write(b'MATLAB 5.0 MAT-file, crafted'.ljust(116, b' ') + b'\0' * 8 + b'\0\x01IM')
    f.write(matrix(b'X097_DE_time', [np.sin(i * 0.1) for i in range(256)]))
    for i in range(300):
        f.write(matrix(b'v%d' % i, [float(i)]))
