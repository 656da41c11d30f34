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

// One value of the curvature at a point: weights of (κx, κy, κxy) in the measured combination.
struct CurvatureSample {
  PlanePoint at;
  Eigen::Vector3d weights;
  double value = 0;
};

// What an element gives the fits: five curvature samples, the centre and its shear forces.
struct ElementSamples {
  std::array<CurvatureSample, 5> curvature;
  PlanePoint centre;
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
ElementSamples element_samples(const PlateModel& model, const PlateElement& element,
                               const ElementResultants& values,
                               const Eigen::Matrix3d& flexibility) {
  const std::array<PlanePoint, 4> at = gauss_point_positions(model, element);
  std::array<Eigen::Vector3d, 4> kappa;
  for (int p = 0; p < 4; ++p) {
    const PointResultants& v = values.points[p];
    kappa[p] = flexibility * Eigen::Vector3d(v.mx, v.my, v.mxy);
  }
  const Eigen::Vector2d n = unit_direction(at[1], at[2], at[0], at[3]);
  const Eigen::Vector2d m = unit_direction(at[3], at[2], at[0], at[1]);
  const Eigen::Vector3d along_n = tensor_weights(n, n);
  const Eigen::Vector3d along_m = tensor_weights(m, m);
  const Eigen::Vector3d mixed = tensor_weights(n, m);
  auto mean = [&](const Eigen::Vector3d& w, int a, int b) {
    return (w.dot(kappa[a]) + w.dot(kappa[b])) / 2;
  };
  ElementSamples samples;
  samples.centre = midpoint(midpoint(at[0], at[2]), midpoint(at[1], at[3]));
  samples.curvature = {{{midpoint(at[0], at[1]), along_n, mean(along_n, 0, 1)},
                        {midpoint(at[3], at[2]), along_n, mean(along_n, 3, 2)},
                        {midpoint(at[0], at[3]), along_m, mean(along_m, 0, 3)},
                        {midpoint(at[1], at[2]), along_m, mean(along_m, 1, 2)},
                        {samples.centre, mixed, (mean(mixed, 0, 1) + mean(mixed, 2, 3)) / 2}}};
  samples.qx = values.points[0].qx;
  samples.qy = values.points[0].qy;
  return samples;
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

// The fitted polynomials of one patch: curvatures (κx, κy, κxy) and shear forces (Qx, Qy).
struct PatchFit {
  PlanePoint origin;
  double size = 1;
  Eigen::Matrix<double, basis_size, 3> curvature;
  Eigen::Matrix<double, basis_size, 2> shear;
};

Basis basis_at(const PatchFit& fit, PlanePoint p) {
  return quadratic_basis((p.x - fit.origin.x) / fit.size, (p.y - fit.origin.y) / fit.size);
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

// The least-squares solution of a·x = b when a has full column rank, nothing otherwise.
std::optional<Eigen::MatrixXd> determined_solution(const Eigen::MatrixXd& a,
                                                   const Eigen::MatrixXd& b) {
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
  qr.setThreshold(rank_threshold);
  if (qr.rank() < a.cols()) {
    return std::nullopt;
  }
  return Eigen::MatrixXd(qr.solve(b));
}

std::optional<PatchFit> fitted_patch(PlanePoint origin, const std::set<int>& patch,
                                     const std::vector<ElementSamples>& samples) {
  PatchFit fit;
  fit.origin = origin;
  fit.size = patch_size(origin, patch, samples);
  const Eigen::Index count = static_cast<Eigen::Index>(patch.size());
  Eigen::MatrixXd curvature_rows(5 * count, 3 * basis_size);
  Eigen::VectorXd curvature_values(5 * count);
  Eigen::MatrixXd shear_rows(count, basis_size);
  Eigen::MatrixXd shear_values(count, 2);
  Eigen::Index row = 0;
  Eigen::Index centre = 0;
  for (const int e : patch) {
    for (const CurvatureSample& s : samples[e].curvature) {
      const Basis b = basis_at(fit, s.at);
      for (int c = 0; c < 3; ++c) {
        curvature_rows.block(row, c * basis_size, 1, basis_size) = s.weights(c) * b.transpose();
      }
      curvature_values(row++) = s.value;
    }
    shear_rows.row(centre) = basis_at(fit, samples[e].centre).transpose();
    shear_values.row(centre++) << samples[e].qx, samples[e].qy;
  }
  const auto curvature = determined_solution(curvature_rows, curvature_values);
  const auto shear = determined_solution(shear_rows, shear_values);
  if (!curvature || !shear) {
    return std::nullopt;
  }
  fit.curvature = curvature->reshaped(basis_size, 3);
  fit.shear = *shear;
  return fit;
}

// The fit of an interior node's patch, from two rings out to as many as it takes.
std::optional<PatchFit> node_fit(const PlateModel& model, const MeshTopology& topology, int node,
                                 const std::vector<ElementSamples>& samples) {
  const PlanePoint origin{model.nodes[node].x, model.nodes[node].y};
  for (int rings = first_rings; rings <= last_rings; ++rings) {
    if (auto fit = fitted_patch(origin, patch_elements(model, topology, node, rings), samples)) {
      return fit;
    }
  }
  return std::nullopt;
}

// Moments (the rigidity times the curvatures) and shear forces of a fit at p, added to sum.
void add_fit_value(Resultants& sum, const PatchFit& fit, PlanePoint p,
                   const Eigen::Matrix3d& rigidity) {
  const Basis b = basis_at(fit, p);
  const Eigen::Vector3d moments = rigidity * (fit.curvature.transpose() * b);
  const Eigen::Vector2d shear = fit.shear.transpose() * b;
  sum.moments.mx += moments(0);
  sum.moments.my += moments(1);
  sum.moments.mxy += moments(2);
  sum.qx += shear(0);
  sum.qy += shear(1);
}

// The fits that serve a node: its own, or else those of the fitted nodes of its elements.
std::vector<int> serving_nodes(const PlateModel& model, const MeshTopology& topology, int node,
                               const std::vector<std::optional<PatchFit>>& fits) {
  if (fits[node]) {
    return {node};
  }
  std::set<int> serving;
  for (const int e : topology.node_elements[node]) {
    for (const int corner : model.elements[e].nodes) {
      if (fits[corner - 1]) {
        serving.insert(corner - 1);
      }
    }
  }
  return {serving.begin(), serving.end()};
}

}  // namespace

std::vector<Resultants> recovered_nodal_resultants(const PlateModel& model,
                                                   const LoadCaseResults& results) {
  const Eigen::Matrix3d rigidity = bending_rigidity(model);
  const Eigen::Matrix3d flexibility = rigidity.inverse();
  std::vector<ElementSamples> samples;
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    samples.push_back(element_samples(model, model.elements[e], results.elements[e], flexibility));
  }
  const MeshTopology topology = mesh_topology(model);
  std::vector<std::optional<PatchFit>> fits(model.nodes.size());
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if (topology.interior[n] && !topology.held[n]) {
      fits[n] = node_fit(model, topology, static_cast<int>(n), samples);
    }
  }
  std::vector<Resultants> nodal = nodal_resultants(model, results);
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const std::vector<int> serving = serving_nodes(model, topology, static_cast<int>(n), fits);
    if (serving.empty()) {
      continue;
    }
    const PlanePoint at{model.nodes[n].x, model.nodes[n].y};
    Resultants sum;
    for (const int s : serving) {
      add_fit_value(sum, *fits[s], at, rigidity);
    }
    const double count = static_cast<double>(serving.size());
    nodal[n] = {{sum.moments.mx / count, sum.moments.my / count, sum.moments.mxy / count},
                sum.qx / count,
                sum.qy / count};
  }
  return nodal;
}

}  // namespace lajefem
