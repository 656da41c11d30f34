#!/usr/bin/env python3
"""Writes the slabs on point columns whose meshes leave the element's checkerboard soft, with
their sound neighbours, as data files into the folder given:
  flat-5-4-5.dat   3 x 3 bays of 6 m on 16 columns, 5 + 4 + 5 elements per bay direction
  flat-5-5-5.dat   the same slab with 5 elements in every bay (sound)
  quarter-5-2.dat  a quarter of it, 5 elements in the whole bay and 2 in the half bay up to
                   symmetry lines at mid-bay (theta normal to each line held): the mirror is even
  quarter-5-3.dat  the same with 3 elements in the half bay (mirrored: 6, even)
  two-bays-5-4.dat 2 x 2 bays of 6 m on 9 columns, 5 + 4 elements (one even bay)
Columns hold w alone (1E6 GN/m); E 30 GPa, nu 0.2, t 0.2 m, 10 kN/m2 downwards."""
import sys
from pathlib import Path


def lines(counts, bay):
    xs = [0.0]
    for n in counts:
        xs += [xs[-1] + bay * (k + 1) / n for k in range(n)]
    return xs


def data_file(title, xs, ys, supports):
    nodes = [(x, y) for y in ys for x in xs]
    nx = len(xs)
    elements = []
    for j in range(len(ys) - 1):
        for i in range(nx - 1):
            a = j * nx + i + 1
            elements.append((a, a + 1, a + 1 + nx, a + nx))
    out = [f"LAJEFEM - {title}", "laje sobre pilares", f"'{title[:12].upper()}'",
           "Material: modulo de elasticidade E (GPa), coeficiente de Poisson, espessura (m)",
           "30.0 0.2 0.20", "Numero de nos, numero de elementos, numero de apoios",
           f"{len(nodes)} {len(elements)} {len(supports)}", "COORDENADAS DOS NOS", "no  x (m)  y (m)"]
    out += [f"{k + 1} {x:.4f} {y:.4f}" for k, (x, y) in enumerate(nodes)]
    out += ["ELEMENTOS (cantos no sentido anti-horario)", "elemento tipo no1 no2 no3 no4"]
    out += [f"{k + 1} 1 {a} {b} {c} {d}" for k, (a, b, c, d) in enumerate(elements)]
    out += ["APOIOS (molas em GN/m)", "apoio no  k_w  k_tetax  k_tetay"]
    out += [f"{k + 1} {n} {w} {tx} {ty}" for k, (n, w, tx, ty) in enumerate(supports)]
    out += ["CARGAS", "numero de casos de carga, numero de cargas de cada caso", "1 1",
            "tipo 1 = carga nodal (F kN, Mx, My kN.m); tipo 2 = carga distribuida (q kN/m2)",
            "CASO 1", "carga tipo no  /  oito valores", "1 2 0", "-10.0 0 0 0 0 0 0 0",
            "FICHEIRO DE RESULTADOS", f"{title[:8].lower()}.res"]
    return "\n".join(out) + "\n"


def node_at(xs, ys, x, y):
    return ys.index(y) * len(xs) + xs.index(x) + 1


def columns(xs, ys, at):
    return [(node_at(xs, ys, x, y), "1.0E6", "0.0", "0.0") for y in at for x in at]


def flat(counts, bays):
    xs = lines(counts, 6.0)
    at = [6.0 * k for k in range(bays + 1)]
    return data_file("flat", xs, xs, columns(xs, xs, at))


def quarter(whole, half):
    xs = lines([whole], 6.0) + [6.0 + 3.0 * (k + 1) / half for k in range(half)]
    edge = xs[-1]
    supports = columns(xs, xs, [0.0, 6.0])
    for k, x in enumerate(xs):
        along_x = node_at(xs, xs, x, edge)  # line y = 9: dw/dy = 0
        along_y = node_at(xs, xs, edge, x)  # line x = 9: dw/dx = 0
        if x == edge:
            supports.append((along_x, "0.0", "1.0E6", "1.0E6"))
        else:
            supports.append((along_x, "0.0", "0.0", "1.0E6"))
            supports.append((along_y, "0.0", "1.0E6", "0.0"))
    return data_file("quarter", xs, xs, supports)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    models = {"flat-5-4-5.dat": flat([5, 4, 5], 3), "flat-5-5-5.dat": flat([5, 5, 5], 3),
              "quarter-5-2.dat": quarter(5, 2), "quarter-5-3.dat": quarter(5, 3),
              "two-bays-5-4.dat": flat([5, 4], 2)}
    for name, text in models.items():
        (folder / name).write_text(text, encoding="latin-1")


main()
