// Flat slab of 3 x 3 bays of 6 m (18 m x 18 m) on 16 point columns at the bay corners, 3
// elements across each bay (9 x 9), with the bays in two checkerboard groups for pattern loads.
//   gmsh xadrez.geo -2 -format msh41 -o xadrez.msh
// Physical groups: "columns" (the 16 column points), "slab" (the surface), "bays_a" (the four
// corner bays and the middle one) and "bays_b" (the four edge bays between them).
SetFactory("Built-in");
grid[] = {0, 6, 12, 18};  // column lines, m, the same in x and y
bay[] = {3, 3, 3};        // elements across each bay

// Point (i, j) at (grid[i], grid[j]) has tag 1 + i + 4 j.
For j In {0:3}
  For i In {0:3}
    Point(1 + i + 4 * j) = {grid[i], grid[j], 0};
  EndFor
EndFor
// Line along x from point (i, j) to (i + 1, j): tag 100 + i + 3 j; along y from (i, j) to
// (i, j + 1): tag 200 + i + 4 j. Transfinite counts nodes, one more than elements.
For j In {0:3}
  For i In {0:2}
    Line(100 + i + 3 * j) = {1 + i + 4 * j, 2 + i + 4 * j};
    Transfinite Curve {100 + i + 3 * j} = bay[i] + 1;
  EndFor
EndFor
For j In {0:2}
  For i In {0:3}
    Line(200 + i + 4 * j) = {1 + i + 4 * j, 5 + i + 4 * j};
    Transfinite Curve {200 + i + 4 * j} = bay[j] + 1;
  EndFor
EndFor
// Bay (i, j): anticlockwise loop, transfinite surface recombined into quadrangles.
For j In {0:2}
  For i In {0:2}
    Curve Loop(300 + i + 3 * j) = {100 + i + 3 * j, 201 + i + 4 * j, -(100 + i + 3 * (j + 1)),
                                   -(200 + i + 4 * j)};
    Plane Surface(300 + i + 3 * j) = {300 + i + 3 * j};
    Transfinite Surface {300 + i + 3 * j};
    Recombine Surface {300 + i + 3 * j};
  EndFor
EndFor
Physical Point("columns") = {1:16};
Physical Surface("slab") = {300:308};
Physical Surface("bays_a") = {300, 302, 304, 306, 308};  // the corner bays and the middle one
Physical Surface("bays_b") = {301, 303, 305, 307};       // the edge bays between them
Mesh.ElementOrder = 1;
