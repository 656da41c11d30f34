// The sparse engine against the program's own steps: the same stiffness to the bit, and the same
// results (to round-off of a different elimination) or the same stop on every example and on the
// reference corpus; and a thin plate against its series solution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "model/equation_numbering.hpp"
#include "sparse/cholmod_factor.hpp"
#include "sparse/sparse_analysis.hpp"
#include "sparse/sparse_assembly.hpp"
#include "sparse/stiffness_pattern.hpp"
#include "tests/common/data_files.hpp"
#include "tests/common/plate_grid.hpp"
#include "tests/common/temp_folder.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;
using Kind = AnalysisStop::Kind;

// The models the program's reader accepts.
std::vector<std::pair<std::string, PlateModel>> readable_models() {
  std::vector<std::pair<std::string, PlateModel>> models;
  for (const fs::path& file : test::example_and_corpus_files()) {
    std::istringstream data(testing::read_file(file));
    ModelReading reading = read_plate_model(data);
    if (auto* model = std::get_if<PlateModel>(&reading)) {
      models.emplace_back(file.filename().string(), std::move(*model));
    }
  }
  return models;
}

TEST(StiffnessPattern, BlocksOfNodesThatShareAnElement) {
  const PlateModel model = test::grid_model({0, 1, 2}, {0, 1});  // nodes 1 2 3 / 4 5 6
  const sparse::StiffnessPattern pattern = sparse::stiffness_pattern(model);
  EXPECT_EQ(pattern.equations, 18);
  // Node 5 (index 4) shares elements with every node; node 1 with 1, 2, 4, 5 only.
  EXPECT_EQ(pattern.lower_neighbours[4], (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pattern.lower_neighbours[2], (std::vector<int>{1, 2}));
  EXPECT_EQ(sparse::entry_index(pattern, 0, 0, 2, 0), -1);  // nodes 1 and 3 share none
  for (int n = 0; n < 6; ++n) {
    for (int d = 0; d < 3; ++d) {
      const std::int64_t at = sparse::entry_index(pattern, n, d, n, d);
      ASSERT_GE(at, 0);
      EXPECT_EQ(pattern.rows[static_cast<std::size_t>(at)], 3 * n + d);
      // The diagonal closes its column.
      EXPECT_EQ(at + 1, pattern.column_starts[static_cast<std::size_t>(3 * n + d + 1)]);
    }
  }
}

TEST(SparseStiffness, EqualsTheProgramsStiffnessBitForBit) {
  int compared = 0;
  for (const auto& [name, model] : readable_models()) {
    const StiffnessOutcome dense = assemble_model_stiffness(model);
    const auto* k = std::get_if<std::vector<double>>(&dense);
    if (k == nullptr || model.nodes.empty()) {
      continue;
    }
    const sparse::StiffnessPattern pattern = sparse::stiffness_pattern(model);
    const std::vector<double> values = sparse::assembled_stiffness(model, pattern);
    const auto n = static_cast<std::size_t>(pattern.equations);
    std::size_t stored_nonzeros = 0;
    for (std::size_t j = 0; j < n; ++j) {
      for (auto at = pattern.column_starts[j]; at < pattern.column_starts[j + 1]; ++at) {
        const auto i = static_cast<std::size_t>(pattern.rows[static_cast<std::size_t>(at)]);
        const double value = values[static_cast<std::size_t>(at)];
        ASSERT_TRUE(value == (*k)[i * n + j] || (std::isnan(value) && std::isnan((*k)[i * n + j])))
            << name << " (" << i + 1 << ", " << j + 1 << ")";
        stored_nonzeros += value != 0 ? 1 : 0;
      }
    }
    std::size_t dense_nonzeros = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i; j < n; ++j) {
        dense_nonzeros += (*k)[i * n + j] != 0 ? 1 : 0;
      }
    }
    EXPECT_EQ(stored_nonzeros, dense_nonzeros) << name << ": an entry outside the pattern";
    ++compared;
  }
  EXPECT_GT(compared, 5);
}

std::set<std::string> ill_conditioned;  // the models that agree only to their conditioning

double largest_magnitude(const AnalysisResults& results) {
  double largest = 0;
  for (const LoadCaseResults& c : results.cases) {
    for (const NodeDisplacement& u : c.nodes) {
      largest = std::max({largest, std::fabs(u.w), std::fabs(u.theta_x), std::fabs(u.theta_y)});
    }
  }
  return largest;
}

// Single-precision values formed from displacements that agree to 1e-10 of the largest: apart
// by their rounding to single precision, and by what the displacements' change moves them.
void expect_close_float(float banded, float sparse, float scale, float moved,
                        const std::string& what) {
  EXPECT_NEAR(banded, sparse, 1e-5f * scale + moved + 1e-30f) << what;
}

// Per element the largest row sum of |S|, and per equation the row sum of |K| over the elements
// (the spring-free stiffness the reactions are formed from).
struct ElementBounds {
  std::vector<double> stress_rows;
  std::vector<double> stiffness_rows;
};

ElementBounds element_bounds(const PlateModel& model) {
  ElementBounds bounds;
  bounds.stiffness_rows.assign(3 * model.nodes.size(), 0.0);
  const MaterialRigidity material = sparse::model_material(model);
  for (const PlateElement& element : model.elements) {
    const ElementMatrices m = sparse::element_matrices(model, material, element);
    double largest = 0;
    for (int r = 1; r <= stress_rows; ++r) {
      double row = 0;
      for (int c = 1; c <= element_dofs; ++c) {
        row += std::fabs(m.stress_matrix(r, c));
      }
      largest = std::max(largest, row);
    }
    bounds.stress_rows.push_back(largest);
    const ElementEquations equations = element_equations(element.nodes);
    for (int r = 1; r <= element_dofs; ++r) {
      double row = 0;
      for (int c = 1; c <= element_dofs; ++c) {
        row += std::fabs(m.stiffness(r, c));
      }
      bounds.stiffness_rows[static_cast<std::size_t>(equations[static_cast<std::size_t>(r - 1)] -
                                                     1)] += row;
    }
  }
  return bounds;
}

// The largest |K·(a − b)| against |K|·|a|, over the equations of one case: how far apart two
// solutions of the same system are in the equations' own terms.
double relative_residual(const std::vector<double>& k, const LoadCaseResults& a,
                         const LoadCaseResults& b) {
  const std::size_t n = 3 * a.nodes.size();
  std::vector<double> u(n);
  std::vector<double> difference(n);
  for (std::size_t node = 0; node < a.nodes.size(); ++node) {
    u[3 * node] = a.nodes[node].w;
    u[3 * node + 1] = a.nodes[node].theta_x;
    u[3 * node + 2] = a.nodes[node].theta_y;
    difference[3 * node] = a.nodes[node].w - b.nodes[node].w;
    difference[3 * node + 1] = a.nodes[node].theta_x - b.nodes[node].theta_x;
    difference[3 * node + 2] = a.nodes[node].theta_y - b.nodes[node].theta_y;
  }
  double residual = 0;
  double k_norm = 0;
  double u_norm = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double sum = 0;
    double row = 0;
    for (std::size_t j = 0; j < n; ++j) {
      sum += k[i * n + j] * difference[j];
      row += std::fabs(k[i * n + j]);
    }
    residual = std::max(residual, std::fabs(sum));
    k_norm = std::max(k_norm, row);
    u_norm = std::max(u_norm, std::fabs(u[i]));
  }
  return residual / (k_norm * u_norm);
}

// Displacements within 1e-10 of the largest (true), or, where the system is too ill-conditioned
// for that (a different elimination then moves the digits that the condition number leaves
// free), both solve it to working precision: K·(a − b) is round-off against |K|·|a| (false). The
// corpus's models at the edges of single precision have such systems (residuals of 1e-12 to 3e-9,
// r109 the largest).
bool expect_same_displacements(const PlateModel& model, const LoadCaseResults& a,
                               const LoadCaseResults& b, double largest, const std::string& name,
                               double& difference) {
  difference = 0;
  for (std::size_t n = 0; n < a.nodes.size(); ++n) {
    difference = std::max({difference, std::fabs(a.nodes[n].w - b.nodes[n].w),
                           std::fabs(a.nodes[n].theta_x - b.nodes[n].theta_x),
                           std::fabs(a.nodes[n].theta_y - b.nodes[n].theta_y)});
  }
  if (difference <= 1e-10 * largest) {
    return true;
  }
  const StiffnessOutcome dense = assemble_model_stiffness(model);
  EXPECT_LT(relative_residual(std::get<std::vector<double>>(dense), a, b), 1e-8)
      << name << ": displacements " << difference / largest << " of the largest apart, residual "
      << relative_residual(std::get<std::vector<double>>(dense), a, b);
  ill_conditioned.insert(name);
  return false;
}

void expect_same_results(const PlateModel& model, const AnalysisResults& banded,
                         const AnalysisResults& sparse, const std::string& name) {
  ASSERT_EQ(banded.cases.size(), sparse.cases.size()) << name;
  const double largest = largest_magnitude(banded);
  for (std::size_t c = 0; c < banded.cases.size(); ++c) {
    const LoadCaseResults& a = banded.cases[c];
    const LoadCaseResults& b = sparse.cases[c];
    ASSERT_EQ(a.nodes.size(), b.nodes.size()) << name;
    double du = 0;
    if (!expect_same_displacements(model, a, b, largest, name, du)) {
      continue;  // what follows from the displacements is as ill-conditioned as they are
    }
    const ElementBounds bounds = element_bounds(model);
    double moment_scale = 0;
    for (const ElementResultants& e : a.elements) {
      for (const PointResultants& p : e.points) {
        moment_scale = std::max({moment_scale, std::fabs(p.mx), std::fabs(p.my), std::fabs(p.mxy),
                                 std::fabs(p.qx), std::fabs(p.qy)});
      }
    }
    ASSERT_EQ(a.elements.size(), b.elements.size()) << name;
    for (std::size_t e = 0; e < a.elements.size(); ++e) {
      // A resultant moves with the displacements by at most its row of S times their change.
      const float moved = static_cast<float>(2 * bounds.stress_rows[e] * du);
      for (std::size_t p = 0; p < 4; ++p) {
        const PointResultants& x = a.elements[e].points[p];
        const PointResultants& y = b.elements[e].points[p];
        const std::string where = name + " element " + std::to_string(e + 1);
        expect_close_float(x.mx, y.mx, moment_scale, moved, where);
        expect_close_float(x.my, y.my, moment_scale, moved, where);
        expect_close_float(x.mxy, y.mxy, moment_scale, moved, where);
        expect_close_float(x.qx, y.qx, moment_scale, moved, where);
        expect_close_float(x.qy, y.qy, moment_scale, moved, where);
      }
    }
    double reaction_scale = 0;
    for (const SupportReaction& r : a.supports) {
      reaction_scale = std::max(
          {reaction_scale, std::fabs(r.force_w), std::fabs(r.moment_x), std::fabs(r.moment_y)});
    }
    ASSERT_EQ(a.supports.size(), b.supports.size()) << name;
    for (std::size_t s = 0; s < a.supports.size(); ++s) {
      EXPECT_EQ(a.supports[s].node, b.supports[s].node) << name;
      const std::string where = name + " support " + std::to_string(s + 1);
      const auto moved = [&](int d) {
        const int equation = 3 * (a.supports[s].node - 1) + d;
        return static_cast<float>(2 * bounds.stiffness_rows[static_cast<std::size_t>(equation)] *
                                  du);
      };
      expect_close_float(a.supports[s].force_w, b.supports[s].force_w, reaction_scale, moved(0),
                         where);
      expect_close_float(a.supports[s].moment_x, b.supports[s].moment_x, reaction_scale, moved(1),
                         where);
      expect_close_float(a.supports[s].moment_y, b.supports[s].moment_y, reaction_scale, moved(2),
                         where);
    }
  }
}

// Where the program's steps complete, the sparse engine gives the same results; where they stop
// before the solver, the same stop.
TEST(SparseAnalysis, AgreesWithTheProgramsSteps) {
  int complete = 0;
  int stopped = 0;
  for (const auto& [name, model] : readable_models()) {
    const AnalysisOutcome banded = analyse_plate_model(model);
    const AnalysisOutcome sparse = sparse::analyse_plate_model_sparse(model);
    if (const auto* results = std::get_if<AnalysisResults>(&banded)) {
      const auto* sparse_results = std::get_if<AnalysisResults>(&sparse);
      ASSERT_NE(sparse_results, nullptr)
          << name << ": " << describe_stop(std::get<AnalysisStop>(sparse));
      expect_same_results(model, *results, *sparse_results, name);
      ++complete;
      continue;
    }
    const AnalysisStop& stop = std::get<AnalysisStop>(banded);
    if (stop.kind == Kind::band_limit) {
      continue;  // a limit of the banded store alone
    }
    const auto* sparse_stop = std::get_if<AnalysisStop>(&sparse);
    if (stop.kind == Kind::global_mechanism && sparse_stop == nullptr) {
      // The banded solver's pivot tolerance is absolute: the one very flexible plate that it
      // calls singular (r028: E 0.53 GPa, t 0.8 mm) factors here. Every mechanism stops both.
      EXPECT_EQ(name, "r028.dat") << "a mechanism that the sparse engine solves";
      continue;
    }
    ASSERT_NE(sparse_stop, nullptr) << name << ": the program stops: " << describe_stop(stop);
    EXPECT_EQ(sparse_stop->kind, stop.kind) << name << ": " << describe_stop(*sparse_stop);
    if (stop.kind != Kind::global_mechanism) {
      EXPECT_EQ(describe_stop(*sparse_stop), describe_stop(stop)) << name;
    }
    ++stopped;
  }
  EXPECT_GE(complete, 5);  // the examples that complete
  EXPECT_GE(stopped, 1);   // placa1, a mechanism
  // The examples are sound models: they agree to 1e-10 of the largest displacement. Of the
  // corpus's random models at the edges of single precision, a quarter agree only to their
  // conditioning (1e-10 to 17 times the largest apart, r033 the worst).
  for (const std::string& name : ill_conditioned) {
    EXPECT_TRUE(name.size() == 8 && name.substr(4) == ".dat") << name << ": an example";
  }
}

// The energy stored with each case's results is ½·uᵀ·K·u of the assembled stiffness with its
// springs, to round-off of the terms summed (the soft-pattern measure divides by it).
TEST(SparseAnalysis, StoredEnergyIsTheQuadraticFormOfTheStiffness) {
  int compared = 0;
  for (const auto& [name, model] : readable_models()) {
    const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
    const auto* results = std::get_if<AnalysisResults>(&outcome);
    if (results == nullptr) {
      continue;
    }
    const sparse::StiffnessPattern pattern = sparse::stiffness_pattern(model);
    const std::vector<double> values = sparse::assembled_stiffness(model, pattern);
    for (const LoadCaseResults& load_case : results->cases) {
      std::vector<double> u;
      for (const NodeDisplacement& d : load_case.nodes) {
        u.insert(u.end(), {d.w, d.theta_x, d.theta_y});
      }
      double twice = 0;
      double magnitude = 0;
      for (std::int64_t j = 0; j < pattern.equations; ++j) {
        for (std::int64_t k = pattern.column_starts[j]; k < pattern.column_starts[j + 1]; ++k) {
          const std::int64_t i = pattern.rows[k];
          const double term = (i == j ? 1.0 : 2.0) * u[i] * values[k] * u[j];
          twice += term;
          magnitude += std::fabs(term);
        }
      }
      ASSERT_TRUE(load_case.stored_energy.has_value()) << name;
      EXPECT_NEAR(*load_case.stored_energy, twice / 2, 1e-9 * magnitude) << name;
      ++compared;
    }
  }
  EXPECT_GE(compared, 100);
}

// A thin square (t/a = 0.001) held on its edges against w and the slope along them: the centre
// deflection of thin-plate theory, Navier's series 0.00406235 q a⁴ / D (Timoshenko and
// Woinowsky-Krieger, §30), and the reactions carry the whole load.
TEST(SparseAnalysis, ThinSquareMeetsNaviersSeries) {
  constexpr int n = 200;
  const PlateModel model = test::hard_supported_square(n, 10.0f, 0.01f, 1);
  const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  const auto& results = std::get<AnalysisResults>(outcome);
  const double e = static_cast<double>(model.elastic_modulus_gpa * 1e6f);
  const double t = model.thickness;
  const double nu = model.poisson_ratio;
  const double rigidity = e * t * t * t / (12 * (1 - nu * nu));
  const double navier = -0.00406235 * 1.0 * std::pow(10.0, 4) / rigidity;
  const std::size_t centre = static_cast<std::size_t>(test::grid_node(n, n / 2, n / 2) - 1);
  EXPECT_NEAR(results.cases[0].nodes[centre].w / navier, 1.0, 1e-4);
  double reactions = 0;
  for (const SupportReaction& reaction : results.cases[0].supports) {
    reactions += reaction.force_w;
  }
  EXPECT_NEAR(reactions, 100.0, 100.0 * 1e-5);  // 1 kN/m² over 100 m², upwards
}

// At 10⁵ nodes (317 × 317, four load cases of 1 to 4 kN/m² over 100 m²) the reactions of every
// case carry its whole load, and the support moments of every case balance the load's moment
// about the plate's centre lines (zero, by symmetry, summed with the reactions' lever arms).
TEST(SparseAnalysis, ReactionsBalanceTheLoadsAtAHundredThousandNodes) {
  const PlateModel model = test::hard_supported_square(316, 10.0f, 0.2f, 4);
  ASSERT_GE(model.nodes.size(), 100000u);
  const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
  const auto& results = std::get<AnalysisResults>(outcome);
  for (std::size_t c = 0; c < results.cases.size(); ++c) {
    double force = 0;
    double moment_about_x5 = 0;
    for (std::size_t s = 0; s < results.cases[c].supports.size(); ++s) {
      const SupportReaction& reaction = results.cases[c].supports[s];
      const PlateNode& node = model.nodes[static_cast<std::size_t>(reaction.node - 1)];
      force += reaction.force_w;
      moment_about_x5 += reaction.force_w * (node.x - 5.0);
    }
    const double load = 100.0 * static_cast<double>(c + 1);
    EXPECT_NEAR(force, load, load * 1e-6) << "case " << c + 1;
    EXPECT_NEAR(moment_about_x5, 0.0, load * 1e-6) << "case " << c + 1;
  }
}

// A model that can move without resistance is not positive definite: the factorisation says where.
TEST(SparseAnalysis, MechanismsStopNamingTheFreedom) {
  const struct {
    const char* what;
    std::vector<PlateSupport> supports;
    Kind kind;
  } rows[] = {
      {"no support", {}, Kind::global_mechanism},
      {"one corner column", {{1, 1e6f, 0, 0}}, Kind::global_mechanism},
      {"two corner columns on one side",
       {{1, 1e6f, 0, 0}, {3, 1e6f, 0, 0}},
       Kind::global_mechanism},
      {"four corners held: the checkerboard of a 2 × 2 mesh",
       {{1, 1e6f, 0, 0}, {3, 1e6f, 0, 0}, {7, 1e6f, 0, 0}, {9, 1e6f, 0, 0}},
       Kind::global_mechanism},
  };
  for (const auto& row : rows) {
    PlateModel model = test::grid_plate(2, 2, 4.0f, 4.0f);
    model.supports = row.supports;
    const AnalysisOutcome outcome = sparse::analyse_plate_model_sparse(model);
    const auto* stop = std::get_if<AnalysisStop>(&outcome);
    ASSERT_NE(stop, nullptr) << row.what;
    EXPECT_EQ(stop->kind, row.kind) << row.what;
    EXPECT_GE(stop->equation, 1) << row.what;
    EXPECT_LE(stop->equation, 27) << row.what;
  }
}

}  // namespace
}  // namespace lajefem

namespace lajefem::sparse {
namespace {

// A matrix that is not made of node blocks (some freedoms alone, as the check factors them) is
// ordered on its equations: the tridiagonal 2, −1 of size 7 against its known solution.
TEST(CholeskyFactor, SolvesAMatrixWithoutNodeBlocks) {
  constexpr int size = 7;
  StiffnessPattern pattern;
  pattern.equations = size;
  std::vector<double> values;
  pattern.column_starts.push_back(0);
  for (int column = 0; column < size; ++column) {
    if (column > 0) {
      pattern.rows.push_back(column - 1);
      values.push_back(-1);
    }
    pattern.rows.push_back(column);
    values.push_back(2);
    pattern.column_starts.push_back(static_cast<std::int64_t>(pattern.rows.size()));
  }
  const CholeskyFactor factor(pattern, values);
  ASSERT_TRUE(factor.outcome().factored);
  // A x = e1 has x_i = (n + 1 − i) / (n + 1), i = 1..n.
  std::vector<double> b(size, 0.0);
  b[0] = 1;
  const std::vector<double> x = factor.solve(b, 1);
  for (int i = 0; i < size; ++i) {
    EXPECT_NEAR(x[static_cast<std::size_t>(i)], (size - i) / (size + 1.0), 1e-14) << i;
  }
}

}  // namespace
}  // namespace lajefem::sparse
