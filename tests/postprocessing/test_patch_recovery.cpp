#include <gtest/gtest.h>

#include <algorithm>
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

// One recovery prepared for the model serves every result set: each set, taken in any order,
// gets its own exact field, nothing of an earlier set carried over.
TEST(PatchRecovery, OnePreparedRecoveryServesEachSetOfTheModel) {
  const PlateModel model =
      slab_on_lines({0, 0.5f, 1.25f, 2, 3, 3.5f, 4.5f}, {0, 0.75f, 1.25f, 2.5f, 3, 4});
  const PatchRecovery recovery(model);
  std::vector<std::vector<Resultants>> first;
  for (const FieldCase& c : field_cases) {
    first.push_back(recovery.recover(rectangle_element_values(model, c.kappa)));
    expect_field_at_nodes(model, first.back(), c.kappa, 1e-5, c.what);
  }
  for (std::size_t k = std::size(field_cases); k-- > 0;) {
    const std::vector<Resultants> again =
        recovery.recover(rectangle_element_values(model, field_cases[k].kappa));
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
      EXPECT_EQ(again[n].moments.mx, first[k][n].moments.mx) << field_cases[k].what;
      EXPECT_EQ(again[n].moments.my, first[k][n].moments.my) << field_cases[k].what;
      EXPECT_EQ(again[n].qx, first[k][n].qx) << field_cases[k].what;
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

// A generated slab of E 33 GPa, ν 0.2, under 10 kN/m² down, analysed.
struct AnalysedSlab {
  PlateModel model;
  LoadCaseResults results;
};

AnalysedSlab analysed_slab(double a, double b, int nx, int ny,
                           const std::array<meshing::EdgeKind, 4>& edges, float thickness) {
  meshing::PlateRequest request;
  request.length_x = a;
  request.length_y = b;
  request.least_nx = nx;
  request.least_ny = ny;
  request.edges = edges;
  AnalysedSlab slab{meshing::generate_plate(request).model, {}};
  slab.model.elastic_modulus_gpa = 33;
  slab.model.poisson_ratio = 0.2f;
  slab.model.thickness = thickness;
  PlateLoad uniform;
  uniform.type = 2;
  uniform.values[0] = -10;
  slab.model.load_cases.push_back({{uniform}});
  slab.results = std::get<AnalysisResults>(analyse_plate_model(slab.model)).cases[0];
  return slab;
}

// The largest Mx (along_y false) or My of the nodes on the line x = line (or y = line).
double largest_moment_on_line(const PlateModel& model, const std::vector<Resultants>& nodal,
                              bool along_y, float line) {
  double largest = -1e300;
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if ((along_y ? model.nodes[n].y : model.nodes[n].x) == line) {
      largest = std::max(largest, along_y ? nodal[n].moments.my : nodal[n].moments.mx);
    }
  }
  return largest;
}

// Support and span moments against thin-plate values (+w up: hogging positive), at the finest
// meshes the program's limits allow. The slab of 6 m × 4.5 m, 0.18 m, clamped on y = 0 and x = 0,
// hard simple supports on the other two edges: the largest edge moments 19.29 kN·m/m (My along
// y = 0) and 15.88 kN·m/m (Mx along x = 0). The thin square of 6 m: clamped, 0.0513·q·a² at
// mid-edge and 0.0231·q·a² at the centre for ν = 0.3, which is 0.0231 · 1.2 / 1.3 for ν = 0.2
// (w does not depend on ν); simply supported, 0.0479 · 1.2 / 1.3 · q·a² at the centre. The
// extrapolated values stay a quarter or more below at clamped edges.
TEST(PatchRecovery, SupportAndSpanMomentsAgainstThinPlateValues) {
  using meshing::EdgeKind;
  constexpr EdgeKind c = EdgeKind::clamped;
  constexpr EdgeKind h = EdgeKind::hard;
  const AnalysedSlab two_way = analysed_slab(6, 4.5, 16, 12, {c, h, h, c}, 0.18f);
  const AnalysedSlab clamped = analysed_slab(6, 6, 14, 14, {c, c, c, c}, 0.06f);
  const AnalysedSlab simple = analysed_slab(6, 6, 14, 14, {h, h, h, h}, 0.06f);
  struct MomentCase {
    const char* what;
    const AnalysedSlab& slab;
    bool along_y;  // My on a line y = line, else Mx on x = line
    float line;
    float at;  // where on the line; negative: the line's largest value
    double thin_plate;
    double tolerance;        // relative, recovered
    double extrapolated_at;  // the extrapolated value stays below this fraction; 0: not checked
  };
  const double qa2 = 10 * 36;
  const MomentCase cases[] = {
      {"two-way slab, largest My on y = 0", two_way, true, 0, -1, 19.29, 0.03, 0.8},
      {"two-way slab, largest Mx on x = 0", two_way, false, 0, -1, 15.88, 0.03, 0.8},
      {"clamped square, mid-edge", clamped, true, 0, 3, 0.0513 * qa2, 0.02, 0.8},
      {"clamped square, centre", clamped, true, 3, 3, -0.0231 * 1.2 / 1.3 * qa2, 0.02, 0},
      {"simply supported square, centre", simple, false, 3, 3, -0.0479 * 1.2 / 1.3 * qa2, 0.01, 0},
  };
  for (const MomentCase& m : cases) {
    const PlateModel& model = m.slab.model;
    const std::vector<Resultants> recovered = recovered_nodal_resultants(model, m.slab.results);
    const std::vector<Resultants> extrapolated = nodal_resultants(model, m.slab.results);
    auto value = [&](const std::vector<Resultants>& nodal) {
      if (m.at < 0) {
        return largest_moment_on_line(model, nodal, m.along_y, m.line);
      }
      const float x = m.along_y ? m.at : m.line;
      const float y = m.along_y ? m.line : m.at;
      std::size_t n = 0;
      while (model.nodes[n].x != x || model.nodes[n].y != y) {
        ++n;
      }
      return m.along_y ? nodal[n].moments.my : nodal[n].moments.mx;
    };
    EXPECT_NEAR(value(recovered) / m.thin_plate, 1, m.tolerance) << m.what;
    if (m.extrapolated_at > 0) {
      EXPECT_LT(value(extrapolated) / m.thin_plate, m.extrapolated_at) << m.what;
    }
  }
}

}  // namespace
}  // namespace lajefem
