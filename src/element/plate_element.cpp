#include "element/plate_element.hpp"

#include <cmath>

#include "element/point_jacobian.hpp"

namespace lajefem {

namespace {

constexpr int centre_point = 5;

// Bending strains (κx, κy, κxy) against the 12 element freedoms, one 3 × 12 slice per Gauss
// point; shear strains (γxz, γyz) at the centre, 2 × 12.
using BendingStrains = Array<double, 3, element_dofs, gauss_points>;
using ShearStrains = Array<double, 2, element_dofs>;
using ElementMatrix = Array<double, element_dofs, element_dofs>;

// ∂Na/∂x and ∂Na/∂y at the centre, and the Jacobian determinant there.
struct CentreGeometry {
  CornerValues dndx;
  CornerValues dndy;
  double jacobian = 0;
};

CentreGeometry centre_geometry(const SamplingTables& tables, const CornerValues& x,
                               const CornerValues& y) {
  const PointJacobian jac = point_jacobian(tables, x, y, centre_point);
  CentreGeometry centre;
  centre.jacobian = jac.determinant;
  for (int a = 1; a <= corners; ++a) {
    const double dxi = tables.dxi(centre_point, a);
    const double deta = tables.deta(centre_point, a);
    centre.dndx(a) = (jac.j22 * dxi - jac.j12 * deta) / centre.jacobian;
    centre.dndy(a) = (jac.j11 * deta - jac.j21 * dxi) / centre.jacobian;
  }
  return centre;
}

// κx = −∂θx/∂x, κy = −∂θy/∂y, κxy = −(∂θx/∂y + ∂θy/∂x); the w columns stay zero.
void form_bending_strains(const GaussPointGeometry& geometry, BendingStrains& bb) {
  bb.fill(0.0);
  for (int p = 1; p <= gauss_points; ++p) {
    for (int a = 1; a <= corners; ++a) {
      const int theta_x = element_freedom(a, freedom_theta_x);
      const int theta_y = element_freedom(a, freedom_theta_y);
      bb(1, theta_x, p) = -geometry.dndx(p, a);
      bb(2, theta_y, p) = -geometry.dndy(p, a);
      bb(3, theta_x, p) = -geometry.dndy(p, a);
      bb(3, theta_y, p) = -geometry.dndx(p, a);
    }
  }
}

// γxz = ∂w/∂x − θx, γyz = ∂w/∂y − θy, at the centre.
void form_shear_strains(const SamplingTables& tables, const CentreGeometry& centre,
                        ShearStrains& bs) {
  bs.fill(0.0);
  for (int a = 1; a <= corners; ++a) {
    const int w = element_freedom(a, freedom_w);
    bs(1, w) = centre.dndx(a);
    bs(1, element_freedom(a, freedom_theta_x)) = -tables.n(centre_point, a);
    bs(2, w) = centre.dndy(a);
    bs(2, element_freedom(a, freedom_theta_y)) = -tables.n(centre_point, a);
  }
}

// Kb = Σp 1.0 · ((Bb(p)ᵀ · D) · Bb(p) · det J(p)) · 1.0, the 2 × 2 Gauss rule.
void integrate_bending_stiffness(const GaussPointGeometry& geometry,
                                 const MaterialRigidity& material, const BendingStrains& bb,
                                 ElementMatrix& kb) {
  constexpr double weight = 1.0;
  const auto& d = material.bending;
  kb.fill(0.0);
  for (int p = 1; p <= gauss_points; ++p) {
    Array<double, element_dofs, 3> btd;
    for (int i = 1; i <= element_dofs; ++i) {
      for (int k = 1; k <= 3; ++k) {
        double sum = 0.0;
        for (int m = 1; m <= 3; ++m)
          sum += bb(m, i, p) * d(m, k);
        btd(i, k) = sum;
      }
    }
    for (int i = 1; i <= element_dofs; ++i) {
      for (int j = 1; j <= element_dofs; ++j) {
        double sum = 0.0;
        for (int k = 1; k <= 3; ++k)
          sum += btd(i, k) * bb(k, j, p);
        kb(i, j) += weight * (sum * geometry.jacobian(p)) * weight;
      }
    }
  }
}

// Ks = 2.0 · ((Bsᵀ · Ds) · Bs · det J(centre)) · 2.0, the one-point rule.
void integrate_shear_stiffness(const CentreGeometry& centre, const MaterialRigidity& material,
                               const ShearStrains& bs, ElementMatrix& ks) {
  constexpr double weight = 2.0;
  const auto& ds = material.shear;
  Array<double, element_dofs, 2> btd;
  for (int i = 1; i <= element_dofs; ++i) {
    for (int k = 1; k <= 2; ++k) {
      double sum = 0.0;
      for (int m = 1; m <= 2; ++m)
        sum += bs(m, i) * ds(m, k);
      btd(i, k) = sum;
    }
  }
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j <= element_dofs; ++j) {
      double sum = 0.0;
      for (int k = 1; k <= 2; ++k)
        sum += btd(i, k) * bs(k, j);
      ks(i, j) = weight * (sum * centre.jacobian) * weight;
    }
  }
}

// K = Kb + Ks.
void sum_element_stiffness(const ElementMatrix& kb, const ElementMatrix& ks,
                           ElementMatrix& stiffness) {
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j <= element_dofs; ++j) {
      stiffness(i, j) = kb(i, j) + ks(i, j);
    }
  }
}

// Rows 5(p − 1) + 1..3 = D · Bb(p) (Mx, My, Mxy at Gauss point p); rows 4, 5 = Ds · Bs (Qx, Qy
// of the centre, in the first point's slot). The shear rows of points 2..4 stay zero.
void form_stress_matrix(const MaterialRigidity& material, const BendingStrains& bb,
                        const ShearStrains& bs, Array<double, stress_rows, element_dofs>& s) {
  s.fill(0.0);
  for (int p = 1; p <= gauss_points; ++p) {
    for (int r = 1; r <= 3; ++r) {
      for (int c = 1; c <= element_dofs; ++c) {
        double sum = 0.0;
        for (int m = 1; m <= 3; ++m)
          sum += material.bending(r, m) * bb(m, c, p);
        s(5 * (p - 1) + r, c) = sum;
      }
    }
  }
  for (int r = 1; r <= 2; ++r) {
    for (int c = 1; c <= element_dofs; ++c) {
      double sum = 0.0;
      for (int m = 1; m <= 2; ++m)
        sum += material.shear(r, m) * bs(m, c);
      s(3 + r, c) = sum;
    }
  }
}

MaterialRigidity material_of(const ModelStore& store) {
  return {store.bending_rigidity, store.shear_rigidity};
}

}  // namespace

PointJacobian point_jacobian(const SamplingTables& tables, const CornerValues& x,
                             const CornerValues& y, int point) {
  PointJacobian jac;
  for (int a = 1; a <= corners; ++a)
    jac.j11 += x(a) * tables.dxi(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j21 += x(a) * tables.deta(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j12 += y(a) * tables.dxi(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j22 += y(a) * tables.deta(point, a);
  jac.determinant = jac.j22 * jac.j11 - jac.j21 * jac.j12;
  return jac;
}

bool has_valid_geometry(const SamplingTables& tables, const CornerValues& x,
                        const CornerValues& y) {
  for (int point = 1; point <= sampling_points; ++point) {
    const double determinant = point_jacobian(tables, x, y, point).determinant;
    if (!(std::isfinite(determinant) && determinant > 0.0)) {
      return false;
    }
  }
  return true;
}

PointJacobian form_point_jacobian(const ModelStore& store, const CornerValues& x,
                                  const CornerValues& y, int point) {
  return point_jacobian(sampling_tables_of(store), x, y, point);
}

MaterialRigidity material_rigidity(double elastic_modulus, double poisson_ratio, double thickness) {
  const double e = elastic_modulus;
  const double nu = poisson_ratio;
  const double t = thickness;
  const double t3 = (t * t) * t;
  const double d = t3 * (e / (1.0 - nu * nu)) / 12.0;

  MaterialRigidity material;
  material.bending.fill(0.0);
  material.bending(1, 1) = d;
  material.bending(2, 2) = d;
  material.bending(1, 2) = d * nu;
  material.bending(2, 1) = d * nu;
  material.bending(3, 3) = t3 * ((e / 2.0) / (nu + 1.0)) / 12.0;

  // 5/6 is the shear correction factor.
  const double shear = (e * (5.0 / 6.0) * t / 2.0) / (nu + 1.0);
  material.shear.fill(0.0);
  material.shear(1, 1) = shear;
  material.shear(2, 2) = shear;
  return material;
}

GaussPointGeometry gauss_point_geometry(const SamplingTables& tables, const CornerValues& x,
                                        const CornerValues& y) {
  GaussPointGeometry geometry;
  for (int p = 1; p <= gauss_points; ++p) {
    const PointJacobian jac = point_jacobian(tables, x, y, p);
    geometry.jacobian(p) = jac.determinant;
    for (int a = 1; a <= corners; ++a) {
      const double dxi = tables.dxi(p, a);
      const double deta = tables.deta(p, a);
      geometry.dndx(p, a) = (jac.j22 * dxi - jac.j12 * deta) / geometry.jacobian(p);
      geometry.dndy(p, a) = (jac.j11 * deta - jac.j21 * dxi) / geometry.jacobian(p);
    }
  }
  return geometry;
}

ElementMatrices plate_element_matrices(const SamplingTables& tables,
                                       const MaterialRigidity& material, const CornerValues& x,
                                       const CornerValues& y) {
  BendingStrains bb;
  ShearStrains bs;
  ElementMatrix kb;
  ElementMatrix ks;
  ElementMatrices matrices;

  matrices.geometry = gauss_point_geometry(tables, x, y);
  form_bending_strains(matrices.geometry, bb);
  integrate_bending_stiffness(matrices.geometry, material, bb, kb);
  const CentreGeometry centre = centre_geometry(tables, x, y);
  matrices.centre_jacobian = centre.jacobian;
  form_shear_strains(tables, centre, bs);
  integrate_shear_stiffness(centre, material, bs, ks);
  sum_element_stiffness(kb, ks, matrices.stiffness);
  form_stress_matrix(material, bb, bs, matrices.stress_matrix);
  return matrices;
}

void form_material_matrices(ModelStore& store) {
  const MaterialRigidity material =
      material_rigidity(store.elastic_modulus, store.poisson_ratio, store.thickness);
  store.bending_rigidity = material.bending;
  store.shear_rigidity = material.shear;
}

GaussPointGeometry gauss_point_geometry(const ModelStore& store, const CornerValues& x,
                                        const CornerValues& y) {
  return gauss_point_geometry(sampling_tables_of(store), x, y);
}

void plate_element_matrices(ModelStore& store, const CornerValues& x, const CornerValues& y) {
  const ElementMatrices matrices =
      plate_element_matrices(sampling_tables_of(store), material_of(store), x, y);
  store.point_dndx = matrices.geometry.dndx;
  store.point_dndy = matrices.geometry.dndy;
  store.point_jacobian = matrices.geometry.jacobian;
  store.centre_jacobian = matrices.centre_jacobian;
  store.element_stiffness = matrices.stiffness;
  store.element_stress_matrix = matrices.stress_matrix;
}

}  // namespace lajefem
