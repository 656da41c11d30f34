// Moments derived at one point from (Mx, My, Mxy) in the program's signs: principal moments and
// the Wood–Armer design moments of orthogonal x/y reinforcement.
//
// The program's Mxy = −D(1−ν)·∂²w/∂x∂y, and a positive Mx or My stretches the face towards +w.
#pragma once

namespace lajefem {

struct Moments {
  double mx = 0;   // kN·m/m
  double my = 0;   // kN·m/m
  double mxy = 0;  // kN·m/m
};

struct PrincipalMoments {
  double m1 = 0;     // larger principal moment, kN·m/m
  double m2 = 0;     // smaller principal moment, kN·m/m
  double angle = 0;  // degrees from x to the normal of the section carrying M1, anticlockwise
};

// M1,2 = (Mx + My)/2 ± √(((Mx − My)/2)² + Mxy²); angle = ½·atan2(2Mxy, Mx − My).
// Pure twist (0, 0, −5) -> M1 = 5 at −45°, M2 = −5; (3, 3, 0) -> M1 = M2 = 3 at 0°.
PrincipalMoments principal_moments(const Moments& m);

// Design moments of one face: the x and y bar moments, per unit width.
struct FaceMoments {
  double mx = 0;  // kN·m/m
  double my = 0;  // kN·m/m
};

// Wood–Armer moments of the face that positive moments stretch (values ≥ 0):
// (10, 5, 2) -> (12, 7); (10, −8, 6) -> (14.5, 0); (−10, 2, 5) -> (0, 4.5); (−3, −4, 1) -> (0, 0).
FaceMoments wood_armer_stretched_face(const Moments& m);

// Which way +w points, and so which face is the bottom.
enum class WDirection {
  up,    // +w up (gravity loads negative): positive moments stretch the top face
  down,  // +w down (gravity loads positive): positive moments stretch the bottom face
};

// Wood–Armer moments of both faces, the bottom ones ≥ 0 (the face sagging stretches), the top
// ones ≤ 0, never −0. With +w down, (10, −8, 6) -> bottom (14.5, 0), top (0, −11.6); with +w up
// the same moments give bottom (0, 11.6), top (−14.5, 0).
struct DesignMoments {
  FaceMoments bottom;
  FaceMoments top;
};
DesignMoments design_moments(const Moments& m, WDirection direction);

}  // namespace lajefem
