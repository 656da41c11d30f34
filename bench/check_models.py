"""Writes the timing models of the check: 300 nodes (900 equations) on four corner columns,
9 x 29 elements (odd both ways: checks clean) and 14 x 19 elements (even spacing in x: the
checkerboard mechanism, found and explained)."""
import os
import sys

# The writer and the grid of the run-timing models (everything before their folder argument).
here = os.path.dirname(os.path.abspath(__file__))
exec(open(os.path.join(here, "make_models.py")).read().split("\nfolder = ")[0])

folder = sys.argv[1]
for name, columns, rows in (("colunas9x29", 10, 30), ("colunas14x19", 15, 20)):
    nodes, elements, node = grid(columns, rows, 0.4)
    corners = [node(0, 0), node(columns - 1, 0), node(0, rows - 1), node(columns - 1, rows - 1)]
    supports = [(n, "1.0E6 0.0 0.0") for n in corners]
    write(folder + "/" + name, "'%s'" % name.upper()[:12], nodes, elements, supports,
          [[(2, 0, -10.0)]], name[:8] + ".res")
