#!/usr/bin/python3
"""The band search an analyst would write with numpy and scipy, as `orbistan-cli envelope FILE
--band auto` does it: the record pre-whitened, a 1/3-binary tree of bands from half the
Nyquist frequency down to three times 200 Hz, each band's analytic signal decimated to twice
its width, the kurtosis of its squared-envelope spectrum from 1 Hz to 600 Hz, and the best
band's envelope spectrum averaged (Hann, 1,5 Hz lines, halves overlapping). Prints the band
and the envelope spectrum's highest line; `bench/band_search_bench.sh` times it beside the
program.

    band_search.py RECORD.wav
"""
import sys

import numpy as np
import scipy.fft as fft
import scipy.io.wavfile
import scipy.signal

HIGHEST_MODULATION = 3 * 200.0


def band_widths(nyquist, narrowest):
    widths, divisor = [], 2.0
    while True:
        for d in (divisor, divisor * 1.5):
            if nyquist / d < narrowest:
                return widths
            widths.append(nyquist / d)
        divisor *= 2


def band_measure(lines, first, last, per_line, width):
    m = fft.next_fast_len(2 * (last - first + 1))
    z = fft.ifft(lines[first:last + 1], n=m)
    e = z.real ** 2 + z.imag ** 2
    ses = np.abs(fft.rfft(e - e.mean())) ** 2
    lo = max(1, int(np.ceil(1 / per_line)))
    hi = min(m // 2, int(min(HIGHEST_MODULATION, width) / per_line))
    if hi < lo + 8:
        return 0.0
    p = ses[lo:hi + 1]
    m2 = p.mean()
    return (p * p).mean() / (m2 * m2) if m2 > 0 else 0.0


def best_band(x, rate):
    n = fft.next_fast_len(len(x), real=True)
    lines = fft.rfft(x, n=n)
    magnitude = np.abs(lines)
    lines = np.where(magnitude > 0, lines / np.where(magnitude > 0, magnitude, 1), lines)
    nyquist, per_line = rate / 2, rate / n
    best, best_measure = None, 0.0
    for w in band_widths(nyquist, max(HIGHEST_MODULATION, 16 * per_line)):
        for i in range(int(round(nyquist / w))):
            low, high = i * w, min(nyquist, (i + 1) * w)
            first = max(1, int(np.ceil(low / per_line)))
            last = min(n // 2, int(high / per_line))
            if last < first + 8:
                continue
            measure = band_measure(lines, first, last, per_line, high - low)
            if measure > best_measure:
                best, best_measure = (low, high), measure
    return best, best_measure


def envelope_spectrum(x, rate, band):
    n = fft.next_fast_len(len(x), real=True)
    lines = fft.rfft(x, n=n)
    per_line = rate / n
    first = max(1, int(np.ceil(band[0] / per_line)))
    last = min((n - 1) // 2, int(band[1] / per_line))
    segment = 32768 if rate > 40000 else 8192  # 1,5 Hz lines
    factor = 1
    while rate / (2 * factor) >= 2 * (band[1] - band[0]) and segment // (2 * factor) >= 64:
        factor *= 2
    m = fft.next_fast_len(-(-n // factor)) * factor
    z = fft.ifft(2 * lines[first:last + 1], n=m // factor) * (m // factor) / n
    e = z.real ** 2 + z.imag ** 2
    e = e[: -(-len(x) // factor)]
    f, p = scipy.signal.welch(e - e.mean(), fs=rate / factor, window="hann",
                              nperseg=segment // factor, noverlap=segment // factor // 2,
                              detrend=False, scaling="spectrum")
    return f, np.sqrt(2 * p)


def main():
    rate, x = scipy.io.wavfile.read(sys.argv[1])
    x = x.astype(np.float64) / 32768.0 if x.dtype == np.int16 else x.astype(np.float64)
    if x.ndim > 1:
        x = x[:, 0]
    band, measure = best_band(x, rate)
    f, a = envelope_spectrum(x, rate, band)
    k = int(np.argmax(a[1:])) + 1
    print(f"band {band[0]:.1f}-{band[1]:.1f} Hz, kurtosis {measure:.3f}; "
          f"highest line {f[k]:.3f} Hz {a[k]:.6g}")


if __name__ == "__main__":
    main()
