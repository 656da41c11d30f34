"""The binary grid (appended raw data) read back by meshio and by VTK holds exactly the values,
points and cells of the text grid, for every load case of every example that analyses."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

import meshio
import numpy

FORMS = sys.argv.pop(1)
SOURCE = pathlib.Path(sys.argv.pop(1))
EXAMPLES = sorted(p for p in (SOURCE / "examples").iterdir() if p.is_file() and not p.suffix)


def vtk_arrays(path):
    from vtkmodules.util.numpy_support import vtk_to_numpy
    from vtkmodules.vtkIOXML import vtkXMLUnstructuredGridReader

    reader = vtkXMLUnstructuredGridReader()
    reader.SetFileName(str(path))
    reader.Update()
    grid = reader.GetOutput()
    arrays = {"points": vtk_to_numpy(grid.GetPoints().GetData()),
              "connectivity": vtk_to_numpy(grid.GetCells().GetConnectivityArray())}
    for kind, data in (("point", grid.GetPointData()), ("cell", grid.GetCellData())):
        for k in range(data.GetNumberOfArrays()):
            arrays[kind + ":" + data.GetArrayName(k)] = vtk_to_numpy(data.GetArray(k))
    return arrays


class BinaryGridEqualsText(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.written = []
        for example in EXAMPLES:
            folder = pathlib.Path(cls.folder.name) / example.name
            folder.mkdir()
            if subprocess.run([FORMS, str(example), str(folder)]).returncode == 0:
                cls.written.extend(sorted(folder.glob("*-text.vtu")))

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def pairs(self):
        self.assertGreater(len(self.written), 3)
        for text in self.written:
            yield text, text.with_name(text.name.replace("-text", "-binary"))

    def test_meshio_reads_the_same_grid(self):
        for text, binary in self.pairs():
            with self.subTest(file=str(binary)):
                a, b = meshio.read(text), meshio.read(binary)
                self.assertTrue(numpy.array_equal(a.points, b.points))
                self.assertTrue(numpy.array_equal(a.cells[0].data, b.cells[0].data))
                self.assertEqual(sorted(a.point_data), sorted(b.point_data))
                for name in a.point_data:
                    self.assertEqual(a.point_data[name].dtype, b.point_data[name].dtype, name)
                    self.assertTrue(numpy.array_equal(a.point_data[name], b.point_data[name]), name)
                for name in a.cell_data:
                    self.assertTrue(numpy.array_equal(a.cell_data[name][0], b.cell_data[name][0]))

    def test_vtk_reads_the_same_grid(self):
        for text, binary in self.pairs():
            with self.subTest(file=str(binary)):
                a, b = vtk_arrays(text), vtk_arrays(binary)
                self.assertEqual(sorted(a), sorted(b))
                self.assertGreater(len(a), 20)
                for name in a:
                    self.assertTrue(numpy.array_equal(a[name], b[name]), name)


if __name__ == "__main__":
    unittest.main()
