#include "tools/sound_plate.hpp"

#include <limits>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "analysis/analysis.hpp"
#include "checking/mechanisms.hpp"
#include "meshing/meshing_error.hpp"
#include "model/store_limits.hpp"

namespace lajefem::tools {

namespace {

using meshing::GeneratedPlate;
using meshing::PlanPoint;
using meshing::PlateRequest;

// A measure this low is what sound meshes show: no other variant is tried.
constexpr double firm_pattern_ratio = 10;

// At most this many variants are measured (each costs a stiffness and a solution).
constexpr std::size_t most_variants = 64;

std::vector<double> coordinates(const std::vector<PlanPoint>& points, double PlanPoint::*axis) {
  std::vector<double> values;
  for (const PlanPoint& point : points) {
    values.push_back(point.*axis);
  }
  return values;
}

// The soft-pattern measure of a plate, none when it leaves the pattern free or goes beyond the
// program's limits.
std::optional<double> pattern_measure(const GeneratedPlate& plate,
                                      const std::array<float, 3>& material) {
  if (!meshing::holds_free_patterns(plate) || store_limit_breach(plate.model)) {
    return std::nullopt;
  }
  PlateModel model = plate.model;
  model.elastic_modulus_gpa = material[0];
  model.poisson_ratio = material[1];
  model.thickness = material[2];
  const StiffnessOutcome stiffness = assemble_model_stiffness(model);
  const auto* matrix = std::get_if<std::vector<double>>(&stiffness);
  if (matrix == nullptr) {
    return std::nullopt;
  }
  return soft_pattern_measure(model, *matrix);
}

std::optional<GeneratedPlate> plate_if_built(const PlateRequest& request) {
  try {
    return meshing::generate_plate(request);
  } catch (const meshing::MeshingError&) {
    return std::nullopt;
  }
}

// A stretch of one side: x (0) or y (1), and its index.
struct Stretch {
  int axis = 0;
  int run = 0;
};

// The stretches between parity stops along both sides.
std::vector<Stretch> stretches_of(const PlateRequest& request) {
  std::vector<Stretch> stretches;
  const int runs[2] = {
      meshing::parity_run_count(request.length_x, coordinates(request.columns, &PlanPoint::x)),
      meshing::parity_run_count(request.length_y, coordinates(request.columns, &PlanPoint::y))};
  for (int axis = 0; axis < 2; ++axis) {
    for (int run = 0; run < runs[axis]; ++run) {
      stretches.push_back({axis, run});
    }
  }
  return stretches;
}

PlateRequest with_even(PlateRequest request, const std::vector<Stretch>& even) {
  for (const Stretch& stretch : even) {
    (stretch.axis == 0 ? request.even_runs_x : request.even_runs_y).push_back(stretch.run);
  }
  return request;
}

// The stretches made even one at a time, then two, three and so on (in lexicographic order of
// their indices), up to most_variants in all.
std::vector<std::vector<Stretch>> variants(const std::vector<Stretch>& stretches) {
  std::vector<std::vector<Stretch>> all;
  const std::size_t n = stretches.size();
  for (std::size_t k = 1; k <= n && all.size() < most_variants; ++k) {
    std::vector<std::size_t> chosen(k);
    for (std::size_t i = 0; i < k; ++i) {
      chosen[i] = i;
    }
    while (all.size() < most_variants) {
      std::vector<Stretch> even;
      for (const std::size_t i : chosen) {
        even.push_back(stretches[i]);
      }
      all.push_back(std::move(even));
      // The next combination: raise the last index that can still be raised.
      std::size_t i = k;
      while (i > 0 && chosen[i - 1] == n - k + i - 1) {
        --i;
      }
      if (i == 0) {
        break;
      }
      ++chosen[i - 1];
      for (std::size_t j = i; j < k; ++j) {
        chosen[j] = chosen[j - 1] + 1;
      }
    }
  }
  return all;
}

}  // namespace

GeneratedPlate sound_plate(const PlateRequest& request, const std::array<float, 3>& material) {
  GeneratedPlate best = meshing::generate_plate(request);
  if (request.columns.empty()) {
    return best;
  }
  // A layout that leaves the pattern free (refused by the caller) may hold it with other counts.
  const bool free = !meshing::holds_free_patterns(best);
  if (!free && store_limit_breach(best.model)) {
    return best;
  }
  const std::optional<double> first = pattern_measure(best, material);
  if (!free && (!first || *first <= soft_pattern_limit())) {
    return best;
  }
  double lowest = first ? *first : std::numeric_limits<double>::infinity();
  for (const std::vector<Stretch>& even : variants(stretches_of(request))) {
    std::optional<GeneratedPlate> candidate = plate_if_built(with_even(request, even));
    const std::optional<double> measure =
        candidate ? pattern_measure(*candidate, material) : std::nullopt;
    if (measure && *measure < lowest) {
      lowest = *measure;
      best = std::move(*candidate);
      if (lowest <= firm_pattern_ratio) {
        break;
      }
    }
  }
  return best;
}

}  // namespace lajefem::tools
