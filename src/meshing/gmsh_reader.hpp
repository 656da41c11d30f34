// gmsh's MSH 4.1 ASCII mesh files: nodes, element blocks and the physical groups that name
// entities. Any other version, or a binary file, is refused with what to do instead.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lajefem::meshing {

struct GmshNode {
  long tag = 0;
  double x = 0;
  double y = 0;
  double z = 0;
};

struct GmshElement {
  long tag = 0;
  int type = 0;  // 1 line, 2 triangle, 3 quadrangle, 15 point, ...
  int entity_dim = 0;
  int entity_tag = 0;
  std::vector<long> nodes;  // node tags
};

using EntityKey = std::pair<int, int>;  // (dimension, tag)

struct GmshMesh {
  std::vector<GmshNode> nodes;  // in file order
  std::vector<GmshElement> elements;
  std::map<EntityKey, std::vector<int>> entity_groups;  // physical tags of each entity
  std::map<EntityKey, std::string> group_names;         // (dimension, physical tag) -> name
  bool has_entities = false;  // an $Entities section, which ties entities to physical groups
};

// Reads the file a line at a time, keeping only the mesh; MeshingError on anything it cannot
// read, a line longer than 32 MiB included.
GmshMesh read_gmsh_mesh(std::istream& in);

// gmsh's name of an element type: 2 -> "3-node triangle".
std::string gmsh_type_name(int type);

}  // namespace lajefem::meshing
