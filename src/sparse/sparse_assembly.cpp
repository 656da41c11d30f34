#include "sparse/sparse_assembly.hpp"

#include <algorithm>
#include <array>

#include "element/point_jacobian.hpp"
#include "model/material_rule.hpp"
#include "sparse/parallel_tasks.hpp"

namespace lajefem::sparse {

namespace {

constexpr int plate_element_type = 1;
constexpr double least_diagonal = 0.1;
// The elements whose matrices are formed together, on every core, before they are added.
constexpr std::size_t assembly_block = 4096;

// (node 0-based, freedom 0..2) of element freedom r (1-based).
struct NodeFreedom {
  int node = 0;
  int freedom = 0;
  int equation() const { return 3 * node + freedom; }
};

NodeFreedom element_node_freedom(const PlateElement& element, int r) {
  return {element.nodes[static_cast<std::size_t>((r - 1) / 3)] - 1, (r - 1) % 3};
}

void add_element(const PlateElement& element, const ElementMatrices& matrices,
                 const StiffnessPattern& pattern, std::vector<double>& values) {
  for (int r = 1; r <= element_dofs; ++r) {
    const NodeFreedom row = element_node_freedom(element, r);
    for (int c = 1; c <= element_dofs; ++c) {
      const NodeFreedom column = element_node_freedom(element, c);
      if (row.equation() <= column.equation()) {
        const std::int64_t at =
            entry_index(pattern, row.node, row.freedom, column.node, column.freedom);
        values[static_cast<std::size_t>(at)] += matrices.stiffness(r, c);
      }
    }
  }
}

void add_springs(const PlateModel& model, const StiffnessPattern& pattern,
                 std::vector<double>& values) {
  for (const PlateSupport& support : model.supports) {
    const std::array<float, 3> springs{support.spring_w, support.spring_theta_x,
                                       support.spring_theta_y};
    const int node = support.node - 1;
    for (int d = 0; d < 3; ++d) {
      double& diagonal = values[static_cast<std::size_t>(entry_index(pattern, node, d, node, d))];
      diagonal = static_cast<double>(springs[static_cast<std::size_t>(d)]) * 1000000.0 + diagonal;
    }
  }
}

}  // namespace

void corner_coordinates(const PlateModel& model, const PlateElement& element, CornerValues& x,
                        CornerValues& y) {
  for (int a = 1; a <= corners; ++a) {
    const PlateNode& node = model.nodes[static_cast<std::size_t>(element.nodes[a - 1] - 1)];
    x(a) = node.x;
    y(a) = node.y;
  }
}

std::optional<AnalysisStop> element_stop(const PlateModel& model) {
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const PlateElement& element = model.elements[e];
    AnalysisStop stop;
    stop.element = static_cast<int>(e) + 1;
    if (element.type != plate_element_type) {
      stop.kind = AnalysisStop::Kind::unknown_element_type;
      return stop;
    }
    CornerValues x;
    CornerValues y;
    corner_coordinates(model, element, x, y);
    if (!has_valid_geometry(sampling_tables(), x, y)) {
      stop.kind = AnalysisStop::Kind::invalid_geometry;
      return stop;
    }
  }
  return std::nullopt;
}

MaterialRigidity model_material(const PlateModel& model) {
  return material_rigidity(held_modulus(model.elastic_modulus_gpa), model.poisson_ratio,
                           model.thickness);
}

ElementMatrices element_matrices(const PlateModel& model, const MaterialRigidity& material,
                                 const PlateElement& element) {
  CornerValues x;
  CornerValues y;
  corner_coordinates(model, element, x, y);
  return plate_element_matrices(sampling_tables(), material, x, y);
}

// The element matrices are formed a block at a time on every core and added one element after
// another in the model's order: the sums are those of the serial loop, and the block bounds the
// memory the matrices take.
std::vector<double> assembled_stiffness(const PlateModel& model, const StiffnessPattern& pattern) {
  std::vector<double> values(pattern.rows.size(), 0.0);
  const MaterialRigidity material = model_material(model);
  const std::size_t element_count = model.elements.size();
  std::vector<ElementMatrices> block(std::min(assembly_block, element_count));
  for (std::size_t first = 0; first < element_count; first += assembly_block) {
    const std::size_t count = std::min(assembly_block, element_count - first);
    run_in_parallel(count, [&](std::size_t k) {
      block[k] = element_matrices(model, material, model.elements[first + k]);
    });
    for (std::size_t k = 0; k < count; ++k) {
      add_element(model.elements[first + k], block[k], pattern, values);
    }
  }
  add_springs(model, pattern, values);
  return values;
}

std::optional<AnalysisStop> local_mechanism(const StiffnessPattern& pattern,
                                            const std::vector<double>& values) {
  for (std::int64_t i = 0; i < pattern.equations; ++i) {
    const auto node = static_cast<int>(i / 3);
    const auto d = static_cast<int>(i % 3);
    if (!(values[static_cast<std::size_t>(entry_index(pattern, node, d, node, d))] >=
          least_diagonal)) {
      AnalysisStop stop;
      stop.kind = AnalysisStop::Kind::local_mechanism;
      stop.equation = static_cast<int>(i) + 1;
      return stop;
    }
  }
  return std::nullopt;
}

}  // namespace lajefem::sparse
