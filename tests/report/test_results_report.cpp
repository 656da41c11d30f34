// The results report, section by section, on a small two-element plate with two load cases
// filled in by hand: every line of a section is compared as exact Latin-1 bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "report/results_report.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

std::string blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

// Six nodes, two elements side by side, three supports, two load cases.
void fill_small_plate(ModelStore& store) {
  store.title = "PLACA TESTE1";
  store.elastic_modulus = 30000000.0f;
  store.poisson_ratio = 0.2f;
  store.thickness = 0.1f;
  test::make_grid_mesh(store, {0.0f, 2.5f, 5.0f}, {0.0f, 2.5f});
  store.support_count = 3;
  const float supports[3][4] = {
      {1.0f, 1000000.0f, 0.0f, 0.0f}, {3.0f, 10.0f, 0.05f, 0.0f}, {4.0f, 1.0f, 0.0f, 12345.0f}};
  for (int s = 1; s <= 3; ++s) {
    for (int j = 1; j <= 4; ++j) {
      store.support_data(s, j) = supports[s - 1][j - 1];
    }
  }
  store.load_case_count = 2;
  store.loads_per_case(1) = 1;
  store.loads_per_case(2) = 2;
  store.load_info(1, 1, 1) = 2;
  store.load_values(1, 1, 1) = 0.05f;
  store.load_info(1, 1, 2) = 1;
  store.load_info(1, 2, 2) = 5;
  store.load_values(1, 1, 2) = -12.5f;
  store.load_values(1, 2, 2) = 5.0f;
  store.load_values(1, 7, 2) = 99.0f;  // values 7 and 8 are not shown
  store.load_values(1, 8, 2) = 99.0f;
  store.load_info(2, 1, 2) = 2;
  store.load_values(2, 1, 2) = 1234567.0f;
}

struct Report {
  std::string text;
  std::vector<std::string> lines;
};

Report write_report(ModelStore& store) {
  std::ostringstream out;
  write_results_report(store, CalendarDate{7, 3, 2026}, out);
  Report report{out.str(), {}};
  std::istringstream in(report.text);
  for (std::string line; std::getline(in, line);) {
    report.lines.push_back(line);
  }
  return report;
}

// The lines of the report from the first one equal to `first` on, as many as `expected` holds.
void expect_lines_from(const Report& report, const std::string& first,
                       const std::vector<std::string>& expected, int occurrence = 1) {
  auto at = report.lines.begin();
  for (int found = 0; found < occurrence; ++found, ++at) {
    at = std::find(at, report.lines.end(), first);
    ASSERT_NE(at, report.lines.end()) << "missing line: " << first;
  }
  --at;
  ASSERT_GE(report.lines.end() - at, static_cast<long>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(at[static_cast<long>(i)], expected[i]) << "line " << i << " after " << first;
  }
}

class ResultsReport : public ::testing::Test {
 protected:
  void SetUp() override { fill_small_plate(*store_); }
  std::unique_ptr<ModelStore> store_ = make_model_store();
};

TEST_F(ResultsReport, DateHeadingAndTitleBlock) {
  const Report report = write_report(*store_);
  EXPECT_EQ(store_->run_day, 7);
  EXPECT_EQ(store_->run_month, 3);
  EXPECT_EQ(store_->run_year_offset, 126);
  const std::vector<std::string> expected = {
      "",
      "     TESTE EXECUTADO EM:" + blanks(29),
      "",
      "     DIA    -------------------------      7",
      "     M\xCAS    -------------------------      3",
      "     ANO    -------------------------   2026",
      "",
      "     T\xCDTULO    ----------------------     PLACA TESTE",
      "",
      "     MODULO DE ELASTICIDADE (GPA) ---     30.000",
      "     Coeficiente de Poisson ---------      0.200",
      "     Espessura ----------------------      0.100",
      "     NUMERO DE NOS  -----------------      6",
      "     NUMERO DE Elementos  -----------      2",
      "     NUMERO DE APOIOS  --------------      3",
  };
  ASSERT_GE(report.lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(report.lines[i], expected[i]) << "line " << i + 1;
  }
  EXPECT_EQ(report.lines[1].size(), 53u);
  EXPECT_EQ(report.lines[7].size(), 53u);
}

TEST_F(ResultsReport, TitleBytesAreCopiedAsTheyAre) {
  store_->title = "PLACA \xC9\xC7\xC3O X";  // Latin-1 letters pass through unchanged
  const Report report = write_report(*store_);
  EXPECT_EQ(report.lines[7], "     T\xCDTULO    ----------------------     PLACA \xC9\xC7\xC3O ");
}

TEST_F(ResultsReport, NodesElementsAndSupports) {
  const Report report = write_report(*store_);
  expect_lines_from(report, "     **** COORDENADAS DOS NOS ****",
                    {
                        "     **** COORDENADAS DOS NOS ****",
                        "          NOS     COORDXX(m)     COORDYY(m)",
                        "           1           0.00           0.00",
                        "           2           2.50           0.00",
                        "           3           5.00           0.00",
                        "           4           0.00           2.50",
                        "           5           2.50           2.50",
                        "           6           5.00           2.50",
                        "",
                        "     **** CARACTERISTICAS DAS BARRAS ****",
                        " NUM.  ETP-1//EDP-2    No 1     No 2     No 3     No 4",
                        "  1             1        1        2        5        4",
                        "  2             1        2        3        6        5",
                        "",
                        "     **** CONDICOES FRONTEIRA ****",
                        "     NUMERO DE APOIOS COM DESLOCAMENTOS NULOS ---  3",
                        "     RIGIDEZ EM GN/m ",
                        "",
                        "  NO          RIGID ww         RIGID Tetax         RIGID Tetay",
                        "   1         1.0000E+06          0.000              0.000    ",
                        "   3          10.00             5.0000E-02          0.000    ",
                        "   4          1.000              0.000             1.2345E+04",
                    });
}

TEST_F(ResultsReport, LoadTablesShowSixValuesPerLoad) {
  const Report report = write_report(*store_);
  const std::string case_heading = "Caso carga  N\xBA carga  Tipo carga  N\xBA n\xF3/elemento";
  const std::string zero = blanks(3) + "   0.000    ";
  expect_lines_from(report, "     **** CARREGAMENTO ****" + blanks(26),
                    {
                        "     **** CARREGAMENTO ****" + blanks(26),
                        "",
                        "     N\xBA de casos de carga -------------    2",
                        "",
                        " Caso de carga    N\xBA de cargas em cada caso de carga",
                        "         1              1",
                        "         2              2",
                        "",
                        case_heading,
                        "    Valores (KN,m)",
                        "       1         1         2         0",
                        "       0.5000E-01" + zero + zero + zero + zero + zero,
                        "",
                        case_heading,
                        "    Valores (KN,m)",
                        "       2         1         1         5",
                        "       -12.50          5.000    " + zero + zero + zero + zero,
                        "       2         2         2         0",
                        "       0.1235E+07" + zero + zero + zero + zero + zero,
                        "",
                        "",
                        "     **** DESLOCAMENTOS NODAIS GLOBAIS ****",
                    });
}

TEST_F(ResultsReport, NodalDisplacementsInMillimetresAndRadians) {
  store_->load_vectors(1, 1) = -0.0012345;
  store_->load_vectors(2, 1) = 0.1234567891;  // shown from its single-precision copy
  store_->load_vectors(3, 1) = -0.008412358;
  store_->load_vectors(3 * 6 - 2, 2) = 0.16811359;
  store_->load_vectors(3 * 6, 2) = -1.0e-12;  // a negative value rounding to zero keeps its sign
  const Report report = write_report(*store_);
  const std::string zeros = "           0.00000        0.000000000        0.000000000";
  expect_lines_from(report, "     **** DESLOCAMENTOS NODAIS GLOBAIS ****",
                    {
                        "     **** DESLOCAMENTOS NODAIS GLOBAIS ****",
                        "",
                        " Caso carga  Ponto     Desloc ww (mm)  Desl tetax (rad)  Desl tetay (rad)",
                        "       1       1          -1.23450        0.123456791       -0.008412358",
                        "       1       2" + zeros,
                        "       1       3" + zeros,
                        "       1       4" + zeros,
                        "       1       5" + zeros,
                        "       1       6" + zeros,
                        "       2       1" + zeros,
                        "       2       2" + zeros,
                        "       2       3" + zeros,
                        "       2       4" + zeros,
                        "       2       5" + zeros,
                        "       2       6         168.11359        0.000000000       -0.000000000",
                        "",
                        "",
                        "     * RESULTADOS ELEMENTARES, ESFOR\xC7OS(KN,m)/DESLOC(mm)",
                        "  Tipo 1-> Mx / Tipo 2-> My / Tipo 3-> Mxy / Tipo 4-> Qx / Tipo 5-> Qy",
                    });
}

TEST_F(ResultsReport, ElementSectionRepeatsForEveryLoadCase) {
  for (int c = 1; c <= 2; ++c) {
    for (int e = 1; e <= 2; ++e) {
      for (int row = 1; row <= 20; ++row) {
        store_->element_results(e, row, c) = static_cast<float>(1000 * c + 100 * e + row) / 8.0f;
      }
      for (int dof = 1; dof <= 12; ++dof) {
        store_->element_displacements(e, dof, c) = static_cast<float>(c * e * dof) / 64.0f;
      }
    }
  }
  store_->element_results(2, 1, 2) = -3.14159f;
  store_->element_results(2, 6, 2) = 12345678.0f;  // too wide for F(12.4)
  const Report report = write_report(*store_);
  const std::string heading = " Elemento  Tipo        Ponto 1     Ponto 2     Ponto 3     Ponto 4";
  const std::string corner_heading = " Elemento      N\xF3 1" + blanks(26) + "N\xF3 2" +
                                     blanks(26) + "N\xF3 3" + blanks(26) + "N\xF3 4";
  const std::string columns =
      "     ww (mm) Tetax(rad) Tetay(rad) ww (mm) Tetax(rad) Tetay(rad) ww (mm) Tetax(rad) "
      "Tetay(rad) ww (mm) Tetax(rad) Tetay(rad)";
  expect_lines_from(report, "     *** CASO DE CARGA N\xBA  1 ***",
                    {
                        "     *** CASO DE CARGA N\xBA  1 ***",
                        "",
                        heading,
                        "     1       1        137.6250    138.2500    138.8750    139.5000",
                        "     1       2        137.7500    138.3750    139.0000    139.6250",
                        "     1       3        137.8750    138.5000    139.1250    139.7500",
                        "     1       4        138.0000    138.6250    139.2500    139.8750",
                        "     1       5        138.1250    138.7500    139.3750    140.0000",
                        "     2       1        150.1250    150.7500    151.3750    152.0000",
                        "     2       2        150.2500    150.8750    151.5000    152.1250",
                        "     2       3        150.3750    151.0000    151.6250    152.2500",
                        "     2       4        150.5000    151.1250    151.7500    152.3750",
                        "     2       5        150.6250    151.2500    151.8750    152.5000",
                        "",
                        corner_heading,
                        columns,
                        "   1   0.016   0.031250   0.046875   0.062   0.078125   0.093750"
                        "   0.109   0.125000   0.140625   0.156   0.171875   0.187500",
                        "   2   0.031   0.062500   0.093750   0.125   0.156250   0.187500"
                        "   0.219   0.250000   0.281250   0.312   0.343750   0.375000",
                        "",
                        "     *** CASO DE CARGA N\xBA  2 ***",
                        "",
                        heading,
                    });
  expect_lines_from(report, heading,
                    {
                        heading,
                        "     1       1        262.6250    263.2500    263.8750    264.5000",
                        "     1       2        262.7500    263.3750    264.0000    264.6250",
                        "     1       3        262.8750    263.5000    264.1250    264.7500",
                        "     1       4        263.0000    263.6250    264.2500    264.8750",
                        "     1       5        263.1250    263.7500    264.3750    265.0000",
                        "     2       1         -3.1416************    276.3750    277.0000",
                        "     2       2        275.2500    275.8750    276.5000    277.1250",
                        "     2       3        275.3750    276.0000    276.6250    277.2500",
                        "     2       4        275.5000    276.1250    276.7500    277.3750",
                        "     2       5        275.6250    276.2500    276.8750    277.5000",
                        "",
                        corner_heading,
                        columns,
                        "   1   0.031   0.062500   0.093750   0.125   0.156250   0.187500"
                        "   0.219   0.250000   0.281250   0.312   0.343750   0.375000",
                        "   2   0.062   0.125000   0.187500   0.250   0.312500   0.375000"
                        "   0.438   0.500000   0.562500   0.625   0.687500   0.750000",
                        "",
                        "     **** REA\xC7\xD5"
                        "ES DE APOIO ****",
                    },
                    2);
}

TEST_F(ResultsReport, SupportReactionsCaseByCase) {
  for (int c = 1; c <= 2; ++c) {
    for (int s = 1; s <= 3; ++s) {
      store_->support_reactions(s, 1, c) = store_->support_data(s, 1);
      store_->support_reactions(s, 2, c) = -62.5f * static_cast<float>(s * c);
    }
  }
  store_->support_reactions(2, 3, 1) = -0.00001f;
  store_->support_reactions(3, 4, 2) = 129.31251f;
  const Report report = write_report(*store_);
  expect_lines_from(report,
                    "     **** REA\xC7\xD5"
                    "ES DE APOIO ****",
                    {
                        "     **** REA\xC7\xD5"
                        "ES DE APOIO ****",
                        " Caso carga     N\xF3          Rw (KN)        Mx (KN.m)        My (KN.m)",
                        "     1           1         -62.5000           0.0000           0.0000",
                        "     1           3        -125.0000          -0.0000           0.0000",
                        "     1           4        -187.5000           0.0000           0.0000",
                        "     2           1        -125.0000           0.0000           0.0000",
                        "     2           3        -250.0000           0.0000           0.0000",
                        "     2           4        -375.0000           0.0000         129.3125",
                    });
  EXPECT_EQ(report.lines.back(),
            "     2           4        -375.0000           0.0000         129.3125");
  ASSERT_FALSE(report.text.empty());
  EXPECT_EQ(report.text.back(), '\n');
}

}  // namespace
}  // namespace lajefem
