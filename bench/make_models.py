"""Writes the two timing models: the largest model the store holds and a 16 x 16 mesh."""
import sys


def write(path, title, nodes, elements, supports, cases, results):
    lines = ["modelo de medicao de tempos", "", title, "material", "30.0 0.2 0.2", "contagens",
             "%d %d %d" % (len(nodes), len(elements), len(supports)), "nos", "no x y"]
    lines += ["%d %.4f %.4f" % (k + 1, x, y) for k, (x, y) in enumerate(nodes)]
    lines += ["elementos", "num tipo n1 n2 n3 n4"]
    lines += ["%d 1 %d %d %d %d" % ((k + 1,) + e) for k, e in enumerate(elements)]
    lines += ["apoios", "num no kw ktx kty"]
    lines += ["%d %d %s" % (k + 1, n, springs) for k, (n, springs) in enumerate(supports)]
    lines += ["cargas", "ncasos ncargas", " ".join(str(v) for v in [len(cases)] + [len(c) for c in cases]), "----"]
    for c, loads in enumerate(cases):
        lines += ["CASO %d" % (c + 1), "num tipo no"]
        for k, (kind, node, q) in enumerate(loads):
            lines += ["%d %d %d" % (k + 1, kind, node), "%g 0 0 0 0 0 0 0" % q]
    lines += ["RESULTADOS", results]
    open(path, "w").write("\n".join(lines) + "\n")


def grid(columns, rows, spacing):
    nodes = [(i * spacing, j * spacing) for j in range(rows) for i in range(columns)]
    node = lambda i, j: j * columns + i + 1
    elements = [(node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1))
                for j in range(rows - 1) for i in range(columns - 1)]
    return nodes, elements, node


folder = sys.argv[1]

# Largest: rows of 37 nodes (half-bandwidth 117), 8 rows = 296 nodes and 252 elements, the
# first 148 elements doubled (a second layer) to reach 400, and 4 separate nodes on springs to
# reach 300 nodes. Four load cases of 80 loads each.
nodes, elements, node = grid(37, 8, 0.5)
elements += elements[:148]
nodes += [(30.0 + k, 10.0) for k in range(4)]
supports = [(node(i, 0), "1.0E6 0.0 0.0") for i in range(37)]
supports += [(node(0, j), "1.0E6 0.0 0.0") for j in range(1, 8)]
supports += [(297 + k, "1.0 1.0 1.0") for k in range(4)]
cases = [[(2, 0, -1.0 * (c + 1))] + [(1, 37 * 7 + 1 + (k % 37), -0.5) for k in range(79)]
         for c in range(4)]
write(folder + "/maior", "'MAIOR'", nodes, elements, supports, cases, "maior.res")

# 16 x 16 elements, two opposite edges supported: 289 nodes, 34 supports.
nodes, elements, node = grid(17, 17, 0.5)
supports = [(node(0, j), "1.0E6 0.0 0.0") for j in range(17)]
supports += [(node(16, j), "1.0E6 0.0 0.0") for j in range(17)]
write(folder + "/malha16", "'MALHA 16'", nodes, elements, supports, [[(2, 0, -10.0)]], "malha16.res")
