"""lajefem-tools export on every example: the files read back by real readers (meshio for the
VTU, xmllint and rsvg-convert for the SVG), the tables against the golden reports, the summary's
equilibrium, the stops and the command-line faults.

Usage: /usr/bin/python3 test_export_command.py LAJEFEM_TOOLS SOURCE_DIR (Debian's python3, which
has python3-meshio)."""
import csv
import hashlib
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

import meshio
import numpy

TOOLS, SOURCE = sys.argv[1], sys.argv[2]
EXAMPLES = os.path.join(SOURCE, "examples")
# example -> (load cases, golden report)
SOLVED = {"d01": (1, "d01/d01.res"), "apoiada": (1, "apoiada/apoiada.res"),
          "encastrada": (2, "encastrada/encast.res"), "pilares": (1, "pilares/pilares.res"),
          "distorcida": (1, "distorcida/distorc.res")}
MAPS = ["w", "Mx", "My", "Mxy", "M1", "M2", "Mx_bottom", "My_bottom", "Mx_top", "My_top"]
POINT_DATA = ["w", "theta_x", "theta_y", "displacement", "Mx", "My", "Mxy", "Qx", "Qy", "M1", "M2",
              "M1_angle", "Mx_bottom", "My_bottom", "Mx_top", "My_top", "reaction_w",
              "reaction_mx", "reaction_my"]
CELL_DATA = ["Mx", "My", "Mxy", "Qx", "Qy"]


def export(*words, cwd=None):
    return subprocess.run([TOOLS, "export", *words], capture_output=True, text=True, cwd=cwd)


def read_table(path):
    with open(path, newline="") as table:
        return list(csv.DictReader(table))


def report_resultants(path, cases):
    """(case, element, type) -> the four values the report prints."""
    values, case = {}, 0
    with open(os.path.join(SOURCE, "tests/golden", path), encoding="latin-1") as report:
        for line in report:
            if "CASO DE CARGA" in line and "***" in line:
                case += 1
            match = re.match(r"^\s+(\d+)\s+([1-5])\s+(\S+)\s+(\S+)\s+(\S+)\s+(\S+)\s*$", line)
            if case and match:
                values[(case, int(match[1]), int(match[2]))] = [float(v) for v in match.groups()[2:]]
    return values


class ExportedExamples(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.runs = {name: export(os.path.join(EXAMPLES, name), "-o",
                                 os.path.join(cls.folder.name, name)) for name in SOLVED}

    def path(self, name, file):
        return os.path.join(self.folder.name, name, file)

    def test_every_file_written(self):
        for name, (cases, _) in SOLVED.items():
            self.assertEqual(self.runs[name].returncode, 0, self.runs[name].stderr)
            expected = {name + ".pvd", name + "-nodes.csv", name + "-points.csv"}
            for c in range(1, cases + 1):
                expected.add("%s-case%d.vtu" % (name, c))
                expected.update("%s-case%d-%s.svg" % (name, c, field) for field in MAPS)
            self.assertEqual(set(os.listdir(os.path.join(self.folder.name, name))), expected)

    def test_vtu_read_back_by_meshio(self):
        for name, (cases, _) in SOLVED.items():
            nodes = read_table(self.path(name, name + "-nodes.csv"))
            collection = ElementTree.parse(self.path(name, name + ".pvd")).getroot()
            files = [data.get("file") for data in collection.iter("DataSet")]
            self.assertEqual(len(files), cases)
            for c, file in enumerate(files, start=1):
                with self.subTest(name=name, case=c):
                    try:
                        mesh = meshio.read(self.path(name, file))
                    except BaseException as error:  # meshio ends with SystemExit on bad files
                        self.fail("meshio: %r" % error)
                    rows = [row for row in nodes if row["case"] == str(c)]
                    self.assertEqual(len(mesh.points), len(rows))
                    quads = mesh.cells_dict["quad"]
                    self.assertLess(quads.max(), len(mesh.points))
                    self.assertEqual(sorted(mesh.point_data), sorted(POINT_DATA))
                    self.assertEqual(sorted(mesh.cell_data), sorted(CELL_DATA))
                    for key in POINT_DATA:
                        self.assertEqual(len(mesh.point_data[key]), len(rows))
                    for key in CELL_DATA:
                        self.assertEqual(len(mesh.cell_data[key][0]), len(quads))
                    # The same values as the table, to the last bit of their precision.
                    w = numpy.array([float(row["w_mm"]) for row in rows], dtype=numpy.float32)
                    self.assertTrue(numpy.array_equal(mesh.point_data["w"], w))
                    mx = numpy.array([float(row["Mx_bottom"]) for row in rows])
                    self.assertTrue(numpy.array_equal(mesh.point_data["Mx_bottom"], mx))
                    deflection = mesh.point_data["displacement"][:, 2] * numpy.float32(1000)
                    self.assertTrue(numpy.allclose(deflection, w, rtol=1e-6, atol=1e-9))

    def test_vtu_read_back_by_vtk(self):
        try:
            from vtkmodules.util.numpy_support import vtk_to_numpy
            from vtkmodules.vtkIOXML import vtkXMLUnstructuredGridReader
        except ImportError:
            self.skipTest("VTK's Python modules (python3-vtk9) are not installed")
        for name, (cases, _) in SOLVED.items():
            nodes = read_table(self.path(name, name + "-nodes.csv"))
            for c in range(1, cases + 1):
                with self.subTest(name=name, case=c):
                    reader = vtkXMLUnstructuredGridReader()
                    reader.SetFileName(self.path(name, "%s-case%d.vtu" % (name, c)))
                    reader.Update()
                    grid = reader.GetOutput()
                    rows = [row for row in nodes if row["case"] == str(c)]
                    # VTK reports faults only in its log and hands over an empty grid.
                    self.assertEqual(grid.GetNumberOfPoints(), len(rows))
                    self.assertGreater(grid.GetNumberOfCells(), 0)
                    types = {grid.GetCellType(k) for k in range(grid.GetNumberOfCells())}
                    self.assertEqual(types, {9})
                    point_data = grid.GetPointData()
                    names = [point_data.GetArrayName(k) for k in range(point_data.GetNumberOfArrays())]
                    self.assertEqual(names, POINT_DATA)
                    w = numpy.array([float(row["w_mm"]) for row in rows], dtype=numpy.float32)
                    self.assertTrue(numpy.array_equal(vtk_to_numpy(point_data.GetArray("w")), w))
                    self.assertEqual(grid.GetCellData().GetArray("Qy").GetNumberOfTuples(),
                                     grid.GetNumberOfCells())

    def test_every_map_validates_and_renders(self):
        for name in SOLVED:
            for file in sorted(os.listdir(os.path.join(self.folder.name, name))):
                if file.endswith((".svg", ".pvd", ".vtu")):
                    path = self.path(name, file)
                    lint = subprocess.run(["xmllint", "--noout", path], capture_output=True)
                    self.assertEqual(lint.returncode, 0, lint.stderr)
                if file.endswith(".svg"):
                    render = subprocess.run(["rsvg-convert", path], capture_output=True)
                    self.assertEqual(render.returncode, 0, render.stderr)
                    self.assertTrue(render.stdout.startswith(b"\x89PNG"), file)

    def test_gauss_point_values_are_the_reports(self):
        for name, (_, report) in SOLVED.items():
            printed = report_resultants(report, SOLVED[name][0])
            for row in read_table(self.path(name, name + "-points.csv")):
                values = printed[(int(row["case"]), int(row["element"]), 1)]
                point = int(row["point"]) - 1
                self.assertAlmostEqual(float(row["Mx"]), values[point], delta=5.1e-5)
                qx = printed[(int(row["case"]), int(row["element"]), 4)][0]
                self.assertAlmostEqual(float(row["Qx"]), qx, delta=5.1e-5)

    def test_summary_loads_and_reactions_balance(self):
        for name in SOLVED:
            out = self.runs[name].stdout
            loads = [float(v) for v in re.findall(r"applied vertical load\s+(\S+) kN", out)]
            sums = [float(v) for v in re.findall(r"sum of w-reactions\s+(\S+) kN", out)]
            self.assertEqual(len(loads), SOLVED[name][0])
            for load, reactions in zip(loads, sums):
                self.assertLessEqual(abs(load + reactions), 1e-6 * abs(load), name)

    def test_faces_swap_with_the_direction_of_w(self):
        down = os.path.join(self.folder.name, "down")
        self.assertEqual(export(os.path.join(EXAMPLES, "encastrada"), "-o", down, "--w-down",
                                "--only", "csv").returncode, 0)
        self.assertEqual(sorted(os.listdir(down)), ["encastrada-nodes.csv", "encastrada-points.csv"])
        up_rows = read_table(self.path("encastrada", "encastrada-nodes.csv"))
        for up, row in zip(up_rows, read_table(os.path.join(down, "encastrada-nodes.csv"))):
            for face, other in (("bottom", "top"), ("top", "bottom")):
                for axis in ("Mx", "My"):
                    self.assertEqual(float(row[axis + "_" + face]), -float(up[axis + "_" + other]))
                    self.assertNotIn("-0", [row[axis + "_" + face]])


class StopsAndFaults(unittest.TestCase):
    def test_stops_write_nothing(self):
        for example, reason, options in (
                ("placa1", "mechanism", ()),
                ("faixa", "half-bandwidth 123, above the limit of 120 of the banded solver; "
                 "renumber the nodes (lajefem-tools renumber) or use --solver sparse",
                 ("--solver", "banded"))):
            with tempfile.TemporaryDirectory() as folder:
                target = os.path.join(folder, "out")
                run = export(os.path.join(EXAMPLES, example), "-o", target, *options)
                self.assertEqual(run.returncode, 1, example)
                self.assertEqual(run.stdout, "", example)
                self.assertEqual(len(run.stderr.splitlines()), 1, example)
                self.assertIn(reason, run.stderr)
                self.assertFalse(os.path.exists(target), example)

    def test_band_beyond_the_store_goes_to_the_sparse_engine(self):
        with tempfile.TemporaryDirectory() as folder:
            run = export(os.path.join(EXAMPLES, "faixa"), "-o", folder, "--only", "csv")
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertIn("solver: sparse Cholesky (CHOLMOD)\n", run.stdout)

    def test_model_without_elements_writes_nothing(self):
        with open(os.path.join(EXAMPLES, "d01"), encoding="latin-1") as example:
            lines = example.read().splitlines()
        counts = next(k for k, line in enumerate(lines) if line.split() == ["25", "16", "16"])
        with tempfile.TemporaryDirectory() as folder:
            data = os.path.join(folder, "empty")
            with open(data, "w", encoding="latin-1") as changed:
                lines[counts] = "25 0 16"
                changed.write("\n".join(line for line in lines
                                         if not re.match(r"^\s*\d+\s+1(\s+\d+){4}\s*$", line)))
            run = export(data)
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertIn("no elements", run.stderr)
            self.assertEqual(os.listdir(folder), ["empty"])

    def test_unusable_input_or_folder_exits_1(self):
        with tempfile.TemporaryDirectory() as folder:
            data = os.path.join(folder, "d01")
            shutil.copy(os.path.join(EXAMPLES, "d01"), data)
            for words, reason in (([folder], "is a folder"), ([data, "-o", data], "in the way")):
                run = export(*words)
                self.assertEqual(run.returncode, 1, words)
                self.assertEqual(len(run.stderr.splitlines()), 1, words)
                self.assertIn(reason, run.stderr)
            self.assertEqual(os.listdir(folder), ["d01"])

    def test_command_line_faults_exit_2(self):
        data = os.path.join(EXAMPLES, "d01")
        with tempfile.TemporaryDirectory() as folder:
            first, second = os.path.join(folder, "o5"), os.path.join(folder, "o6")
            for words in ([], [data, "--w-up", "--w-down"], [data, "--only", "pdf"], [data, "-o"],
                          [data, "--colour"], [data, data], [data, "-o", first, "-o", second],
                          [data, "-o", first, "--output", second],
                          [data, "-o", first, "--only", "svg", "--only", "csv"],
                          [data, "-o", first, "--w-up=yes"], [data, "--recovery", "mean"],
                          [data, "--recovery", "patch", "--recovery", "patch"],
                          [data, "--strip", "0:1"], [data, "--section", "z=1"],
                          [data, "--section", "x=a"], [data, "--section", "x=1", "--strip", "2:1"],
                          [data, "--section", "x=1", "--strip", "2"]):
                run = export(*words)
                self.assertEqual(run.returncode, 2, words)
                self.assertEqual(len(run.stderr.splitlines()), 1, words)
            self.assertEqual(os.listdir(folder), [])
            run = export(data, "-o", "-", cwd=folder)
            self.assertEqual(run.returncode, 2, run.stderr)
            self.assertEqual(os.listdir(folder), [])
        self.assertEqual(export("--help").returncode, 0)


class SectionsAndRecovery(unittest.TestCase):
    """--section and --recovery on encastrada (two load cases)."""

    def test_section_table_and_summary(self):
        data = os.path.join(EXAMPLES, "encastrada")
        with tempfile.TemporaryDirectory() as folder:
            run = export(data, "-o", folder, "--only", "csv")
            self.assertEqual(run.returncode, 0, run.stderr)
            nodes = read_table(os.path.join(folder, "encastrada-nodes.csv"))
            xs = sorted({float(row["x"]) for row in nodes})
            grid, between = xs[len(xs) // 2], (xs[1] + xs[2]) / 2
            run = export(data, "-o", folder, "--only", "csv", "--section", f"x={grid!r}",
                         "--section", f"x={between!r}", "--strip", f"0:{xs[-1]!r}")
            self.assertEqual(run.returncode, 0, run.stderr)
            rows = read_table(os.path.join(folder, "encastrada-sections.csv"))
            self.assertEqual([(row["method"], row["case"]) for row in rows],
                             [("nodal forces", "1"), ("nodal forces", "2"),
                              ("element values", "1"), ("element values", "2")])
            summary = [line for line in run.stdout.splitlines() if line.startswith("  x = ")]
            self.assertEqual(len(summary), 4)
            for row, line in zip(rows, summary):
                self.assertIn(f"case {row['case']} ({row['method']})", line)
            run = export(data, "-o", folder, "--section", f"x={xs[-1] + 1!r}")
            self.assertEqual(run.returncode, 1)
            self.assertIn("does not cross the plate", run.stderr)

    def test_recovery_changes_the_nodes_only(self):
        data = os.path.join(EXAMPLES, "encastrada")
        with tempfile.TemporaryDirectory() as folder:
            tables = {}
            for how in ("patch", "extrapolate"):
                target = os.path.join(folder, how)
                run = export(data, "-o", target, "--only", "csv", "--recovery", how)
                self.assertEqual(run.returncode, 0, run.stderr)
                tables[how] = [read_table(os.path.join(target, "encastrada-" + kind + ".csv"))
                               for kind in ("nodes", "points")]
            self.assertEqual(tables["patch"][1], tables["extrapolate"][1])
            patch, extrapolated = tables["patch"][0], tables["extrapolate"][0]
            self.assertNotEqual([row["Mx"] for row in patch], [row["Mx"] for row in extrapolated])
            self.assertEqual([row["w_mm"] for row in patch], [row["w_mm"] for row in extrapolated])


class Combinations(unittest.TestCase):
    """Combinations and envelopes on encastrada (case 1 a point load, case 2 a uniform load)."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.exported = export(os.path.join(EXAMPLES, "encastrada"), "-o", cls.folder.name,
                              "--combination", "ULS=1.35*2+1.5*1", "--combination",
                              "PAT=1.35*2+1.5?1", "--envelope")

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def test_files_of_combinations_and_envelopes(self):
        self.assertEqual(self.exported.returncode, 0, self.exported.stderr)
        files = set(os.listdir(self.folder.name))
        expected = {"encastrada-ULS.vtu"} | {"encastrada-ULS-%s.svg" % m for m in MAPS}
        for envelope in ("envelope", "PAT-envelope"):
            expected |= {"encastrada-%s.%s" % (envelope, kind) for kind in ("csv", "vtu")}
            expected |= {"encastrada-%s-%s.svg" % (envelope, m) for m in
                         ("w_min", "Mx_bottom_max", "My_bottom_max", "Mx_top_min", "My_top_min")}
        self.assertLessEqual(expected, files)
        self.assertNotIn("encastrada-PAT.vtu", files)
        for file in sorted(files):
            if file.endswith((".svg", ".vtu", ".pvd")):
                lint = subprocess.run(["xmllint", "--noout", self.path(file)], capture_output=True)
                self.assertEqual(lint.returncode, 0, lint.stderr)
        self.assertIn("Combination ULS = 1.35*2+1.5*1", self.exported.stdout)
        self.assertIn("Envelope of ULS, PAT\n", self.exported.stdout)

    def test_combination_rows_are_the_factored_sums_of_the_cases(self):
        rows = read_table(self.path("encastrada-nodes.csv"))
        by_case = {key: [row for row in rows if row["case"] == key] for key in ("1", "2", "ULS")}
        for column in ("w_mm", "Mx", "My", "Mxy", "Qy", "reaction_w", "reaction_mx"):
            one, two, uls = (numpy.array([float(row[column]) for row in by_case[key]])
                             for key in ("1", "2", "ULS"))
            scale = numpy.abs(uls).max()
            self.assertTrue(numpy.allclose(uls, 1.35 * two + 1.5 * one, rtol=0, atol=1e-6 * scale),
                            column)

    def test_envelope_bounds_every_set_and_names_its_governing_one(self):
        rows = read_table(self.path("encastrada-nodes.csv"))
        envelope = read_table(self.path("encastrada-envelope.csv"))
        patterns = read_table(self.path("encastrada-PAT-envelope.csv"))
        uls = [row for row in rows if row["case"] == "ULS"]
        for n, row in enumerate(envelope):
            for column in ("w_mm", "Mx_bottom", "My_top"):
                greatest = max(float(uls[n][column]), float(patterns[n][column + "_max"]))
                self.assertAlmostEqual(float(row[column + "_max"]), greatest, delta=1e-9)
                self.assertTrue(row[column + "_max_by"] == "ULS"
                                or row[column + "_max_by"].startswith("PAT: "), row)
        # At the centre (node 18) the point load lowers w: the least w takes it, the greatest not.
        centre = patterns[17]
        two = [row for row in rows if row["case"] == "2"][17]
        self.assertAlmostEqual(float(centre["w_mm_min"]), float(uls[17]["w_mm"]), delta=1e-6)
        self.assertAlmostEqual(float(centre["w_mm_max"]), 1.35 * float(two["w_mm"]), delta=1e-6)
        self.assertEqual(centre["w_mm_min_by"], "PAT: 1.35*2+1.5*1")
        self.assertEqual(centre["w_mm_max_by"], "PAT: 1.35*2")

    def test_envelope_vtu_read_back_by_vtk(self):
        try:
            from vtkmodules.util.numpy_support import vtk_to_numpy
            from vtkmodules.vtkIOXML import vtkXMLUnstructuredGridReader
        except ImportError:
            self.skipTest("VTK's Python modules (python3-vtk9) are not installed")
        reader = vtkXMLUnstructuredGridReader()
        reader.SetFileName(self.path("encastrada-envelope.vtu"))
        reader.Update()
        table = read_table(self.path("encastrada-envelope.csv"))
        self.assertEqual(reader.GetOutput().GetNumberOfPoints(), len(table))
        point_data = reader.GetOutput().GetPointData()
        values = vtk_to_numpy(point_data.GetArray("Mx_bottom_max"))
        self.assertTrue(numpy.array_equal(values, [float(row["Mx_bottom_max"]) for row in table]))
        self.assertIsNotNone(point_data.GetArray("w_min_by"))

    def test_more_load_cases_than_lajefem_runs(self):
        with tempfile.TemporaryDirectory() as folder:
            data = os.path.join(folder, "six")
            loads = ["--uniform", "-5"]
            for x, y in ((1, 1), (3, 2), (5, 3), (5, 1), (1, 3)):
                loads += ["--case", "--point", str(x), str(y), "-10"]
            made = subprocess.run([TOOLS, "generate", "--large", "--size", "6", "4", "--mesh", "6",
                                   "4", "--edges", "CCCC", "--material", "30", "0.2", "0.2", *loads,
                                   "-o", data], capture_output=True, text=True)
            self.assertEqual(made.returncode, 0, made.stderr)
            run = export(data, "-o", os.path.join(folder, "out"), "--combination",
                         "P=1*1+1.5?2+1.5?3+1.5?4+1.5?5+1.5?6")
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertTrue(run.stdout.startswith("lajefem cannot run this model (6 load cases"))
            self.assertIn("Load case 6\n", run.stdout)
            files = os.listdir(os.path.join(folder, "out"))
            self.assertIn("six-case6.vtu", files)
            self.assertIn("six-P-envelope.csv", files)

    def test_combination_faults_exit_2_naming_the_term(self):
        data = os.path.join(EXAMPLES, "encastrada")
        rows = (("ULS=1.35*2+1.5*3", "'1.5*3'"), ("ULS=1,35*2", "'1,35*2'"), ("ULS=1.35*x", "'1.35*x'"),
                ("ULS=1.35", "'1.35'"), ("U S=1*1", "'U S'"), ("case1=1*1", "case1"))
        with tempfile.TemporaryDirectory() as folder:
            for definition, named in rows:
                run = export(data, "-o", folder, "--combination", definition)
                self.assertEqual(run.returncode, 2, definition)
                self.assertEqual(len(run.stderr.splitlines()), 1, definition)
                self.assertIn(named, run.stderr)
            run = export(data, "-o", folder, "--combination", "A=1*1", "--combination=A=1*2")
            self.assertEqual(run.returncode, 2, run.stderr)
            self.assertIn("A is given twice", run.stderr)
            self.assertEqual(os.listdir(folder), [])


def folder_contents(folder):
    """file name -> SHA-256 of its bytes, of every entry in folder."""
    contents = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as file:
            contents[name] = hashlib.sha256(file.read()).hexdigest()
    return contents


def limit_file_size():
    """A disk that fills after 20 KiB in any one file: writes beyond fail instead of signalling."""
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (20 * 1024, 20 * 1024))


class WholeSets(unittest.TestCase):
    """The output folder appears complete or not at all; an earlier set stays unless replaced."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        # Four load cases on 225 nodes: 47 files, long enough to be interrupted.
        cls.data = os.path.join(cls.folder.name, "laje")
        made = subprocess.run([TOOLS, "generate", "-o", cls.data, "--size", "8", "8", "--mesh",
                               "14", "14", "--edges", "SSSS", "--material", "30", "0.2", "0.2",
                               "--uniform", "-1", "--case", "--uniform", "-2", "--case",
                               "--uniform", "-3", "--case", "--point", "4", "4", "-10"],
                              capture_output=True, text=True)
        assert made.returncode == 0, made.stderr
        sets = {}
        for direction in ("--w-up", "--w-down"):
            target = os.path.join(cls.folder.name, direction)
            start = time.monotonic()
            assert export(cls.data, "-o", target, direction).returncode == 0
            cls.duration = time.monotonic() - start
            sets[direction] = folder_contents(target)
        cls.up, cls.down = sets["--w-up"], sets["--w-down"]

    def test_full_disk_leaves_the_folder_as_it_was(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "new", "out")
            run = subprocess.run([TOOLS, "export", self.data, "-o", target],
                                 capture_output=True, text=True, preexec_fn=limit_file_size)
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertEqual(os.listdir(folder), [])
            earlier = os.path.join(folder, "earlier")
            shutil.copytree(os.path.join(self.folder.name, "--w-down"), earlier)
            run = subprocess.run([TOOLS, "export", self.data, "-o", earlier],
                                 capture_output=True, text=True, preexec_fn=limit_file_size)
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertEqual(folder_contents(earlier), self.down)

    def test_signals_leave_the_whole_set_or_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            for step in range(16):
                for earlier in (False, True):
                    target = os.path.join(folder, "out")
                    if earlier:
                        shutil.copytree(os.path.join(self.folder.name, "--w-down"), target)
                    child = subprocess.Popen([TOOLS, "export", self.data, "-o", target],
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    time.sleep(self.duration * step / 12)
                    chosen = signal.SIGINT if step % 2 else signal.SIGTERM
                    child.send_signal(chosen)
                    status = child.wait()
                    self.assertIn(status, (0, -chosen), step)
                    # A signal held while the set is put in place ends the program after it.
                    contents = folder_contents(target) if os.path.exists(target) else None
                    before = self.down if earlier else None
                    self.assertIn(contents, [self.up] if status == 0 else [self.up, before], step)
                    self.assertEqual(os.listdir(folder), [] if contents is None else ["out"], step)
                    shutil.rmtree(target, ignore_errors=True)


class SpuriousCheckerboard(unittest.TestCase):
    """A slab of 3 x 3 bays on columns with an even middle bay (bench/spurious_models.py)."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        subprocess.run([sys.executable, os.path.join(SOURCE, "bench/spurious_models.py"),
                        cls.folder.name], check=True)
        cls.faulty = os.path.join(cls.folder.name, "flat-5-4-5.dat")

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_refused_like_a_mechanism(self):
        target = os.path.join(self.folder.name, "refused")
        run = export(self.faulty, "-o", target)
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stdout, "")
        self.assertEqual(len(run.stderr.splitlines()), 1)
        self.assertIn("spurious checkerboard", run.stderr)
        self.assertIn("even number of elements", run.stderr)
        self.assertIn("--allow-spurious", run.stderr)
        self.assertFalse(os.path.exists(target))

    def test_refusal_comes_before_a_later_fault(self):
        # The refusal is found beside the files being formed; a fault met while forming them
        # (a file in the way of the output folder) must not take its place.
        in_the_way = os.path.join(self.folder.name, "in-the-way")
        with open(in_the_way, "w", encoding="utf-8"):
            pass
        run = export(self.faulty, "-o", in_the_way)
        self.assertEqual(run.returncode, 1)
        self.assertIn("spurious checkerboard", run.stderr)
        self.assertNotIn("in the way", run.stderr)

    def test_allowed_with_a_warning_on_every_output(self):
        target = os.path.join(self.folder.name, "allowed")
        run = export(self.faulty, "-o", target, "--allow-spurious", "--html")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("warning: the element's spurious checkerboard", run.stderr)
        self.assertTrue(run.stdout.startswith("WARNING: "))
        maps = [name for name in os.listdir(target) if name.endswith(".svg")]
        self.assertEqual(len(maps), len(MAPS))
        for name in maps:
            with open(os.path.join(target, name), encoding="utf-8") as svg:
                self.assertIn("WARNING: spurious checkerboard", svg.read(), name)
        with open(os.path.join(target, "flat-5-4-5.html"), encoding="utf-8") as page:
            self.assertIn("WARNING: spurious checkerboard", page.read())
        render = subprocess.run(["rsvg-convert", os.path.join(target, maps[0]), "-o",
                                 os.path.join(self.folder.name, "map.png")])
        self.assertEqual(render.returncode, 0)

    def test_sound_mesh_carries_no_warning(self):
        run = export(os.path.join(self.folder.name, "flat-5-5-5.dat"), "-o",
                     os.path.join(self.folder.name, "sound"))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertNotIn("WARNING", run.stdout)
        self.assertEqual(run.stderr, "")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
