#!/usr/bin/env python3
"""The LCF map of bench_arearuns' BM_LcfAreaRunI0 stack, vectorised in numpy
on one core: mu-t = ln(I0/I1) per pixel, pre- and post-edge lines per pixel,
the edge jump at the edge, then one least-squares product with the two
references for the whole map, and each pixel's residual.

    taskset -c 0 python3 bench/lcf_numpy.py [SIDE ...]   (default 256 1024)

Needs python3-numpy. Prints the best and the median of three timed maps
after one untimed map; building the stack is not timed.
"""
import os
import sys
import time

os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")
os.environ.setdefault("OMP_NUM_THREADS", "1")
import numpy as np  # noqa: E402

ENERGIES = 7000.0 + 2.0 * np.arange(151)


def reference(k, e):
    edge = 7112.0 + 8 * k
    wiggle = np.where(e > edge, 0.05 * np.sin((e - edge) / (12.0 + 3 * k)), 0.0)
    return 1.0 / (1.0 + np.exp(-(e - edge) / (2.0 + k))) + wiggle


def stack(side):
    """I0 and I1 counts, one row a pixel, as 16-bit frames hold them."""
    y, x = np.mgrid[0:side, 0:side]
    u = ((x + 0.5 * y) / (1.5 * (side - 1))).reshape(-1, 1)
    mu = 0.3 + 0.8 * (u * reference(0, ENERGIES) + (1 - u) * reference(1, ENERGIES))
    i1 = np.clip(20000.0 * np.exp(-mu), 0, 65535).astype(np.uint16)
    i0 = np.repeat((20000 + x.reshape(-1, 1) % 7).astype(np.uint16), ENERGIES.size, axis=1)
    return i0, i1


def line_values(mu, mask):
    """Per pixel, the least-squares line over the energies in mask, at every energy."""
    a = np.vstack([ENERGIES[mask], np.ones(mask.sum())]).T
    coef = np.linalg.lstsq(a, mu[:, mask].T, rcond=None)[0]
    return np.outer(coef[0], ENERGIES) + coef[1][:, None]


def normalised(mu):
    """mu less its pre-edge line, over the edge jump at 7116 eV."""
    pre = line_values(mu, ENERGIES <= 7090)
    post = line_values(mu, ENERGIES >= 7160)
    at = np.searchsorted(ENERGIES, 7116.0)
    return (mu - pre) / (post[:, at] - pre[:, at])[:, None]


def lcf_map(i0, i1):
    norm = normalised(np.log(i0.astype(np.float64) / i1.astype(np.float64)))
    fit = (ENERGIES >= 7090) & (ENERGIES <= 7200)
    refs = normalised(np.vstack([reference(0, ENERGIES), reference(1, ENERGIES)]))[:, fit].T
    fractions = np.linalg.lstsq(refs, norm[:, fit].T, rcond=None)[0]
    residual = ((refs @ fractions - norm[:, fit].T) ** 2).mean(axis=0)
    return fractions, residual


def main():
    for side in [int(s) for s in sys.argv[1:]] or [256, 1024]:
        i0, i1 = stack(side)
        lcf_map(i0, i1)
        times = []
        for _ in range(3):
            start = time.perf_counter()
            fractions, _ = lcf_map(i0, i1)
            times.append(time.perf_counter() - start)
        times.sort()
        print(f"{side} x {side} x {ENERGIES.size}: best {times[0] * 1e3:.0f} ms, "
              f"median {times[1] * 1e3:.0f} ms; first reference's share "
              f"{fractions[0, 0]:.2f} at (0, 0), {fractions[0, -1]:.2f} at the far corner")


if __name__ == "__main__":
    main()
