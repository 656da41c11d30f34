// The log's tables: an element's stiffness lines and stress-recovery block, and the
// displacement table.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "element/geometry_tables.hpp"
#include "element/plate_element.hpp"
#include "run/log_tables.hpp"
#include "tests/run/run_harness.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

// The 4 m square of the data-file example's plate (30 GPa, 0.2, 0.15 m), formed as element 1.
std::unique_ptr<ModelStore> square_element_store() {
  auto store = make_model_store();
  store->elastic_modulus = 30.0e6f;
  store->poisson_ratio = 0.2f;
  store->thickness = 0.15f;
  build_sampling_tables(*store);
  form_material_matrices(*store);
  CornerValues x;
  CornerValues y;
  const double corners_xy[4][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  for (int a = 1; a <= corners; ++a) {
    x(a) = corners_xy[a - 1][0];
    y(a) = corners_xy[a - 1][1];
  }
  plate_element_matrices(*store, x, y);
  return store;
}

TEST(LogTables, ElementStiffnessLinesThenStressBlock) {
  const auto store = square_element_store();
  std::ostringstream out;
  write_element_log(out, *store, 1);
  const std::vector<std::string> log = testing::lines_of(out.str());
  ASSERT_EQ(log.size(), 144u + 2 + 3 + 20);
  // Stiffness lines row by row, 17 significant digits.
  EXPECT_EQ(log[0], "1 1 7.8125002910383034E+05");
  EXPECT_EQ(log[3], "1 4 0.0000000000000000E+00");
  EXPECT_EQ(log[12], "2 1 7.8125002910383034E+05");
  EXPECT_EQ(log[138], "12 7 -7.8125002910383034E+05");
  EXPECT_EQ(log[143], "12 12 1.5666016211973326E+06");
  EXPECT_EQ(log[144], "");
  EXPECT_EQ(log[145], "");
  EXPECT_EQ(log[146], "       Elemento nº   1"_l1);
  std::string j_line = "   ";
  std::string i_line = " i=";
  for (int j = 1; j <= 12; ++j) {
    j_line += "        j=";
    i_line += format_integer(j, 10);
  }
  EXPECT_EQ(log[147], j_line);
  EXPECT_EQ(log[148], i_line);
  EXPECT_EQ(log[149],
            "  1     0.00     1.733E+03  347.      0.00    -1.733E+03  92.9      0.00     -464.    "
            " -92.9      0.00      464.     -347.    ");
  EXPECT_EQ(log[152],
            "  4   -1.953E+05-3.906E+05  0.00     1.953E+05-3.906E+05  0.00     "
            "1.953E+05-3.906E+05  0.00    -1.953E+05-3.906E+05  0.00    ");
  EXPECT_EQ(log[168].substr(0, 6), " 20   ");
}

TEST(LogTables, DisplacementTableHasABlankLineThenOneLinePerEquation) {
  auto store = make_model_store();
  store->equation_count = 3;
  store->load_vectors(1, 1) = -0.4312549e-11;
  store->load_vectors(1, 2) = -0.2260792e-12;
  store->load_vectors(3, 1) = 0.008412359;
  std::ostringstream out;
  write_displacement_table(out, *store);
  EXPECT_EQ(out.str(),
            "\n  1 -0.4312549E-11 -0.2260792E-12\n"
            "  2   0.000000       0.000000    \n"
            "  3  0.8412359E-02   0.000000    \n");
}

}  // namespace
}  // namespace lajefem
