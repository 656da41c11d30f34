// 8 m x 6 m floor slab on its outer edges, with an opening of 2 m x 1.5 m and an interior wall
// along x = 3 from y = 0 to y = 4, all quadrangles of about 0.1 m, for lajefem-tools import --large.
// gmsh floor_opening_wall.geo -2 -format msh41 -o floor_opening_wall.msh
SetFactory("Built-in");
lc = 0.2;
Point(1) = {0, 0, 0, lc};     Point(2) = {8, 0, 0, lc};
Point(3) = {8, 6, 0, lc};     Point(4) = {0, 6, 0, lc};
Point(5) = {5.5, 3.5, 0, lc}; Point(6) = {7.5, 3.5, 0, lc};
Point(7) = {7.5, 5, 0, lc};   Point(8) = {5.5, 5, 0, lc};
Point(9) = {3, 0, 0, lc};     Point(10) = {3, 4, 0, lc};
Line(1) = {1, 9}; Line(2) = {9, 2}; Line(3) = {2, 3}; Line(4) = {3, 4}; Line(5) = {4, 1};
Line(6) = {5, 6}; Line(7) = {6, 7}; Line(8) = {7, 8}; Line(9) = {8, 5};
Line(10) = {9, 10};
Curve Loop(1) = {1, 2, 3, 4, 5};
Curve Loop(2) = {6, 7, 8, 9};
Plane Surface(1) = {1, 2};
Curve{10} In Surface{1};
Physical Curve("edges") = {1, 2, 3, 4, 5};
Physical Curve("opening") = {6, 7, 8, 9};
Physical Curve("wall") = {10};
Physical Surface("slab") = {1};
Recombine Surface {1};
Mesh.Algorithm = 6;              // Frontal-Delaunay, then recombine
Mesh.RecombinationAlgorithm = 1; // Blossom
Mesh.SubdivisionAlgorithm = 1;   // split into quads: an all-quad mesh of half the size
