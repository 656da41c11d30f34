// The element loop: zeroing, the corner-to-equation mapping of the upper triangle, the mirrored
// lower triangle, one scratch record and one listener call per element, and the two stops.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

#include "element/element_loop.hpp"
#include "element_checks.hpp"
#include "model/scratch_records.hpp"

namespace lajefem::test {
namespace {

struct Mesh {
  std::vector<std::array<float, 2>> nodes;
  std::vector<std::array<int, 5>> elements;  // type, then the four corner nodes
};

// The elements the loop reported formed, in order, each with its stress matrix at that moment.
class FormedElements final : public ElementListener {
 public:
  void element_formed(const ModelStore& store, int element) override {
    elements.push_back(element);
    stress_matrices.push_back(store.element_stress_matrix);
  }
  std::vector<int> elements;
  std::vector<Array<double, stress_rows, element_dofs>> stress_matrices;
};

struct LoopOutput {
  FormedElements formed;
  std::stringstream scratch{std::ios::in | std::ios::out | std::ios::binary};
  std::optional<AnalysisStop> stop;
};

// Loads the mesh (plate of the data-file example: 30 GPa, 0.2, 0.15 m) and runs the loop.
void run_loop(ModelStore& store, const Mesh& mesh, LoopOutput& out) {
  store.elastic_modulus = 30.0e6f;
  store.poisson_ratio = 0.2f;
  store.thickness = 0.15f;
  store.node_count = static_cast<int>(mesh.nodes.size());
  store.equation_count = equation_count_of(store.node_count);
  store.element_count = static_cast<int>(mesh.elements.size());
  for (int n = 1; n <= store.node_count; ++n) {
    store.node_coord(n, 1) = mesh.nodes[n - 1][0];
    store.node_coord(n, 2) = mesh.nodes[n - 1][1];
  }
  for (int e = 1; e <= store.element_count; ++e) {
    store.element_type(e) = mesh.elements[e - 1][0];
    for (int a = 1; a <= corners; ++a)
      store.element_nodes(e, a) = mesh.elements[e - 1][a];
  }
  gather_element_coordinates(store);
  build_sampling_tables(store);
  store.global_stiffness.fill(1.0);
  out.stop = assemble_global_stiffness(store, out.scratch, out.formed);
}

// The stiffness of one element on its own, as the loop forms it.
using ElementMatrix = Array<double, element_dofs, element_dofs>;
ElementMatrix stiffness_of(const Corners& c) {
  auto store = make_element_store(30.0e6f, 0.2f, 0.15f);
  form_element(*store, c);
  return store->element_stiffness;
}

int records_on(std::stringstream& scratch) {
  rewind_scratch(scratch);
  Array<double, stress_rows, element_dofs> record;
  int count = 0;
  try {
    for (;;) {
      read_scratch_record(scratch, record.data(), record.size);
      ++count;
    }
  } catch (const ScratchFileError&) {
  }
  return count;
}

const Mesh square = {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1, 2, 3, 4}}};

TEST(ElementLoop, NoElementsLeavesTheWholeMatrixZero) {
  auto store = make_model_store();
  LoopOutput out;
  run_loop(*store, {square.nodes, {}}, out);
  for (int j = 1; j <= max_equations; ++j) {
    for (int i = 1; i <= max_equations; ++i)
      ASSERT_EQ(store->global_stiffness(i, j), 0.0);
  }
  EXPECT_FALSE(out.stop.has_value());
  EXPECT_TRUE(out.formed.elements.empty());
  EXPECT_EQ(out.scratch.str(), "");
}

TEST(ElementLoop, SingleSquareElementRecordAndListenerCall) {
  auto store = make_model_store();
  LoopOutput out;
  run_loop(*store, square, out);
  for (int j = 1; j <= max_equations; ++j) {
    for (int i = 1; i <= max_equations; ++i) {
      const double expected = i > 12 || j > 12 ? 0.0
                              : i <= j         ? store->element_stiffness(i, j)
                                               : store->element_stiffness(j, i);
      ASSERT_EQ(store->global_stiffness(i, j), expected) << i << ' ' << j;
    }
  }

  rewind_scratch(out.scratch);
  Array<double, stress_rows, element_dofs> record;
  read_scratch_record(out.scratch, record.data(), record.size);
  ASSERT_EQ(out.formed.elements, std::vector<int>{1});
  for (int c = 1; c <= element_dofs; ++c) {
    for (int r = 1; r <= stress_rows; ++r) {
      EXPECT_EQ(record(r, c), store->element_stress_matrix(r, c));
      EXPECT_EQ(out.formed.stress_matrices[0](r, c), store->element_stress_matrix(r, c));
    }
  }
  EXPECT_EQ(records_on(out.scratch), 1);
  EXPECT_FALSE(out.stop.has_value());
}

TEST(ElementLoop, SharedEdgeSumsBothElements) {
  const Mesh mesh = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0}, {2, 1}},
                     {{1, 1, 2, 3, 4}, {1, 2, 5, 6, 3}}};
  const ElementMatrix left = stiffness_of({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
  const ElementMatrix right = stiffness_of({{{1, 0}, {2, 0}, {2, 1}, {1, 1}}});
  auto store = make_model_store();
  LoopOutput out;
  run_loop(*store, mesh, out);
  for (int d = 1; d <= 3; ++d) {
    for (int d2 = 1; d2 <= 3; ++d2) {
      // Node 2 is corner 2 on the left and corner 1 on the right; node 3 is corner 3 and 4.
      EXPECT_EQ(store->global_stiffness(3 + d, 6 + d2), left(3 + d, 6 + d2) + right(d, 9 + d2));
      EXPECT_EQ(store->global_stiffness(6 + d2, 3 + d), store->global_stiffness(3 + d, 6 + d2));
      // Nodes 1 and 5, and nodes 4 and 6, share no element.
      EXPECT_EQ(store->global_stiffness(d, 12 + d2), 0.0);
      EXPECT_EQ(store->global_stiffness(9 + d, 15 + d2), 0.0);
    }
  }
}

TEST(ElementLoop, CornerNodesMapToTheirEquations) {
  // Corners on nodes (5, 6, 2, 1); nodes 3 and 4 belong to no element.
  const Mesh mesh = {{{0, 1}, {1, 1}, {5, 5}, {6, 6}, {0, 0}, {1, 0}}, {{1, 5, 6, 2, 1}}};
  const ElementMatrix k = stiffness_of({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
  auto store = make_model_store();
  LoopOutput out;
  run_loop(*store, mesh, out);
  EXPECT_EQ(store->global_stiffness(13, 13), k(1, 1));
  EXPECT_EQ(store->global_stiffness(1, 1), k(10, 10));
  EXPECT_EQ(store->global_stiffness(1, 13), k(10, 1));
  EXPECT_EQ(store->global_stiffness(13, 1), k(10, 1));
  EXPECT_EQ(store->global_stiffness(4, 16),
            k(7, 4));  // w of node 2 (corner 3) against w of node 6 (corner 2)
  for (int i = 7; i <= 12; ++i) {
    for (int j = 1; j <= 18; ++j) {
      EXPECT_EQ(store->global_stiffness(i, j), 0.0);
      EXPECT_EQ(store->global_stiffness(j, i), 0.0);
    }
  }
}

const std::vector<std::array<float, 2>> grid = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1},
                                                {2, 1}, {0, 2}, {1, 2}, {2, 2}};

TEST(ElementLoop, UnknownTypeStopsAfterTheEarlierElements) {
  const Mesh mesh = {grid, {{1, 1, 2, 5, 4}, {1, 2, 3, 6, 5}, {2, 4, 5, 8, 7}, {1, 5, 6, 9, 8}}};
  auto store = make_model_store();
  LoopOutput out;
  run_loop(*store, mesh, out);
  ASSERT_TRUE(out.stop.has_value());
  EXPECT_EQ(out.stop->kind, AnalysisStop::Kind::unknown_element_type);
  EXPECT_EQ(out.stop->element, 3);
  EXPECT_EQ(out.formed.elements, (std::vector<int>{1, 2}));
  EXPECT_EQ(records_on(out.scratch), 2);
}

TEST(ElementLoop, ElementShapeCheckStopsBeforeTheElementIsFormed) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Row {
    const char* name;
    std::array<float, 2> node6;
    std::array<int, 5> second;
  };
  const Row rows[] = {
      {"clockwise", {2, 1}, {1, 2, 5, 6, 3}},
      {"crossed corners", {2, 1}, {1, 2, 3, 5, 6}},
      {"re-entrant corner", {1.2f, 0.2f}, {1, 2, 3, 6, 5}},
      {"collinear", {3, 0}, {1, 1, 2, 3, 6}},
      {"not finite", {nan, 1}, {1, 2, 3, 6, 5}},
  };
  for (const Row& row : rows) {
    std::vector<std::array<float, 2>> nodes = grid;
    nodes[5] = row.node6;
    auto store = make_model_store();
    LoopOutput out;
    run_loop(*store, {nodes, {{1, 1, 2, 5, 4}, row.second}}, out);
    ASSERT_TRUE(out.stop.has_value()) << row.name;
    EXPECT_EQ(out.stop->kind, AnalysisStop::Kind::invalid_geometry) << row.name;
    EXPECT_EQ(out.stop->element, 2) << row.name;
    EXPECT_EQ(out.formed.elements, std::vector<int>{1}) << row.name;
    EXPECT_EQ(records_on(out.scratch), 1) << row.name;
  }
}

}  // namespace
}  // namespace lajefem::test
