#!/usr/bin/python3
# Cuts the short excerpts of public bearing recordings that tests/data/real holds (see its
# README for the sources and licences). Needs Debian's python3-numpy and python3-scipy.
#   make_real_data_fixtures.py cwru SOURCE.mat OUT.mat SECONDS RATE
#   make_real_data_fixtures.py mfpt SOURCE.mat OUT.mat SECONDS
# The excerpt starts at the record's beginning and is scaled to 16-bit integers (a
# diagnosis does not depend on the scale), and written as a compressed MATLAB 5 file in the
# source's own layout: the CWRU drive-end vector and RPM scalar, the MFPT struct `bearing`.
import sys

import numpy as np
import scipy.io as sio


def as_int16(x):
    return np.round(x * (32000 / np.max(np.abs(x)))).astype(np.int16).reshape(-1, 1)


def cwru(source, out, seconds, rate):
    m = sio.loadmat(source)
    drive_end = next(k for k in m if k.endswith('_DE_time'))
    excerpt = {drive_end: as_int16(m[drive_end][: int(seconds * rate), 0])}
    for rpm in (k for k in m if k.endswith('RPM')):
        excerpt[rpm] = m[rpm]
    sio.savemat(out, excerpt, do_compression=True, format='5')


def mfpt(source, out, seconds):
    b = sio.loadmat(source)['bearing'][0, 0]
    n = int(seconds * float(b['sr'][0, 0]))
    struct = {'gs': as_int16(b['gs'][:n, 0]), 'sr': b['sr'], 'rate': b['rate'], 'load': b['load']}
    sio.savemat(out, {'bearing': struct}, do_compression=True, format='5')


if __name__ == '__main__':
    kind, source, out, seconds = sys.argv[1:5]
    if kind == 'cwru':
        cwru(source, out, float(seconds), int(sys.argv[5]))
    else:
        mfpt(source, out, float(seconds))
