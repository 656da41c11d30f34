// The analysis without console or log: the data file read into the plate model, then geometry,
// stiffness, springs, local-mechanism check, loads, solution, element results and reactions, by
// the same steps as the console program. It writes nothing to any stream and asks nothing.
#pragma once

#include <array>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/analysis_stop.hpp"
#include "model/plate_model.hpp"
#include "model/store_limits.hpp"

namespace lajefem {

// One English sentence for a stop, for the companion program's messages.
std::string describe_stop(const AnalysisStop& stop);

// The data-file statement that the reader runs under a data-error code, in English words
// ("the node lines", "the loads of load case 2", "a heading line").
std::string data_statement_name(int code);

struct NodeDisplacement {
  double w = 0;        // m, up for anticlockwise corners
  double theta_x = 0;  // rad
  double theta_y = 0;  // rad
};

// Resultants at one Gauss point: the single-precision values the report prints for a load case,
// held in double so that a combination's factored sums keep their digits.
struct PointResultants {
  double mx = 0;   // kN·m/m
  double my = 0;   // kN·m/m
  double mxy = 0;  // kN·m/m
  double qx = 0;   // kN/m
  double qy = 0;   // kN/m
};

// Gauss points 1..4 (point p nearest corner p). Qx and Qy are evaluated at the element centre:
// point 1 holds them, points 2..4 hold zero, as the report prints them.
struct ElementResultants {
  std::array<PointResultants, 4> points{};
};

// A support record's reactions: single-precision values for a load case, as PointResultants.
struct SupportReaction {
  int node = 0;         // supported node (1-based)
  double force_w = 0;   // kN
  double moment_x = 0;  // kN·m, on θx
  double moment_y = 0;  // kN·m, on θy
};

struct LoadCaseResults {
  std::vector<NodeDisplacement> nodes;      // one per node
  std::vector<ElementResultants> elements;  // one per element
  std::vector<SupportReaction> supports;    // one per support record
  // True for the program's own results, whose resultants, reactions and w it holds in single
  // precision; false for sums formed in double (a combination of load cases).
  bool single = true;
  // ½·uᵀ·K·u (kN·m), the energy the deflection stores in the elements and springs, where the
  // engine has it from its element forces (the sparse engine); none otherwise.
  std::optional<double> stored_energy;
};

struct AnalysisResults {
  int half_bandwidth = 0;
  std::vector<LoadCaseResults> cases;  // one per load case
};

// The reader's outcome: the model, or the data error that stopped it.
using ModelReading = std::variant<PlateModel, AnalysisStop>;
using AnalysisOutcome = std::variant<AnalysisResults, AnalysisStop>;

// Reads a data file with the program's own reader (limits and references checked as it does).
ModelReading read_plate_model(std::istream& data);

// Reads a data file with the program's statements and data errors but without the store's
// limits: as many nodes, elements, supports, load cases and loads as the file gives, the model
// sized by what is read. The stops are those of read_plate_model, the limits apart.
ModelReading read_plate_model_any_size(std::istream& data);

// Reads the data file `data_name` of `folder` as lajefem run in that folder reads it: the reader,
// then the run's refusal of a results name that designates the data file or the log ZLIXO.
ModelReading read_plate_model_as_run(std::istream& data, const std::filesystem::path& folder,
                                     const std::string& data_name);

// Elements (1-based) whose Jacobian determinant is not positive at a Gauss point or at the
// centre: the element loop stops at the first of them. For a model within the
// program's limits (std::invalid_argument otherwise: the store cannot hold it).
std::vector<int> elements_of_invalid_geometry(const PlateModel& model);

// Analyses a model by the program's steps. A model beyond the store's counts (store_limit_breach)
// stops as a data error naming the limit, one beyond its band as the program stops on it.
AnalysisOutcome analyse_plate_model(const PlateModel& model);

// The full symmetric stiffness of the model's elements with the support springs added, row by row
// (3 × nodes squared values, equations numbered 3n − 2, 3n − 1, 3n), or the stop that prevents it
// (store capacity as analyse_plate_model says, band, element type, geometry).
using StiffnessOutcome = std::variant<std::vector<double>, AnalysisStop>;
StiffnessOutcome assemble_model_stiffness(const PlateModel& model);

}  // namespace lajefem
