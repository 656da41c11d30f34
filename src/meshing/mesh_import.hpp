// A plate model's geometry from a gmsh mesh: the 4-node quadrangles of its surfaces, corners put
// anticlockwise, nodes that no quadrangle uses dropped, supports from named physical groups.
#pragma once

#include <string>
#include <vector>

#include "meshing/gmsh_reader.hpp"
#include "model/plate_model.hpp"

namespace lajefem::meshing {

struct ImportedMesh {
  PlateModel model;             // nodes (in the order the quadrangles use them) and elements
  std::vector<long> node_tags;  // gmsh tag of each model node
  int reversed_elements = 0;    // quadrangles that were clockwise
  int dropped_nodes = 0;        // nodes that no quadrangle uses
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

// Adds one support record per node of the named groups, in node order; a node in several groups
// takes the stiffest spring of each freedom. MeshingError for a group name the mesh does not
// hold (listing those it holds), a group that holds no node (a file without $Entities, whose
// elements no group can claim, among them) or a group node that no quadrangle uses.
void add_group_supports(ImportedMesh& imported, const GmshMesh& mesh,
                        const std::vector<GroupSupport>& supports);

}  // namespace lajefem::meshing
