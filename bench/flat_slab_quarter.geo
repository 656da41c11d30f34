// The quarter of the 18 m x 18 m flat slab of flat_slab_3x3.geo, cut at the middle of the
// middle bay: 9 m x 9 m, an outer bay of 6 m and half a bay of 3 m each way, on the 4 columns
// at (0, 0), (6, 0), (0, 6) and (6, 6). Structured quadrangles: 5 elements across the outer
// bay and NHALF across the half bay, both ways (NHALF = 2 by default: the quarter of the
// 5 + 4 + 5 slab).
//   gmsh flat_slab_quarter.geo -2 -format msh41 [-setnumber NHALF 3] -o quarter.msh
// Physical groups: "columns" (the 4 column points), "cut_x" (the cut line x = 9 m),
// "cut_y" (the cut line y = 9 m) and "slab" (the surface). Symmetry across a cut line holds
// the slope normal to it: θx on cut_x, θy on cut_y.
SetFactory("Built-in");
If (!Exists(NHALF)) NHALF = 2; EndIf
grid[] = {0, 6, 9};   // column lines and the cut line, m, the same in x and y
bay[] = {5, NHALF};   // elements across each bay

// Point (i, j) at (grid[i], grid[j]) has tag 1 + i + 3 j.
For j In {0:2}
  For i In {0:2}
    Point(1 + i + 3 * j) = {grid[i], grid[j], 0};
  EndFor
EndFor
// Line along x from point (i, j) to (i + 1, j): tag 100 + i + 2 j; along y from (i, j) to
// (i, j + 1): tag 200 + i + 3 j. Transfinite counts nodes, one more than elements.
For j In {0:2}
  For i In {0:1}
    Line(100 + i + 2 * j) = {1 + i + 3 * j, 2 + i + 3 * j};
    Transfinite Curve {100 + i + 2 * j} = bay[i] + 1;
  EndFor
EndFor
For j In {0:1}
  For i In {0:2}
    Line(200 + i + 3 * j) = {1 + i + 3 * j, 4 + i + 3 * j};
    Transfinite Curve {200 + i + 3 * j} = bay[j] + 1;
  EndFor
EndFor
// Bay (i, j): anticlockwise loop, transfinite surface recombined into quadrangles.
For j In {0:1}
  For i In {0:1}
    Curve Loop(300 + i + 2 * j) = {100 + i + 2 * j, 201 + i + 3 * j, -(100 + i + 2 * (j + 1)),
                                   -(200 + i + 3 * j)};
    Plane Surface(300 + i + 2 * j) = {300 + i + 2 * j};
    Transfinite Surface {300 + i + 2 * j};
    Recombine Surface {300 + i + 2 * j};
  EndFor
EndFor
Physical Point("columns") = {1, 2, 4, 5};
Physical Curve("cut_x") = {202, 205};
Physical Curve("cut_y") = {104, 105};
Physical Surface("slab") = {300:303};
Mesh.ElementOrder = 1;
