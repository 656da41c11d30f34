// A slab of 2 x 2 bays of 6 m on 9 columns, first + second elements per bay direction (gmsh
// -setnumber first 5 -setnumber second 4), the edge x = 0 of the first bay a curve "edge".
DefineConstant[first = 5, second = 5];
xs[] = {0, 6, 12};
n[] = {first, second};
For i In {0:2}
  For j In {0:2}
    p = newp; Point(p) = {xs[i], xs[j], 0}; pt[i*3+j] = p;
  EndFor
EndFor
For i In {0:1}
  For j In {0:2}
    l = newl; Line(l) = {pt[i*3+j], pt[(i+1)*3+j]}; Transfinite Curve{l} = n[i] + 1; hx[i*3+j] = l;
  EndFor
EndFor
For i In {0:2}
  For j In {0:1}
    l = newl; Line(l) = {pt[i*3+j], pt[i*3+j+1]}; Transfinite Curve{l} = n[j] + 1; vy[i*2+j] = l;
  EndFor
EndFor
For i In {0:1}
  For j In {0:1}
    c = newll; Curve Loop(c) = {hx[i*3+j], vy[(i+1)*2+j], -hx[i*3+j+1], -vy[i*2+j]};
    s = news; Plane Surface(s) = {c}; Transfinite Surface{s}; Recombine Surface{s}; ss[i*2+j] = s;
  EndFor
EndFor
Physical Point("columns") = {pt[]};
Physical Curve("edge") = {vy[0]};
Physical Surface("slab") = {ss[]};
Mesh.MshFileVersion = 4.1;
