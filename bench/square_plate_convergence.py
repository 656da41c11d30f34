#!/usr/bin/python3
"""Mesh convergence of lajefem on a uniformly loaded square plate.

Writes N x N data files for a simply supported (soft: w held; hard: w and the slope along the
edge held) and a clamped square, runs lajefem on each in a scratch folder, and prints the centre
deflection and centre moment against the thin-plate values:
  simply supported: Navier's double series (summed here to 1e-12);
  clamped: the biharmonic equation by finite differences on 64 and 128 intervals, Richardson
  extrapolated (fourth order), which matches the published 0.00126532 q a^4 / D.
Usage: square_plate_convergence.py PATH/TO/lajefem [--thickness T] [--poisson NU] [--meshes 2,4,...]
       [--tools PATH/TO/lajefem-tools]   (data files from lajefem-tools generate instead)
"""
import argparse
import math
import os
import re
import subprocess
import tempfile

import numpy as np

SPAN = 6.0       # m
MODULUS = 30.0   # GPa
LOAD = -10.0     # kN/m2, along -w (gravity with +w up)
SPRING = 1.0e6   # GN/m


def node_number(i, j, n):
    return j * (n + 1) + i + 1


def held_freedoms(i, j, n, support):
    """Springs (w, theta_x, theta_y) of grid node (i, j), or None for an interior node."""
    on_bottom_top = j in (0, n)
    on_left_right = i in (0, n)
    if not (on_bottom_top or on_left_right):
        return None
    if support == "clamped":
        return (SPRING, SPRING, SPRING)
    if support == "soft":
        return (SPRING, 0.0, 0.0)
    # hard: the slope along the edge is held too (theta_x along y = 0 and y = a, theta_y along
    # x = 0 and x = a)
    return (SPRING, SPRING if on_bottom_top else 0.0, SPRING if on_left_right else 0.0)


def data_file_text(n, support, thickness, poisson):
    h = SPAN / n
    lines = [f"Estudo de malha: placa quadrada {SPAN:g} m, malha {n} x {n}, apoio {support}",
             "Titulo", f"'Q{n}{support[0].upper()}'",
             "Material: E (GPa), Poisson, espessura (m)", f"{MODULUS} {poisson} {thickness}"]
    nodes = [(i, j) for j in range(n + 1) for i in range(n + 1)]
    supports = [(node_number(i, j, n), held_freedoms(i, j, n, support)) for (i, j) in nodes]
    supports = [(node, springs) for node, springs in supports if springs is not None]
    lines += ["Nos, elementos, apoios", f"{len(nodes)} {n * n} {len(supports)}",
              "Coordenadas dos nos", "no x y"]
    lines += [f"{node_number(i, j, n)} {i * h!r} {j * h!r}" for (i, j) in nodes]
    lines += ["Elementos", "elemento tipo no1 no2 no3 no4"]
    for j in range(n):
        for i in range(n):
            first = node_number(i, j, n)
            lines.append(f"{j * n + i + 1} 1 {first} {first + 1} {first + n + 2} {first + n + 1}")
    lines += ["Apoios", "apoio no k_w k_tetax k_tetay"]
    lines += [f"{s + 1} {node} {kw} {ktx} {kty}" for s, (node, (kw, ktx, kty)) in enumerate(supports)]
    lines += ["Cargas", "casos, cargas por caso", "1 1", "tipos", "CASO 1", "carga tipo no",
              "1 2 0", f"{LOAD} 0 0 0 0 0 0 0", "Ficheiro de resultados", "q.res"]
    return "\n".join(lines) + "\n"


EDGE_LETTERS = {"soft": "SSSS", "hard": "HHHH", "clamped": "CCCC"}


def generated_text(tools, n, support, thickness, poisson):
    """The same plate written by lajefem-tools generate."""
    command = [tools, "generate", "-o", "-", "--size", str(SPAN), str(SPAN), "--mesh", str(n),
               str(n), "--edges", EDGE_LETTERS[support], "--material", str(MODULUS),
               str(poisson), str(thickness), "--spring", str(SPRING), "--uniform", str(LOAD),
               "--results", "q.res"]
    return subprocess.run(command, check=True, capture_output=True).stdout.decode("latin-1")


def run_lajefem(program, text):
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "q"), "w", encoding="latin-1") as data:
            data.write(text)
        subprocess.run([program], input=b"q\n\n", cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "q.res"), encoding="latin-1") as report:
            return report.read()


def centre_results(report, n):
    """Centre w (mm), the Mx at the Gauss point nearest the centre, and the centre Mx extrapolated
    to the node and averaged over its four elements (as lajefem-tools export does)."""
    centre = node_number(n // 2, n // 2, n)
    w = None
    for line in report.splitlines():
        fields = line.split()
        if len(fields) == 5 and fields[0] == "1" and fields[1] == str(centre) and w is None:
            w = float(fields[2])
    mx = {}
    block = report.split("CASO DE CARGA N")[1]
    for line in block.splitlines():
        match = re.match(r"^\s*(\d+)\s+1\s+(-?\d+\.\d+)\s+(-?\d+\.\d+)\s+(-?\d+\.\d+)\s+(-?\d+\.\d+)$",
                         line)
        if match:
            mx[int(match.group(1))] = [float(match.group(k)) for k in range(2, 6)]
    half = n // 2
    # the four elements around the centre node, with the corner (= nearest Gauss point) there
    around = [((half - 1) * n + half, 3), ((half - 1) * n + half + 1, 4),
              (half * n + half + 1, 1), (half * n + half, 2)]
    a, b, c = 1.0 + math.sqrt(3.0) / 2.0, -0.5, 1.0 - math.sqrt(3.0) / 2.0
    extrapolation = [[a, b, c, b], [b, a, b, c], [c, b, a, b], [b, c, b, a]]
    nearest = [mx[e][corner - 1] for e, corner in around]
    nodal = [sum(extrapolation[corner - 1][p] * mx[e][p] for p in range(4)) for e, corner in around]
    return w, sum(nearest) / 4.0, sum(nodal) / 4.0


def navier_centre(poisson, terms=2001):
    """Simply supported square, uniform load: centre w / (q a^4 / D) and Mx / (q a^2)."""
    w = 0.0
    wxx = 0.0
    for m in range(1, terms, 2):
        for n in range(1, terms, 2):
            sign = (-1) ** ((m + n) // 2 - 1)
            amplitude = 16.0 / (math.pi ** 6 * m * n * (m * m + n * n) ** 2)
            w += sign * amplitude
            wxx += sign * amplitude * (m * math.pi) ** 2
    return w, (1.0 + poisson) * wxx


def clamped_fd_entries(intervals):
    """Clamped unit square, biharmonic by the 13-point stencil with w = 0 and zero normal slope
    (mirror ghost nodes): the matrix entries (row, column, value) over the interior nodes."""
    h = 1.0 / intervals
    inner = intervals - 1
    index = lambda i, j: (j - 1) * inner + (i - 1)
    size = inner * inner
    rows, cols, vals = [], [], []
    stencil = {(0, 0): 20.0, (1, 0): -8.0, (-1, 0): -8.0, (0, 1): -8.0, (0, -1): -8.0,
               (1, 1): 2.0, (1, -1): 2.0, (-1, 1): 2.0, (-1, -1): 2.0,
               (2, 0): 1.0, (-2, 0): 1.0, (0, 2): 1.0, (0, -2): 1.0}
    for j in range(1, intervals):
        for i in range(1, intervals):
            for (di, dj), value in stencil.items():
                ii, jj = i + di, j + dj
                if ii in (-1, intervals + 1):
                    ii = 1 if ii == -1 else intervals - 1  # ghost = mirror (zero slope)
                if jj in (-1, intervals + 1):
                    jj = 1 if jj == -1 else intervals - 1
                if ii in (0, intervals) or jj in (0, intervals):
                    continue  # w = 0 on the edge
                rows.append(index(i, j))
                cols.append(index(ii, jj))
                vals.append(value / h ** 4)
    return rows, cols, vals, size, h


def solve_clamped(intervals, poisson):
    """Centre w / (q a^4 / D) and centre Mx / (q a^2) of the clamped square."""
    rows, cols, vals, size, h = clamped_fd_entries(intervals)
    inner = intervals - 1
    # banded dense solve: bandwidth 2*inner
    band = 2 * inner
    ab = np.zeros((2 * band + 1, size))
    for r, c, v in zip(rows, cols, vals):
        ab[band + r - c, c] += v
    w = banded_solve(ab, band, np.ones(size))
    grid = np.zeros((intervals + 1, intervals + 1))
    for j in range(1, intervals):
        for i in range(1, intervals):
            grid[i, j] = w[(j - 1) * inner + (i - 1)]
    mid = intervals // 2
    wxx = (grid[mid + 1, mid] - 2 * grid[mid, mid] + grid[mid - 1, mid]) / h ** 2
    return grid[mid, mid], -(1.0 + poisson) * wxx  # the thin-plate Mx = -D (1 + nu) w,xx here


def banded_solve(ab, band, rhs):
    """Gaussian elimination without pivoting on a banded matrix (the operator is positive
    definite), ab[band + r - c, c] = A[r, c]."""
    size = rhs.size
    dense = np.zeros((size, 2 * band + 1))  # row r: columns r - band .. r + band
    for offset in range(-band, band + 1):
        for c in range(size):
            r = c + offset
            if 0 <= r < size:
                dense[r, c - r + band] = ab[band + offset, c]
    b = rhs.copy()
    for k in range(size):
        pivot = dense[k, band]
        last = min(size, k + band + 1)
        for r in range(k + 1, last):
            factor = dense[r, k - r + band] / pivot
            if factor != 0.0:
                dense[r, k - r + band: k - r + band + (last - k)] -= factor * dense[k, band: band + (last - k)]
                b[r] -= factor * b[k]
    x = np.zeros(size)
    for k in range(size - 1, -1, -1):
        last = min(size, k + band + 1)
        x[k] = (b[k] - dense[k, band + 1: band + (last - k)] @ x[k + 1: last]) / dense[k, band]
    return x


def richardson(coarse, fine):
    return fine + (fine - coarse) / 3.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--thickness", type=float, default=0.06)
    parser.add_argument("--poisson", type=float, default=0.3)
    parser.add_argument("--meshes", default="2,4,6,8,10,12,14,16")
    parser.add_argument("--supports", default="soft,hard,clamped")
    parser.add_argument("--tools", help="lajefem-tools: write the data files with its generate")
    args = parser.parse_args()
    e = MODULUS * 1.0e6
    d = e * args.thickness ** 3 / (12.0 * (1.0 - args.poisson ** 2))
    w_scale = abs(LOAD) * SPAN ** 4 / d * 1000.0  # mm
    m_scale = abs(LOAD) * SPAN ** 2
    ss_w, ss_m = navier_centre(args.poisson)
    references = {"soft": (ss_w, ss_m), "hard": (ss_w, ss_m)}
    if "clamped" in args.supports:
        coarse = solve_clamped(64, args.poisson)
        fine = solve_clamped(128, args.poisson)
        references["clamped"] = (richardson(coarse[0], fine[0]), richardson(coarse[1], fine[1]))
    print(f"a = {SPAN} m, t = {args.thickness} m, E = {MODULUS} GPa, nu = {args.poisson}, "
          f"q = {LOAD} kN/m2, D = {d:.6g} kN m")
    for support in args.supports.split(","):
        w_ref, m_ref = references[support]
        print(f"\n{support}: thin plate w = {w_ref:.8f} q a^4/D = {w_ref * w_scale:.4f} mm, "
              f"Mx = {m_ref:.7f} q a^2 = {m_ref * m_scale:.4f} kN m/m")
        print(" mesh   w (mm)   w/w_thin  Mx nearest Gauss pt  ratio   Mx extrapolated  ratio")
        for n in [int(value) for value in args.meshes.split(",")]:
            if args.tools:
                text = generated_text(args.tools, n, support, args.thickness, args.poisson)
            else:
                text = data_file_text(n, support, args.thickness, args.poisson)
            report = run_lajefem(args.program, text)
            w, m_gauss, m_node = centre_results(report, n)
            print(f"{n:3d}x{n:<3d} {w:9.3f}  {abs(w) / (w_ref * w_scale):7.4f}  "
                  f"{m_gauss:12.4f}  {abs(m_gauss) / (m_ref * m_scale):12.4f}  "
                  f"{m_node:12.4f}  {abs(m_node) / (m_ref * m_scale):10.4f}")


if __name__ == "__main__":
    main()
