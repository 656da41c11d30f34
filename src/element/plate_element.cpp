#include "element/plate_element.hpp"

#include "element/point_jacobian.hpp"

namespace lajefem {

namespace {

constexpr int centre_point = 5;

// Bending strains (κx, κy, κxy) against the 12 element freedoms, one 3 × 12 slice per Gauss
// point; shear strains (γxz, γyz) at the centre, 2 × 12.
using BendingStrains = Array<double, 3, element_dofs, gauss_points>;
using ShearStrains = Array<double, 2, element_dofs>;
using ElementMatrix = Array<double, element_dofs, element_dofs>;

// ∂Na/∂x and ∂Na/∂y at the centre.
struct CentreDerivatives {
  CornerValues dndx;
  CornerValues dndy;
};

CentreDerivatives form_centre_geometry(ModelStore& store, const CornerValues& x,
                                       const CornerValues& y) {
  const PointJacobian jac = form_point_jacobian(store, x, y, centre_point);
  store.centre_jacobian = jac.determinant;
  CentreDerivatives centre;
  for (int a = 1; a <= corners; ++a) {
    const double dxi = store.shape_dxi(centre_point, a);
    const double deta = store.shape_deta(centre_point, a);
    centre.dndx(a) = (jac.j22 * dxi - jac.j12 * deta) / store.centre_jacobian;
    centre.dndy(a) = (jac.j11 * deta - jac.j21 * dxi) / store.centre_jacobian;
  }
  return centre;
}

// κx = −∂θx/∂x, κy = −∂θy/∂y, κxy = −(∂θx/∂y + ∂θy/∂x); the w columns stay zero.
void form_bending_strains(const ModelStore& store, BendingStrains& bb) {
  bb.fill(0.0);
  for (int p = 1; p <= gauss_points; ++p) {
    for (int a = 1; a <= corners; ++a) {
      const int theta_x = element_freedom(a, freedom_theta_x);
      const int theta_y = element_freedom(a, freedom_theta_y);
      bb(1, theta_x, p) = -store.point_dndx(p, a);
      bb(2, theta_y, p) = -store.point_dndy(p, a);
      bb(3, theta_x, p) = -store.point_dndy(p, a);
      bb(3, theta_y, p) = -store.point_dndx(p, a);
    }
  }
}

// γxz = ∂w/∂x − θx, γyz = ∂w/∂y − θy, at the centre.
void form_shear_strains(const ModelStore& store, const CentreDerivatives& centre,
                        ShearStrains& bs) {
  bs.fill(0.0);
  for (int a = 1; a <= corners; ++a) {
    const int w = element_freedom(a, freedom_w);
    bs(1, w) = centre.dndx(a);
    bs(1, element_freedom(a, freedom_theta_x)) = -store.shape_n(centre_point, a);
    bs(2, w) = centre.dndy(a);
    bs(2, element_freedom(a, freedom_theta_y)) = -store.shape_n(centre_point, a);
  }
}

// Kb = Σp 1.0 · ((Bb(p)ᵀ · D) · Bb(p) · det J(p)) · 1.0, the 2 × 2 Gauss rule.
void integrate_bending_stiffness(const ModelStore& store, const BendingStrains& bb,
                                 ElementMatrix& kb) {
  constexpr double weight = 1.0;
  const auto& d = store.bending_rigidity;
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
        kb(i, j) += weight * (sum * store.point_jacobian(p)) * weight;
      }
    }
  }
}

// Ks = 2.0 · ((Bsᵀ · Ds) · Bs · det J(centre)) · 2.0, the one-point rule.
void integrate_shear_stiffness(const ModelStore& store, const ShearStrains& bs, ElementMatrix& ks) {
  constexpr double weight = 2.0;
  const auto& ds = store.shear_rigidity;
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
      ks(i, j) = weight * (sum * store.centre_jacobian) * weight;
    }
  }
}

// K = Kb + Ks.
void sum_element_stiffness(ModelStore& store, const ElementMatrix& kb, const ElementMatrix& ks) {
  for (int i = 1; i <= element_dofs; ++i) {
    for (int j = 1; j <= element_dofs; ++j) {
      store.element_stiffness(i, j) = kb(i, j) + ks(i, j);
    }
  }
}

// Rows 5(p − 1) + 1..3 = D · Bb(p) (Mx, My, Mxy at Gauss point p); rows 4, 5 = Ds · Bs (Qx, Qy
// of the centre, in the first point's slot). The shear rows of points 2..4 stay zero.
void form_stress_matrix(ModelStore& store, const BendingStrains& bb, const ShearStrains& bs) {
  auto& s = store.element_stress_matrix;
  s.fill(0.0);
  for (int p = 1; p <= gauss_points; ++p) {
    for (int r = 1; r <= 3; ++r) {
      for (int c = 1; c <= element_dofs; ++c) {
        double sum = 0.0;
        for (int m = 1; m <= 3; ++m)
          sum += store.bending_rigidity(r, m) * bb(m, c, p);
        s(5 * (p - 1) + r, c) = sum;
      }
    }
  }
  for (int r = 1; r <= 2; ++r) {
    for (int c = 1; c <= element_dofs; ++c) {
      double sum = 0.0;
      for (int m = 1; m <= 2; ++m)
        sum += store.shear_rigidity(r, m) * bs(m, c);
      s(3 + r, c) = sum;
    }
  }
}

}  // namespace

PointJacobian form_point_jacobian(const ModelStore& store, const CornerValues& x,
                                  const CornerValues& y, int point) {
  PointJacobian jac;
  for (int a = 1; a <= corners; ++a)
    jac.j11 += x(a) * store.shape_dxi(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j21 += x(a) * store.shape_deta(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j12 += y(a) * store.shape_dxi(point, a);
  for (int a = 1; a <= corners; ++a)
    jac.j22 += y(a) * store.shape_deta(point, a);
  jac.determinant = jac.j22 * jac.j11 - jac.j21 * jac.j12;
  return jac;
}

void form_material_matrices(ModelStore& store) {
  const double e = store.elastic_modulus;
  const double nu = store.poisson_ratio;
  const double t = store.thickness;
  const double t3 = (t * t) * t;
  const double d = t3 * (e / (1.0 - nu * nu)) / 12.0;

  store.bending_rigidity.fill(0.0);
  store.bending_rigidity(1, 1) = d;
  store.bending_rigidity(2, 2) = d;
  store.bending_rigidity(1, 2) = d * nu;
  store.bending_rigidity(2, 1) = d * nu;
  store.bending_rigidity(3, 3) = t3 * ((e / 2.0) / (nu + 1.0)) / 12.0;

  // 5/6 is the shear correction factor.
  const double shear = (e * (5.0 / 6.0) * t / 2.0) / (nu + 1.0);
  store.shear_rigidity.fill(0.0);
  store.shear_rigidity(1, 1) = shear;
  store.shear_rigidity(2, 2) = shear;
}

GaussPointGeometry gauss_point_geometry(const ModelStore& store, const CornerValues& x,
                                        const CornerValues& y) {
  GaussPointGeometry geometry;
  for (int p = 1; p <= gauss_points; ++p) {
    const PointJacobian jac = form_point_jacobian(store, x, y, p);
    geometry.jacobian(p) = jac.determinant;
    for (int a = 1; a <= corners; ++a) {
      const double dxi = store.shape_dxi(p, a);
      const double deta = store.shape_deta(p, a);
      geometry.dndx(p, a) = (jac.j22 * dxi - jac.j12 * deta) / geometry.jacobian(p);
      geometry.dndy(p, a) = (jac.j11 * deta - jac.j21 * dxi) / geometry.jacobian(p);
    }
  }
  return geometry;
}

void form_gauss_point_geometry(ModelStore& store, const CornerValues& x, const CornerValues& y) {
  const GaussPointGeometry geometry = gauss_point_geometry(store, x, y);
  store.point_dndx = geometry.dndx;
  store.point_dndy = geometry.dndy;
  store.point_jacobian = geometry.jacobian;
}

void plate_element_matrices(ModelStore& store, const CornerValues& x, const CornerValues& y) {
  BendingStrains bb;
  ShearStrains bs;
  ElementMatrix kb;
  ElementMatrix ks;

  form_gauss_point_geometry(store, x, y);
  form_bending_strains(store, bb);
  integrate_bending_stiffness(store, bb, kb);
  const CentreDerivatives centre = form_centre_geometry(store, x, y);
  form_shear_strains(store, centre, bs);
  integrate_shear_stiffness(store, bs, ks);
  sum_element_stiffness(store, kb, ks);
  form_stress_matrix(store, bb, bs);
}

}  // namespace lajefem
