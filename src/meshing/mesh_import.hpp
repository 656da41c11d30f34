// A plate model's geometry from a gmsh mesh: the 4-node quadrangles of its surfaces, corners put
// anticlockwise, nodes that no quadrangle uses dropped, supports from named physical groups.
#pragma once

#include <string>
#include <vector>

#include "meshing/area_loads.hpp"
#include "meshing/gmsh_reader.hpp"
#include "model/plate_model.hpp"

namespace lajefem::meshing {

struct ImportedMesh {
  PlateModel model;                // nodes (in the order the quadrangles use them) and elements
  std::vector<long> node_tags;     // gmsh tag of each model node
  std::vector<long> element_tags;  // gmsh tag of each model element
  int reversed_elements = 0;       // quadrangles that were clockwise
  int dropped_nodes = 0;           // nodes that no quadrangle uses
};

// MeshingError for triangles and other surface elements, volume elements, a mesh that does not
// lie in a plane z = constant, a quadrangle that is not convex, or no quadrangle at all.
ImportedMesh import_quadrangles(const GmshMesh& mesh);

// The springs of a supported node: GN/m against w, θx, θy.
struct SupportSprings {
  float w = 0;
  float theta_x = 0;
  float theta_y = 0;
};

struct GroupSupport {
  std::string group;  // physical group name
  SupportSprings springs;
};

// A support that holds one slope of each segment of a group's curves: along the segment (with w,
// the hard simple support) or across it (the symmetry line, w free). The data file's springs act
// on θx = ∂w/∂x and θy = ∂w/∂y, so a segment must run along x or along y.
struct CurveSupport {
  enum class Slope { along, across };
  std::string group;  // physical group name, of curves
  Slope slope = Slope::along;
  float spring = 0;  // GN/m on w (along) and GN·m/rad on the slope held
};

// Adds one support record per node of the named groups, in node order; a node in several groups
// (or on segments of both directions) takes the stiffest spring of each freedom. MeshingError for
// a group name the mesh does not hold (listing those it holds), a group that holds no node (a
// file without $Entities, whose elements no group can claim, among them), a group node that no
// quadrangle uses, and for a curve support, a group without curves or a segment along neither x
// nor y (naming the group and the segment's ends).
void add_group_supports(ImportedMesh& imported, const GmshMesh& mesh,
                        const std::vector<GroupSupport>& supports,
                        const std::vector<CurveSupport>& curve_supports = {});

// The nodes of the named groups' physical points that the supports hold against w (1-based model
// numbers), in node order.
std::vector<int> point_support_nodes(const ImportedMesh& imported, const GmshMesh& mesh,
                                     const std::vector<std::string>& groups);

// The consistent nodal loads of q (kN/m²) over the quadrangles of a physical surface, and of
// p (kN/m) along the segments of a physical curve (area_loads). MeshingError for a group the
// mesh does not hold, of another dimension, or without elements.
NodalForces surface_patch_forces(const ImportedMesh& imported, const GmshMesh& mesh,
                                 const std::string& group, double q);
NodalForces curve_line_forces(const ImportedMesh& imported, const GmshMesh& mesh,
                              const std::string& group, double p);

}  // namespace lajefem::meshing
