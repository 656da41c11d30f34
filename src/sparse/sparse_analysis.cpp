#include "sparse/sparse_analysis.hpp"

#include <array>
#include <optional>

#include "element/plate_element.hpp"
#include "model/equation_numbering.hpp"
#include "results/element_results.hpp"
#include "results/load_vectors.hpp"
#include "sparse/cholmod_factor.hpp"
#include "sparse/parallel_tasks.hpp"
#include "sparse/sparse_assembly.hpp"
#include "sparse/stiffness_pattern.hpp"

namespace lajefem::sparse {

namespace {

constexpr int nodal_load = 1;
constexpr int distributed_load = 2;

// The right-hand sides, column-major (equation, case), as the load step forms them.
using LoadColumns = std::vector<double>;

std::optional<AnalysisStop> form_loads(const PlateModel& model, LoadColumns& loads) {
  const auto n = static_cast<std::size_t>(3 * model.nodes.size());
  loads.assign(n * model.load_cases.size(), 0.0);
  std::vector<LoadIntegrals> integrals;
  integrals.reserve(model.elements.size());
  for (const PlateElement& element : model.elements) {
    CornerValues x;
    CornerValues y;
    corner_coordinates(model, element, x, y);
    integrals.push_back(element_load_integrals(sampling_tables(), x, y));
  }
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    double* column = loads.data() + c * n;
    const std::vector<PlateLoad>& case_loads = model.load_cases[c].loads;
    for (std::size_t i = 0; i < case_loads.size(); ++i) {
      const PlateLoad& load = case_loads[i];
      if (load.type == nodal_load) {
        for (int d = 1; d <= freedoms_per_node; ++d) {
          column[node_equation(load.node, d) - 1] += load.values[static_cast<std::size_t>(d - 1)];
        }
      } else if (load.type == distributed_load) {
        for (std::size_t e = 0; e < model.elements.size(); ++e) {
          const ElementEquations equations = element_equations(model.elements[e].nodes);
          for (int r = 1; r <= element_dofs; ++r) {
            const auto value = load.values[static_cast<std::size_t>((r - 1) % 3)];
            column[equations[static_cast<std::size_t>(r - 1)] - 1] += value * integrals[e](r);
          }
        }
      } else {
        AnalysisStop stop;
        stop.kind = AnalysisStop::Kind::unknown_load_type;
        stop.load_case = static_cast<int>(c) + 1;
        stop.load = static_cast<int>(i) + 1;
        return stop;
      }
    }
  }
  return std::nullopt;
}

// ½·uᵀ·K·u from the elements' forces K_e·u_e summed at each equation, with the springs' share.
double stored_energy(const PlateModel& model, const double* u, const double* element_forces) {
  const std::size_t n = 3 * model.nodes.size();
  double twice = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    twice += u[i] * element_forces[i];
  }
  for (const PlateSupport& support : model.supports) {
    const std::array<float, 3> springs{support.spring_w, support.spring_theta_x,
                                       support.spring_theta_y};
    for (int d = 0; d < 3; ++d) {
      const double held = u[3 * static_cast<std::size_t>(support.node - 1) + d];
      twice += static_cast<double>(springs[static_cast<std::size_t>(d)]) * 1000000.0 * held * held;
    }
  }
  return twice / 2;
}

// Nodal displacements, element resultants and support reactions of every case from the solved
// displacements; the reactions are the elements' forces at the supported freedoms less the loads.
AnalysisResults results_of(const PlateModel& model, const LoadColumns& loads,
                           const std::vector<double>& displacements) {
  const std::size_t n = 3 * model.nodes.size();
  const std::size_t cases = model.load_cases.size();
  AnalysisResults results;
  results.half_bandwidth = model_half_bandwidth(model);
  results.cases.resize(cases);
  for (std::size_t c = 0; c < cases; ++c) {
    const double* u = displacements.data() + c * n;
    for (std::size_t node = 0; node < model.nodes.size(); ++node) {
      results.cases[c].nodes.push_back({u[3 * node], u[3 * node + 1], u[3 * node + 2]});
    }
  }
  // Each element's resultants and forces on its own thread; the forces are then summed into
  // the nodes element by element, in the order the serial sum takes.
  const std::size_t element_count = model.elements.size();
  for (LoadCaseResults& case_results : results.cases) {
    case_results.elements.resize(element_count);
  }
  constexpr auto dofs = static_cast<std::size_t>(element_dofs);
  std::vector<double> forces_of_elements(element_count * cases * dofs);
  const MaterialRigidity material = model_material(model);
  run_in_parallel(element_count, [&](std::size_t e) {
    const PlateElement& element = model.elements[e];
    const ElementMatrices matrices = element_matrices(model, material, element);
    const ElementEquations equations = element_equations(element.nodes);
    for (std::size_t c = 0; c < cases; ++c) {
      const double* u = displacements.data() + c * n;
      ElementFreedomValues ue;
      for (int r = 1; r <= element_dofs; ++r) {
        ue(r) = u[equations[static_cast<std::size_t>(r - 1)] - 1];
      }
      const StressResultants s = stress_resultants(matrices.stress_matrix, ue);
      ElementResultants& resultants = results.cases[c].elements[e];
      for (std::size_t p = 0; p < 4; ++p) {
        const int row = 5 * static_cast<int>(p);
        resultants.points[p] = {s(row + 1), s(row + 2), s(row + 3), s(row + 4), s(row + 5)};
      }
      double* forces = forces_of_elements.data() + (e * cases + c) * dofs;
      for (int r = 1; r <= element_dofs; ++r) {
        double sum = 0.0;
        for (int k = 1; k <= element_dofs; ++k) {
          sum += matrices.stiffness(r, k) * ue(k);
        }
        forces[r - 1] = sum;
      }
    }
  });
  std::vector<double> element_forces(n * cases, 0.0);
  for (std::size_t e = 0; e < element_count; ++e) {
    const ElementEquations equations = element_equations(model.elements[e].nodes);
    for (std::size_t c = 0; c < cases; ++c) {
      const double* from = forces_of_elements.data() + (e * cases + c) * dofs;
      double* forces = element_forces.data() + c * n;
      for (int r = 1; r <= element_dofs; ++r) {
        forces[equations[static_cast<std::size_t>(r - 1)] - 1] += from[r - 1];
      }
    }
  }
  for (std::size_t c = 0; c < cases; ++c) {
    results.cases[c].stored_energy =
        stored_energy(model, displacements.data() + c * n, element_forces.data() + c * n);
  }
  for (std::size_t c = 0; c < cases; ++c) {
    const double* forces = element_forces.data() + c * n;
    const double* applied = loads.data() + c * n;
    for (const PlateSupport& support : model.supports) {
      const auto at = [&](int d) {
        const std::size_t i = static_cast<std::size_t>(node_equation(support.node, d) - 1);
        return static_cast<float>(forces[i] - applied[i]);
      };
      results.cases[c].supports.push_back(
          {support.node, at(freedom_w), at(freedom_theta_x), at(freedom_theta_y)});
    }
  }
  return results;
}

AnalysisStop global_mechanism_stop(const Factorisation& factorisation) {
  AnalysisStop stop;
  stop.kind = AnalysisStop::Kind::global_mechanism;
  stop.equation = static_cast<int>(factorisation.failing_equation + 1);
  return stop;
}

}  // namespace

AnalysisOutcome analyse_plate_model_sparse(const PlateModel& model) {
  if (auto stop = element_stop(model)) {
    return *stop;
  }
  const StiffnessPattern pattern = stiffness_pattern(model);
  const std::vector<double> values = assembled_stiffness(model, pattern);
  if (auto stop = local_mechanism(pattern, values)) {
    return *stop;
  }
  LoadColumns loads;
  if (auto stop = form_loads(model, loads)) {
    return *stop;
  }
  const CholeskyFactor factor(pattern, values);
  if (!factor.outcome().factored) {
    return global_mechanism_stop(factor.outcome());
  }
  const auto cases = static_cast<int>(model.load_cases.size());
  const std::vector<double> displacements =
      cases == 0 ? std::vector<double>() : factor.solve(loads, cases);
  return results_of(model, loads, displacements);
}

}  // namespace lajefem::sparse
