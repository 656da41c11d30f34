#include "postprocessing/design_moments.hpp"

#include <cmath>
#include <numbers>

namespace lajefem {

namespace {

Moments negated(const Moments& m) {
  return {-m.mx, -m.my, -m.mxy};
}

// The special case of one direction that needs no steel: that one is zero and the other takes
// the whole twist, Mxy²/|M of the unreinforced direction|. A negative result needs no steel at all.
FaceMoments one_direction_only(double kept, double dropped, double mxy) {
  const double corrected = kept + mxy * mxy / std::fabs(dropped);
  return {corrected < 0 ? 0.0 : corrected, 0.0};
}

}  // namespace

PrincipalMoments principal_moments(const Moments& m) {
  const double mean = (m.mx + m.my) / 2;
  const double half_difference = (m.mx - m.my) / 2;
  const double radius = std::hypot(half_difference, m.mxy);
  // A twist of −0 counts as +0, so Mx < My without twist gives +90°, never −90°.
  const double angle = std::atan2(2 * m.mxy + 0.0, m.mx - m.my) / 2 * (180 / std::numbers::pi);
  return {mean + radius + 0.0, mean - radius + 0.0, angle + 0.0};
}

FaceMoments wood_armer_stretched_face(const Moments& m) {
  const double twist = std::fabs(m.mxy);
  const double mx = m.mx + twist;
  const double my = m.my + twist;
  if (mx < 0 && my < 0) {
    return {0.0, 0.0};
  }
  if (mx < 0) {
    const FaceMoments swapped = one_direction_only(m.my, m.mx, m.mxy);
    return {swapped.my, swapped.mx};
  }
  if (my < 0) {
    return one_direction_only(m.mx, m.my, m.mxy);
  }
  return {mx, my};
}

DesignMoments design_moments(const Moments& m, WDirection direction) {
  // Sagging moments: positive where the bottom face is stretched.
  const Moments sagging = direction == WDirection::down ? m : negated(m);
  const FaceMoments bottom = wood_armer_stretched_face(sagging);
  const FaceMoments hogging = wood_armer_stretched_face(negated(sagging));
  return {{bottom.mx + 0.0, bottom.my + 0.0}, {-hogging.mx + 0.0, -hogging.my + 0.0}};
}

}  // namespace lajefem
