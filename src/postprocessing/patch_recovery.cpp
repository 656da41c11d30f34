#include "postprocessing/patch_recovery.hpp"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "element/plate_element.hpp"
#include "sparse/parallel_tasks.hpp"

namespace lajefem {

namespace {

constexpr int basis_size = 6;            // 1, u, v, u², uv, v²
constexpr int first_rings = 2;           // the elements of the node's elements' nodes
constexpr int last_rings = 4;            // beyond this the node is served by its neighbours
constexpr double rank_threshold = 1e-6;  // pivot below this fraction of the largest: not determined

using Basis = Eigen::Matrix<double, basis_size, 1>;

// The quadratic basis at (u, v), the place relative to the patch's node over its size.
Basis quadratic_basis(double u, double v) {
  Basis b;
  b << 1, u, v, u * u, u * v, v * v;
  return b;
}

// Where an element's curvature is sampled and what it measures there: weights of (κx, κy, κxy).
struct CurvatureSample {
  PlanePoint at;
  Eigen::Vector3d weights;
};

// What an element gives the fits, from the mesh alone: five curvature samples and the centre,
// where the shear forces are taken.
struct ElementSamples {
  std::array<CurvatureSample, 5> curvature;
  PlanePoint centre;
};

// The values of one result set at an element's samples.
struct SampleValues {
  std::array<double, 5> curvature{};
  double qx = 0;
  double qy = 0;
};

PlanePoint midpoint(PlanePoint a, PlanePoint b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// Unit vector of a + b − c − d: an element direction from its Gauss points.
Eigen::Vector2d unit_direction(PlanePoint a, PlanePoint b, PlanePoint c, PlanePoint d) {
  const Eigen::Vector2d v(a.x + b.x - c.x - d.x, a.y + b.y - c.y - d.y);
  return v.normalized();
}

// Weights of (κx, κy, κxy) in n·K·m, K the curvature tensor with κxy/2 off the diagonal.
Eigen::Vector3d tensor_weights(const Eigen::Vector2d& n, const Eigen::Vector2d& m) {
  return {n.x() * m.x(), n.y() * m.y(), (n.x() * m.y() + n.y() * m.x()) / 2};
}

Eigen::Matrix3d bending_rigidity(const PlateModel& model) {
  const MaterialRigidity rigidity =
      material_rigidity(model.elastic_modulus_gpa * 1e6, model.poisson_ratio, model.thickness);
  Eigen::Matrix3d d;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      d(i, j) = rigidity.bending(i + 1, j + 1);
    }
  }
  return d;
}

// Gauss point p sits at (ξ, η) = (∓g, ∓g), point 1 (−, −), 2 (+, −), 3 (+, +), 4 (−, +). The
// curvature along ξ of points 1, 2 belongs at (0, −g), of 4, 3 at (0, +g); along η of 1, 4 at
// (−g, 0) and of 2, 3 at (+g, 0); the mixed part of all four at the centre. On the bilinear map
// those places are the midpoints of the Gauss points' own positions.
ElementSamples element_samples(const PlateModel& model, const PlateElement& element) {
  const std::array<PlanePoint, 4> at = gauss_point_positions(model, element);
  const Eigen::Vector2d n = unit_direction(at[1], at[2], at[0], at[3]);
  const Eigen::Vector2d m = unit_direction(at[3], at[2], at[0], at[1]);
  const Eigen::Vector3d along_n = tensor_weights(n, n);
  const Eigen::Vector3d along_m = tensor_weights(m, m);
  ElementSamples samples;
  samples.centre = midpoint(midpoint(at[0], at[2]), midpoint(at[1], at[3]));
  samples.curvature = {{{midpoint(at[0], at[1]), along_n},
                        {midpoint(at[3], at[2]), along_n},
                        {midpoint(at[0], at[3]), along_m},
                        {midpoint(at[1], at[2]), along_m},
                        {samples.centre, tensor_weights(n, m)}}};
  return samples;
}

// The measured values at the samples: each sample's combination of the curvatures of the two
// Gauss points it lies between (of all four for the mixed part), the shear forces as they are.
SampleValues sample_values(const ElementSamples& samples, const ElementResultants& values,
                           const Eigen::Matrix3d& flexibility) {
  std::array<Eigen::Vector3d, 4> kappa;
  for (int p = 0; p < 4; ++p) {
    const PointResultants& v = values.points[p];
    kappa[p] = flexibility * Eigen::Vector3d(v.mx, v.my, v.mxy);
  }
  auto mean = [&](const Eigen::Vector3d& w, int a, int b) {
    return (w.dot(kappa[a]) + w.dot(kappa[b])) / 2;
  };
  const auto& c = samples.curvature;
  return {{mean(c[0].weights, 0, 1), mean(c[1].weights, 3, 2), mean(c[2].weights, 0, 3),
           mean(c[3].weights, 1, 2), (mean(c[4].weights, 0, 1) + mean(c[4].weights, 2, 3)) / 2},
          values.points[0].qx,
          values.points[0].qy};
}

// Which elements meet at each node, which nodes have elements all round them, which are held.
struct MeshTopology {
  std::vector<std::vector<int>> node_elements;  // per node, its elements (0-based)
  std::vector<bool> interior;                   // every element side at the node has two elements
  std::vector<bool> held;                       // a support holds w: patches stop there
};

MeshTopology mesh_topology(const PlateModel& model) {
  MeshTopology topology;
  const std::size_t count = model.nodes.size();
  topology.node_elements.resize(count);
  topology.interior.assign(count, true);
  topology.held.assign(count, false);
  std::map<std::pair<int, int>, int> side_uses;
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const auto& nodes = model.elements[e].nodes;
    for (int k = 0; k < 4; ++k) {
      topology.node_elements[nodes[k] - 1].push_back(static_cast<int>(e));
      const int a = nodes[k] - 1;
      const int b = nodes[(k + 1) % 4] - 1;
      ++side_uses[{std::min(a, b), std::max(a, b)}];
    }
  }
  for (const auto& [side, uses] : side_uses) {
    if (uses < 2) {
      topology.interior[side.first] = false;
      topology.interior[side.second] = false;
    }
  }
  for (std::size_t n = 0; n < count; ++n) {
    topology.interior[n] = topology.interior[n] && !topology.node_elements[n].empty();
  }
  for (const PlateSupport& support : model.supports) {
    if (support.spring_w > 0) {
      topology.held[support.node - 1] = true;
    }
  }
  return topology;
}

// The node's elements, then `rings − 1` times the elements of their nodes not held in w.
std::set<int> patch_elements(const PlateModel& model, const MeshTopology& topology, int node,
                             int rings) {
  std::set<int> patch(topology.node_elements[node].begin(), topology.node_elements[node].end());
  for (int ring = 1; ring < rings; ++ring) {
    std::set<int> grown = patch;
    for (const int e : patch) {
      for (const int corner : model.elements[e].nodes) {
        if (!topology.held[corner - 1]) {
          const auto& around = topology.node_elements[corner - 1];
          grown.insert(around.begin(), around.end());
        }
      }
    }
    patch = std::move(grown);
  }
  return patch;
}

// An interior node's patch: its elements, the place and size that scale the basis, and the
// inverses of its normal matrices (the curvature fit's, then the shear fit's), each its upper
// triangle row by row: the fits of every result set are then a product each.
struct NodePatch {
  PlanePoint origin;
  double size = 1;
  std::vector<int> elements;
  std::vector<double> inverses;
};

Basis basis_at(const NodePatch& patch, PlanePoint p) {
  return quadratic_basis((p.x - patch.origin.x) / patch.size, (p.y - patch.origin.y) / patch.size);
}

double patch_size(PlanePoint origin, const std::set<int>& patch,
                  const std::vector<ElementSamples>& samples) {
  double size = 0;
  for (const int e : patch) {
    for (const CurvatureSample& s : samples[e].curvature) {
      size = std::max(size, std::hypot(s.at.x - origin.x, s.at.y - origin.y));
    }
  }
  return size;
}

constexpr int curvature_unknowns = 3 * basis_size;
using CurvatureMatrix = Eigen::Matrix<double, curvature_unknowns, curvature_unknowns>;
using ShearMatrix = Eigen::Matrix<double, basis_size, basis_size>;

// The normal equations' matrices of a patch's two least-squares fits: the curvature polynomials
// (the rows are the weights times the basis) and the shear polynomials (a row per centre).
struct NormalMatrices {
  CurvatureMatrix curvature = CurvatureMatrix::Zero();
  ShearMatrix shear = ShearMatrix::Zero();
};

NormalMatrices normal_matrices(const NodePatch& patch, const std::vector<ElementSamples>& samples) {
  NormalMatrices normal;
  for (const int e : patch.elements) {
    for (const CurvatureSample& s : samples[e].curvature) {
      const Basis b = basis_at(patch, s.at);
      const ShearMatrix products = b * b.transpose();
      for (int c = 0; c < 3; ++c) {
        for (int d = c; d < 3; ++d) {
          normal.curvature.block<basis_size, basis_size>(c * basis_size, d * basis_size) +=
              (s.weights(c) * s.weights(d)) * products;
        }
      }
    }
    const Basis b = basis_at(patch, samples[e].centre);
    normal.shear += b * b.transpose();
  }
  for (int c = 0; c < 3; ++c) {
    for (int d = c + 1; d < 3; ++d) {
      normal.curvature.block<basis_size, basis_size>(d * basis_size, c * basis_size) =
          normal.curvature.block<basis_size, basis_size>(c * basis_size, d * basis_size)
              .transpose();
    }
  }
  return normal;
}

// The factor of a normal matrix aᵀa when a has full column rank, nothing otherwise. The
// diagonally pivoted LDLᵀ of aᵀa pivots as column pivoting does on a, its pivots the squares of
// a's: a pivot below rank_threshold of the largest in a is below its square here.
template <typename Matrix>
std::optional<Eigen::LDLT<Matrix>> determined_factor(const Matrix& normal) {
  Eigen::LDLT<Matrix> factor(normal);
  const auto pivots = factor.vectorD();
  const double largest = pivots.cwiseAbs().maxCoeff();
  if (factor.info() != Eigen::Success || !(largest > 0) ||
      pivots.minCoeff() <= rank_threshold * rank_threshold * largest) {
    return std::nullopt;
  }
  return factor;
}

// The upper triangle of a symmetric matrix, row by row, appended to packed.
template <typename Matrix>
void append_upper_triangle(std::vector<double>& packed, const Matrix& symmetric) {
  for (Eigen::Index i = 0; i < symmetric.rows(); ++i) {
    for (Eigen::Index j = i; j < symmetric.cols(); ++j) {
      packed.push_back(symmetric(i, j));
    }
  }
}

// The symmetric matrix whose upper triangle starts at `packed` times each column of rhs.
template <typename Rhs>
Rhs symmetric_product(const double* packed, const Rhs& rhs) {
  Rhs product = Rhs::Zero();
  for (Eigen::Index i = 0; i < rhs.rows(); ++i) {
    product.row(i) += *packed * rhs.row(i);
    ++packed;
    for (Eigen::Index j = i + 1; j < rhs.rows(); ++j, ++packed) {
      product.row(i) += *packed * rhs.row(j);
      product.row(j) += *packed * rhs.row(i);
    }
  }
  return product;
}

// The inverse of the factored matrix: one solve of the identity, all columns together.
template <typename Matrix>
Matrix inverse_of(const Eigen::LDLT<Matrix>& factor) {
  return factor.solve(Matrix::Identity());
}

constexpr std::size_t packed_curvature_size = curvature_unknowns * (curvature_unknowns + 1) / 2;

// Whether both fits of the patch are determined; if so their normal matrices' inverses are kept.
bool determined(NodePatch& patch, const std::vector<ElementSamples>& samples) {
  const NormalMatrices normal = normal_matrices(patch, samples);
  const auto curvature = determined_factor(normal.curvature);
  const auto shear = determined_factor(normal.shear);
  if (!curvature || !shear) {
    return false;
  }
  append_upper_triangle(patch.inverses, inverse_of(*curvature));
  append_upper_triangle(patch.inverses, inverse_of(*shear));
  return true;
}

// The patch of an interior node, from two rings out to as many as it takes to determine both fits.
std::optional<NodePatch> node_patch(const PlateModel& model, const MeshTopology& topology, int node,
                                    const std::vector<ElementSamples>& samples) {
  const PlanePoint origin{model.nodes[node].x, model.nodes[node].y};
  for (int rings = first_rings; rings <= last_rings; ++rings) {
    const std::set<int> elements = patch_elements(model, topology, node, rings);
    NodePatch patch{
        origin, patch_size(origin, elements, samples), {elements.begin(), elements.end()}, {}};
    if (determined(patch, samples)) {
      return patch;
    }
  }
  return std::nullopt;
}

// The fitted polynomials of one patch: curvatures (κx, κy, κxy) and shear forces (Qx, Qy).
struct PatchFit {
  Eigen::Matrix<double, basis_size, 3> curvature;
  Eigen::Matrix<double, basis_size, 2> shear;
};

PatchFit fitted_patch(const NodePatch& patch, const std::vector<ElementSamples>& samples,
                      const std::vector<SampleValues>& values) {
  Eigen::Matrix<double, curvature_unknowns, 1> curvature_rhs =
      Eigen::Matrix<double, curvature_unknowns, 1>::Zero();
  Eigen::Matrix<double, basis_size, 2> shear_rhs = Eigen::Matrix<double, basis_size, 2>::Zero();
  for (const int e : patch.elements) {
    for (int k = 0; k < 5; ++k) {
      const CurvatureSample& s = samples[e].curvature[k];
      const Basis b = basis_at(patch, s.at);
      for (int c = 0; c < 3; ++c) {
        curvature_rhs.segment<basis_size>(c * basis_size) +=
            (s.weights(c) * values[e].curvature[k]) * b;
      }
    }
    const Basis b = basis_at(patch, samples[e].centre);
    shear_rhs.col(0) += values[e].qx * b;
    shear_rhs.col(1) += values[e].qy * b;
  }
  PatchFit fit;
  fit.curvature = symmetric_product(patch.inverses.data(), curvature_rhs).reshaped(basis_size, 3);
  fit.shear = symmetric_product(patch.inverses.data() + packed_curvature_size, shear_rhs);
  return fit;
}

// Moments (the rigidity times the curvatures) and shear forces of a fit at p, added to sum.
void add_fit_value(Resultants& sum, const NodePatch& patch, const PatchFit& fit, PlanePoint p,
                   const Eigen::Matrix3d& rigidity) {
  const Basis b = basis_at(patch, p);
  const Eigen::Vector3d moments = rigidity * (fit.curvature.transpose() * b);
  const Eigen::Vector2d shear = fit.shear.transpose() * b;
  sum.moments.mx += moments(0);
  sum.moments.my += moments(1);
  sum.moments.mxy += moments(2);
  sum.qx += shear(0);
  sum.qy += shear(1);
}

// The patches that serve a node: its own, or else those of the fitted nodes of its elements.
std::vector<int> serving_nodes(const PlateModel& model, const MeshTopology& topology, int node,
                               const std::vector<std::optional<NodePatch>>& patches) {
  if (patches[node]) {
    return {node};
  }
  std::set<int> serving;
  for (const int e : topology.node_elements[node]) {
    for (const int corner : model.elements[e].nodes) {
      if (patches[corner - 1]) {
        serving.insert(corner - 1);
      }
    }
  }
  return {serving.begin(), serving.end()};
}

}  // namespace

struct PatchGeometry {
  Eigen::Matrix3d rigidity;
  Eigen::Matrix3d flexibility;
  std::vector<ElementSamples> samples;            // per element
  std::vector<std::optional<NodePatch>> patches;  // per node, its own fitted patch if any
  std::vector<std::vector<int>> serving;          // per node, the nodes whose patches serve it
};

PatchRecovery::PatchRecovery(const PlateModel& model) : model_(model) {
  auto geometry = std::make_shared<PatchGeometry>();
  geometry->rigidity = bending_rigidity(model);
  geometry->flexibility = geometry->rigidity.inverse();
  for (const PlateElement& element : model.elements) {
    geometry->samples.push_back(element_samples(model, element));
  }
  const MeshTopology topology = mesh_topology(model);
  const std::size_t count = model.nodes.size();
  geometry->patches.resize(count);
  run_in_parallel(count, [&](std::size_t n) {
    if (topology.interior[n] && !topology.held[n]) {
      geometry->patches[n] = node_patch(model, topology, static_cast<int>(n), geometry->samples);
    }
  });
  geometry->serving.resize(count);
  run_in_parallel(count, [&](std::size_t n) {
    geometry->serving[n] = serving_nodes(model, topology, static_cast<int>(n), geometry->patches);
  });
  geometry_ = std::move(geometry);
}

std::vector<Resultants> PatchRecovery::recover(const LoadCaseResults& results) const {
  const PatchGeometry& g = *geometry_;
  std::vector<SampleValues> values;
  values.reserve(g.samples.size());
  for (std::size_t e = 0; e < g.samples.size(); ++e) {
    values.push_back(sample_values(g.samples[e], results.elements[e], g.flexibility));
  }
  std::vector<std::optional<PatchFit>> fits(g.patches.size());
  for (std::size_t n = 0; n < g.patches.size(); ++n) {
    if (g.patches[n]) {
      fits[n] = fitted_patch(*g.patches[n], g.samples, values);
    }
  }
  std::vector<Resultants> nodal = nodal_resultants(model_, results);
  for (std::size_t n = 0; n < nodal.size(); ++n) {
    const std::vector<int>& serving = g.serving[n];
    if (serving.empty()) {
      continue;
    }
    const PlanePoint at{model_.nodes[n].x, model_.nodes[n].y};
    Resultants sum;
    for (const int s : serving) {
      add_fit_value(sum, *g.patches[s], *fits[s], at, g.rigidity);
    }
    const double count = static_cast<double>(serving.size());
    nodal[n] = {{sum.moments.mx / count, sum.moments.my / count, sum.moments.mxy / count},
                sum.qx / count,
                sum.qy / count};
  }
  return nodal;
}

std::vector<Resultants> recovered_nodal_resultants(const PlateModel& model,
                                                   const LoadCaseResults& results) {
  return PatchRecovery(model).recover(results);
}

}  // namespace lajefem
