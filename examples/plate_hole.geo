// 10 m x 6 m plate with a central hole of radius 1 m, all quadrangles, for lajefem-tools import.
// gmsh plate_hole.geo -2 -format msh41 -o plate_hole.msh
SetFactory("Built-in");
lc = 1.6;
Point(1) = {0, 0, 0, lc};   Point(2) = {10, 0, 0, lc};
Point(3) = {10, 6, 0, lc};  Point(4) = {0, 6, 0, lc};
Point(5) = {5, 3, 0, lc};                                  // hole centre
Point(6) = {6, 3, 0, lc/2}; Point(7) = {5, 4, 0, lc/2};
Point(8) = {4, 3, 0, lc/2}; Point(9) = {5, 2, 0, lc/2};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4}; Line(4) = {4, 1};
Circle(5) = {6, 5, 7}; Circle(6) = {7, 5, 8}; Circle(7) = {8, 5, 9}; Circle(8) = {9, 5, 6};
Curve Loop(1) = {1, 2, 3, 4};                              // outer, anticlockwise
Curve Loop(2) = {5, 6, 7, 8};                              // hole
Plane Surface(1) = {1, 2};
Physical Curve("supported") = {1, 2, 3, 4};
Physical Curve("hole") = {5, 6, 7, 8};
Physical Surface("slab") = {1};
Recombine Surface {1};
Mesh.Algorithm = 6;              // Frontal-Delaunay, then recombine
Mesh.RecombinationAlgorithm = 1; // Blossom
Mesh.SubdivisionAlgorithm = 1;   // split into quads: guarantees an all-quad mesh
