"""lajefem-tools export --html read by a real browser: Debian's headless Chromium renders the page
to a screenshot and to PDF, and the numbers it reads back from the page's DOM are those of
NAME-nodes.csv. With them, --reinforcement end to end: the areas of the node table from its design
moments by hand, the too-thin nodes on the page and in the summary, and the usage errors.

Usage: python3 test_report_page.py LAJEFEM_TOOLS SOURCE_DIR"""
import csv
import html.parser
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

TOOLS, SOURCE = sys.argv[1], sys.argv[2]
ENCASTRADA = os.path.join(SOURCE, "examples", "encastrada")
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
REINFORCEMENT = "fck=30,fyk=500,cover=0.03"
COMBINATIONS = ["--combination", "ULS=1.35*1+1.5*2", "--combination", "SLS=1*1+1*2", "--envelope"]
SETS = ["1", "2", "ULS", "SLS"]
# The slab's thickness as the program holds it, in single precision.
THICKNESS = struct.unpack("f", struct.pack("f", 0.18))[0]
LAYERS = {"As_x_bottom": ("Mx_bottom", True), "As_y_bottom": ("My_bottom", False),
          "As_x_top": ("Mx_top", True), "As_y_top": ("My_top", False)}


def export(*words):
    return subprocess.run([TOOLS, "export", *words], capture_output=True, text=True)


def chromium(folder, *words):
    """Headless Chromium with a profile of its own, no network services and no sandbox."""
    profile = tempfile.mkdtemp(dir=folder)
    return subprocess.run(
        [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + profile, *words],
        capture_output=True, text=True, timeout=180)


class NumberCells(html.parser.HTMLParser):
    """The cells that carry data-column, data-node and data-case (of the node table) or
    data-envelope (of an envelope's table), with their text."""

    def __init__(self):
        super().__init__()
        self.cells, self.envelope_cells, self.open = [], [], None

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "td" and "data-column" in attributes:
            where = "data-envelope" if "data-envelope" in attributes else "data-case"
            self.open = [attributes["data-column"], attributes["data-node"], attributes[where], "",
                         where == "data-envelope"]

    def handle_data(self, data):
        if self.open is not None:
            self.open[3] += data

    def handle_endtag(self, tag):
        if tag == "td" and self.open is not None:
            (self.envelope_cells if self.open[4] else self.cells).append(tuple(self.open[:4]))
            self.open = None


def node_rows(path):
    with open(path, newline="") as table:
        return {(row["node"], row["case"]): row for row in csv.DictReader(table)}


def hand_area(moment, depth):
    """cm²/m for m kN·m/m at depth d m, fck 30, fyk 500, γc 1.5, γs 1.15: None when too thin."""
    mu = abs(moment) / (depth ** 2 * 20000)
    if mu > 0.295:
        return None
    z = min(depth * (1 + math.sqrt(1 - 2 * mu)) / 2, 0.95 * depth)
    required = abs(moment) / (z * 500 / 1.15 * 1000) * 1e4
    minimum = max(0.26 * 0.30 * 30 ** (2 / 3) / 500, 0.0013) * depth * 1e4
    return max(required, minimum)


class ReportPageInChromium(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()
        cls.out = os.path.join(cls.folder, "out")
        cls.exported_run = export(ENCASTRADA, "-o", cls.out, *COMBINATIONS, "--reinforcement",
                                  REINFORCEMENT, "--html")
        cls.page = os.path.join(cls.out, "encastrada.html")
        cls.url = "file://" + cls.page

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_page_is_self_contained(self):
        self.assertEqual(self.exported_run.returncode, 0, self.exported_run.stderr)
        with open(self.page, encoding="utf-8") as page:
            text = page.read()
        for fetching in ("<script", "src=", "href=", "url(", "@import", "<link", "<img"):
            self.assertNotIn(fetching, text)
        # The maps of both load cases and both combinations (10 moment and deflection maps, 4 of
        # the areas), the envelope's 5 and 4, and the drawing.
        self.assertEqual(text.count("<svg"), 4 * 14 + 9 + 1)

    def test_numbers_read_back_from_the_dom_are_the_tables(self):
        dom = chromium(self.folder, "--dump-dom", self.url)
        self.assertEqual(dom.returncode, 0, dom.stderr)
        cells = NumberCells()
        cells.feed(dom.stdout)
        rows = node_rows(os.path.join(self.out, "encastrada-nodes.csv"))
        columns = {column for column, _, _, _ in cells.cells}
        self.assertTrue({"w_mm", "Mx", "My_top", "As_x_bottom", "reaction_w"} <= columns, columns)
        # extremes of 14 fields (max and min) and 3 reactions at 20 supported nodes, per set
        self.assertEqual(len(cells.cells), len(SETS) * (14 * 2 + 3 * 20))
        for column, node, case, text in cells.cells:
            self.assertEqual(text, rows[(node, case)][column], (column, node, case))
        with open(os.path.join(self.out, "encastrada-envelope.csv"), newline="") as table:
            envelope = {row["node"]: row for row in csv.DictReader(table)}
        # w, the four design moments and the four areas
        self.assertEqual(len(cells.envelope_cells), 9)
        for column, node, tag, text in cells.envelope_cells:
            self.assertEqual(tag, "envelope")
            self.assertEqual(text, envelope[node][column], (column, node))

    def test_extremes_on_the_page_are_the_extremes_of_the_table(self):
        dom = chromium(self.folder, "--dump-dom", self.url)
        cells = NumberCells()
        cells.feed(dom.stdout)
        rows = node_rows(os.path.join(self.out, "encastrada-nodes.csv"))
        shown = {}
        for column, _, case, text in cells.cells:
            shown.setdefault((column, case), []).append(float(text))
        for case in SETS:
            for column in ("w_mm", "Mx", "Mxy", "Mx_bottom", "My_top", "As_y_top"):
                values = [float(row[column]) for (_, c), row in rows.items() if c == case]
                self.assertEqual(sorted(shown[(column, case)]), [min(values), max(values)])

    def test_screenshot_and_pdf(self):
        shot = os.path.join(self.folder, "page.png")
        run = chromium(self.folder, "--screenshot=" + shot, "--window-size=1280,2400", self.url)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(shot, "rb") as png:
            head = png.read(24)
        self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(int.from_bytes(head[16:20], "big"), 1280)
        pdf = os.path.join(self.folder, "page.pdf")
        run = chromium(self.folder, "--print-to-pdf=" + pdf, "--no-pdf-header-footer", self.url)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(pdf, "rb") as printed:
            content = printed.read()
        self.assertTrue(content.startswith(b"%PDF-"))
        # The model, the check and the reinforcement, then each load case from a new page.
        self.assertGreaterEqual(len(re.findall(rb"/Type\s*/Page[^s]", content)), 3)
        self.assertGreater(len(content), 50000)


class ReinforcementColumns(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def exported(self, name, option):
        out = os.path.join(self.folder, name)
        run = export(ENCASTRADA, "-o", out, "--reinforcement", option, "--html")
        self.assertEqual(run.returncode, 0, run.stderr)
        return run, node_rows(os.path.join(out, "encastrada-nodes.csv")), out

    def test_areas_from_the_design_moments_by_hand(self):
        _, rows, _ = self.exported("areas", REINFORCEMENT)
        d_x = THICKNESS - 0.03 - 0.006
        for row in rows.values():
            for area, (moment, x_bars) in LAYERS.items():
                expected = hand_area(float(row[moment]), d_x if x_bars else d_x - 0.012)
                self.assertAlmostEqual(float(row[area]), expected, delta=1e-9 * expected)
            self.assertEqual(row["too_thin"], "0")

    def test_too_thin_nodes_named_in_table_summary_and_page(self):
        # cover 0.15 m leaves d_x 0.024 m, d_y 0.012 m: most nodes are too thin somewhere.
        run, rows, out = self.exported("thin", "fck=30,fyk=500,cover=0.15")
        d_x = THICKNESS - 0.15 - 0.006
        thin = {"1": [], "2": []}
        for (node, case), row in rows.items():
            layers = 0
            for area, (moment, x_bars) in LAYERS.items():
                expected = hand_area(float(row[moment]), d_x if x_bars else d_x - 0.012)
                if expected is None:
                    layers += 1
                    self.assertEqual(row[area], "nan")
                    self.assertEqual(row[area + "_req"], "nan")
                else:
                    self.assertAlmostEqual(float(row[area]), expected, delta=1e-9 * expected)
            self.assertEqual(row["too_thin"], str(layers))
            if layers:
                thin[case].append(int(node))
        self.assertTrue(thin["1"] and thin["2"])
        with open(os.path.join(out, "encastrada.html"), encoding="utf-8") as page:
            text = page.read()
        for case, nodes in thin.items():
            listed = "%d nodes (%s)" % (len(nodes), ", ".join(str(n) for n in sorted(nodes)))
            self.assertIn("TOO THIN at " + listed, run.stdout)
            self.assertIn("Too thin for tension bars alone at " + listed, text)
        with open(os.path.join(out, "encastrada-case1-As_y_top.svg"), encoding="utf-8") as svg:
            self.assertTrue("too thin for tension bars alone" in svg.read())

    def test_envelope_areas_are_the_greatest_of_the_combinations(self):
        for cover in ("0.03", "0.15"):
            out = os.path.join(self.folder, "envelope" + cover)
            run = export(ENCASTRADA, "-o", out, *COMBINATIONS, "--reinforcement",
                         "fck=30,fyk=500,cover=" + cover)
            self.assertEqual(run.returncode, 0, run.stderr)
            rows = node_rows(os.path.join(out, "encastrada-nodes.csv"))
            with open(os.path.join(out, "encastrada-envelope.csv"), newline="") as table:
                envelope = list(csv.DictReader(table))
            for row in envelope:
                for area in LAYERS:
                    areas = {name: float(rows[(row["node"], name)][area]) for name in ("ULS", "SLS")}
                    if any(math.isnan(value) for value in areas.values()):
                        # too thin under some combination: no area in the envelope either
                        self.assertEqual(row[area + "_max"], "nan", (cover, row["node"], area))
                        continue
                    greatest = max(areas.values())
                    self.assertEqual(float(row[area + "_max"]), greatest, (cover, row["node"]))
                    self.assertEqual(areas[row[area + "_max_by"]], greatest)
                    self.assertEqual(float(row[area + "_min"]), min(areas.values()))

    def test_usage_errors_name_the_value(self):
        faults = {"fck=55,fyk=500,cover=0.03": "fck=55",
                  "fck=30,fyk=-500,cover=0.03": "fyk=-500",
                  "fck=30,fyk=500,cover=-0.01": "cover=-0.01",
                  "fck=30,fyk=500,cover=0.165": "cover=0.165",
                  "fck=30,fyk=500,cover=0.03,bar=0": "bar=0",
                  "fck=30,fyk=500,cover=0.03,gamma_c=0.8": "gamma_c=0.8",
                  "fck=30,fyk=500": "no cover=",
                  "fck=30,fyk=500,cover=0.03,fck=25": "fck given twice",
                  "fck=30,fyk=500,cover=0.03,phi=0.01": "'phi=0.01'",
                  "fck=thirty,fyk=500,cover=0.03": "'thirty'"}
        for option, named in faults.items():
            out = os.path.join(self.folder, "fault")
            run = export(ENCASTRADA, "-o", out, "--reinforcement", option)
            self.assertEqual(run.returncode, 2, option)
            self.assertIn(named, run.stderr, option)
            self.assertFalse(os.path.exists(out), option)


class SectionsOnThePage(unittest.TestCase):
    def test_section_rows_are_those_of_the_table(self):
        with tempfile.TemporaryDirectory() as folder:
            run = export(ENCASTRADA, "-o", folder, "--only", "csv", "--section", "x=3",
                         "--section", "y=1", "--strip", "0:3", "--html")
            self.assertEqual(run.returncode, 0, run.stderr)
            with open(os.path.join(folder, "encastrada.html"), encoding="utf-8") as page:
                text = page.read()
            table = text[text.index("<h2>Sections</h2>"):]
            table = table[:table.index("</table>")]
            shown = [re.findall(r"<td[^>]*>([^<]*)</td>", row)
                     for row in table.split("<tr>")[2:]]
            with open(os.path.join(folder, "encastrada-sections.csv"), newline="") as csv_file:
                rows = list(csv.DictReader(csv_file))
            self.assertEqual(len(shown), len(rows))
            self.assertEqual(len(rows), 4)  # two cuts, two load cases
            for cells, row in zip(shown, rows):
                self.assertEqual(cells[1:], [row["strip_from"], row["strip_to"], row["case"],
                                             row["method"], row["moment_kNm"],
                                             row["twisting_kNm"], row["shear_kN"]])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
