#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "element/plate_element.hpp"
#include "meshing/plate_generator.hpp"
#include "postprocessing/patch_recovery.hpp"
#include "results/element_results.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

// A curvature field (κx, κy, κxy) over the plan.
using CurvatureField = std::function<std::array<double, 3>(double x, double y)>;

MaterialRigidity slab_rigidity(const PlateModel& model) {
  return material_rigidity(model.elastic_modulus_gpa * 1e6, model.poisson_ratio, model.thickness);
}

Moments moments_of(const MaterialRigidity& d, const std::array<double, 3>& kappa) {
  double m[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      m[i] += d.bending(i + 1, j + 1) * kappa[j];
    }
  }
  return {m[0], m[1], m[2]};
}

// What the element gives on a rectangle aligned with the axes: at Gauss point p, κx of the
// element's centre line x = xc at the point's y, κy of the line y = yc at the point's x, κxy of the
// centre; the moments are the rigidity times these. Qx = 1 + x − 2y at the centre, Qy = 3.
LoadCaseResults rectangle_element_values(const PlateModel& model, const CurvatureField& kappa) {
  const MaterialRigidity d = slab_rigidity(model);
  LoadCaseResults results;
  for (const PlateElement& element : model.elements) {
    const auto points = gauss_point_positions(model, element);
    const double xc = (points[0].x + points[2].x) / 2;
    const double yc = (points[0].y + points[2].y) / 2;
    ElementResultants values;
    for (int p = 0; p < 4; ++p) {
      const std::array<double, 3> k = {kappa(xc, points[p].y)[0], kappa(points[p].x, yc)[1],
                                       kappa(xc, yc)[2]};
      const Moments m = moments_of(d, k);
      values.points[p] = {static_cast<float>(m.mx), static_cast<float>(m.my),
                          static_cast<float>(m.mxy), 0.0f, 0.0f};
    }
    values.points[0].qx = static_cast<float>(1 + xc - 2 * yc);
    values.points[0].qy = 3.0f;
    results.elements.push_back(values);
  }
  return results;
}

PlateModel slab_on_lines(const std::vector<float>& xs, const std::vector<float>& ys) {
  PlateModel model = test::grid_model(xs, ys);
  test::give_slab_material_and_load(model);
  return model;
}

void expect_field_at_nodes(const PlateModel& model, const std::vector<Resultants>& nodal,
                           const CurvatureField& kappa, double tolerance, const char* what) {
  const MaterialRigidity d = slab_rigidity(model);
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const Moments exact = moments_of(d, kappa(model.nodes[n].x, model.nodes[n].y));
    const double scale = tolerance * (1 + std::fabs(exact.mx) + std::fabs(exact.my));
    EXPECT_NEAR(nodal[n].moments.mx, exact.mx, scale) << what << ", node " << n + 1;
    EXPECT_NEAR(nodal[n].moments.my, exact.my, scale) << what << ", node " << n + 1;
    EXPECT_NEAR(nodal[n].moments.mxy, exact.mxy, scale) << what << ", node " << n + 1;
  }
}

struct FieldCase {
  const char* what;
  CurvatureField kappa;
};

const FieldCase field_cases[] = {
    {"constant",
     [](double, double) {
       return std::array<double, 3>{2e-4, -1e-4, 5e-5};
     }},
    {"linear",
     [](double x, double y) {
       return std::array<double, 3>{1e-4 * (1 + x - 2 * y), 1e-4 * (3 * x + y), 1e-4 * (x - y)};
     }},
    {"quadratic",
     [](double x, double y) {
       return std::array<double, 3>{1e-4 * (1 + x * x - x * y), 1e-4 * (y * y + 2 * x * y - x),
                                    1e-4 * (x * x - 3 * y * y + 1)};
     }},
};

// Fields the quadratic polynomials hold are recovered exactly at every node, corners and edges
// included, on uneven rectangles; the centre shear forces likewise.
TEST(PatchRecovery, ReproducesQuadraticFieldsOnUnevenRectangles) {
  const PlateModel model =
      slab_on_lines({0, 0.5f, 1.25f, 2, 3, 3.5f, 4.5f}, {0, 0.75f, 1.25f, 2.5f, 3, 4});
  for (const FieldCase& c : field_cases) {
    const std::vector<Resultants> nodal =
        recovered_nodal_resultants(model, rectangle_element_values(model, c.kappa));
    expect_field_at_nodes(model, nodal, c.kappa, 1e-5, c.what);
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      EXPECT_NEAR(nodal[n].qx, 1 + model.nodes[n].x - 2 * model.nodes[n].y, 1e-5) << c.what;
      EXPECT_NEAR(nodal[n].qy, 3, 1e-5) << c.what;
    }
  }
}

// A line of nodes held in w at y = 2 across the plate: My has a kink there (linear on each side,
// apart). Patches stop at the held nodes, so both sides are fitted apart and meet at the peak.
TEST(PatchRecovery, FitsEachSideOfAnInteriorSupportApart) {
  PlateModel model = slab_on_lines(test::even_lines(6, 3), test::even_lines(8, 4));
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if (model.nodes[n].y == 2.0f) {
      model.supports.push_back({static_cast<int>(n + 1), 1e6f, 0, 0});
    }
  }
  const CurvatureField kink = [](double x, double y) {
    return std::array<double, 3>{0, 1e-4 * (3 - 1.5 * std::fabs(y - 2) + 0.1 * x), 0};
  };
  const std::vector<Resultants> nodal =
      recovered_nodal_resultants(model, rectangle_element_values(model, kink));
  expect_field_at_nodes(model, nodal, kink, 1e-5, "kink over the support");
}

// The element itself on parallelograms: rotations quadratic in x and y at the corners give
// curvatures linear in x and y, which the element's bilinear rotations hold exactly where the
// recovery takes them. The nodal moments are then exact on a skewed, uneven mesh.
TEST(PatchRecovery, ExactForTheElementsOwnLinearCurvaturesOnSkewedMeshes) {
  struct SkewCase {
    const char* what;
    double shear_x;  // x += shear_x · y
    double shear_y;  // y += shear_y · x
  };
  const SkewCase skews[] = {{"rectangles", 0, 0},
                            {"sheared along x", 0.4, 0},
                            {"sheared both ways", 0.3, -0.25},
                            {"rotated", 0.5, -0.5}};
  // θx = a x² + b xy + c y², θy = d x² + e xy + f y².
  const double a = 2e-4, b = -1e-4, c = 3e-4, d = 1e-4, e = 2e-4, f = -3e-4;
  const CurvatureField kappa = [=](double x, double y) {
    return std::array<double, 3>{-(2 * a * x + b * y), -(e * x + 2 * f * y),
                                 -(b * x + 2 * c * y + 2 * d * x + e * y)};
  };
  for (const SkewCase& skew : skews) {
    PlateModel model =
        slab_on_lines({0, 0.6f, 1.5f, 2, 3, 3.4f, 4}, {0, 0.5f, 1.5f, 2, 2.8f, 3.5f});
    for (PlateNode& node : model.nodes) {
      const double x = node.x;
      const double y = node.y;
      node.x = static_cast<float>(x + skew.shear_x * y);
      node.y = static_cast<float>(y + skew.shear_y * x);
    }
    const MaterialRigidity material = slab_rigidity(model);
    LoadCaseResults results;
    for (const PlateElement& element : model.elements) {
      CornerValues x;
      CornerValues y;
      ElementFreedomValues u;
      for (int k = 1; k <= 4; ++k) {
        const PlateNode& node = model.nodes[element.nodes[k - 1] - 1];
        x(k) = node.x;
        y(k) = node.y;
        u(3 * k - 2) = 0;
        u(3 * k - 1) = a * x(k) * x(k) + b * x(k) * y(k) + c * y(k) * y(k);
        u(3 * k) = d * x(k) * x(k) + e * x(k) * y(k) + f * y(k) * y(k);
      }
      const ElementMatrices matrices = plate_element_matrices(sampling_tables(), material, x, y);
      const StressResultants s = stress_resultants(matrices.stress_matrix, u);
      ElementResultants values;
      for (int p = 0; p < 4; ++p) {
        values.points[p] = {s(5 * p + 1), s(5 * p + 2), s(5 * p + 3), s(5 * p + 4), s(5 * p + 5)};
      }
      results.elements.push_back(values);
    }
    expect_field_at_nodes(model, recovered_nodal_resultants(model, results), kappa, 2e-4,
                          skew.what);
  }
}

// The slab of 6 m × 4.5 m, 0.18 m, clamped on y = 0 and x = 0, hard simple supports on the other
// two edges, 10 kN/m², 16 × 12 elements. Thin-plate edge moments: 19.29 kN·m/m (My at mid-edge
// of y = 0) and 15.88 kN·m/m (Mx at mid-edge of x = 0). The extrapolated values stay a quarter
// below.
TEST(PatchRecovery, ClampedEdgeMomentsOfATwoWaySlabWithinFivePercent) {
  meshing::PlateRequest request;
  request.length_x = 6;
  request.length_y = 4.5;
  request.least_nx = 16;
  request.least_ny = 12;
  using meshing::EdgeKind;
  request.edges = {EdgeKind::clamped, EdgeKind::hard, EdgeKind::hard, EdgeKind::clamped};
  PlateModel model = meshing::generate_plate(request).model;
  model.elastic_modulus_gpa = 33;
  model.poisson_ratio = 0.2f;
  model.thickness = 0.18f;
  PlateLoad uniform;
  uniform.type = 2;
  uniform.values[0] = -10;
  model.load_cases.push_back({{uniform}});
  const AnalysisOutcome outcome = analyse_plate_model(model);
  const LoadCaseResults& results = std::get<AnalysisResults>(outcome).cases[0];
  const std::vector<Resultants> recovered = recovered_nodal_resultants(model, results);
  const std::vector<Resultants> extrapolated = nodal_resultants(model, results);
  struct EdgeCase {
    const char* what;
    float x;
    float y;
    bool along_y;  // My, else Mx
    double thin_plate;
  };
  const EdgeCase edges[] = {{"My at (3, 0)", 3, 0, true, 19.29},
                            {"Mx at (0, 2.25)", 0, 2.25f, false, 15.88}};
  for (const EdgeCase& edge : edges) {
    std::size_t n = 0;
    while (model.nodes[n].x != edge.x || model.nodes[n].y != edge.y) {
      ++n;
    }
    auto value = [&](const Resultants& r) { return edge.along_y ? r.moments.my : r.moments.mx; };
    EXPECT_NEAR(value(recovered[n]) / edge.thin_plate, 1, 0.05) << edge.what;
    EXPECT_LT(value(extrapolated[n]) / edge.thin_plate, 0.8) << edge.what;
  }
}

}  // namespace
}  // namespace lajefem
