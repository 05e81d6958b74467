#!/usr/bin/python3
# Writes tests/data/plain73.mat: an HDF5 file behind MATLAB 7.3's 512-byte header, as tools
# other than MATLAB write them, its dataset without MATLAB's class attribute. Needs Debian's
# python3-h5py and python3-numpy.
import sys

import h5py
import numpy as np

path = sys.argv[1] if len(sys.argv) > 1 else 'plain73.mat'
with h5py.File(path, 'w', userblock_size=512) as f:
    f.create_dataset('acc', data=np.sin(np.arange(64) * 0.1).reshape(1, -1))
header = b'MATLAB 7.3 MAT-file, Platform: GLNXA64, HDF5 schema 1.00 .'.ljust(116, b' ')
with open(path, 'r+b') as f:
    f.write((header + b'\0' * 8 + b'\0\x02IM').ljust(512, b'\0'))
