// Any byte sequence as a gmsh mesh file, read and imported as the import command does, with every
// physical group the file names taken as a support.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "meshing/gmsh_reader.hpp"
#include "meshing/mesh_import.hpp"
#include "meshing/meshing_error.hpp"

namespace {

using lajefem::meshing::ImportedMesh;

// Every corner names a model node, the four of an element are distinct, every node is used, each
// node keeps its gmsh tag and every support holds a model node.
bool well_formed(const ImportedMesh& imported) {
  const std::size_t nodes = imported.model.nodes.size();
  std::vector<bool> used(nodes, false);
  for (const lajefem::PlateElement& element : imported.model.elements) {
    for (std::size_t a = 0; a < 4; ++a) {
      const int node = element.nodes[a];
      if (node < 1 || static_cast<std::size_t>(node) > nodes) {
        return false;
      }
      for (std::size_t b = 0; b < a; ++b) {
        if (element.nodes[b] == node) {
          return false;
        }
      }
      used[static_cast<std::size_t>(node) - 1] = true;
    }
  }
  for (const lajefem::PlateSupport& support : imported.model.supports) {
    if (support.node < 1 || static_cast<std::size_t>(support.node) > nodes) {
      return false;
    }
  }
  const bool all_used = std::find(used.begin(), used.end(), false) == used.end();
  return all_used && imported.node_tags.size() == nodes && imported.reversed_elements >= 0 &&
         static_cast<std::size_t>(imported.reversed_elements) <= imported.model.elements.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
  try {
    const lajefem::meshing::GmshMesh mesh = lajefem::meshing::read_gmsh_mesh(in);
    ImportedMesh imported = lajefem::meshing::import_quadrangles(mesh);
    std::vector<lajefem::meshing::GroupSupport> supports;
    for (const auto& [key, name] : mesh.group_names) {
      supports.push_back({name, {1.0e6f, 0, 0}});
    }
    lajefem::meshing::add_group_supports(imported, mesh, supports);
    if (!well_formed(imported)) {
      __builtin_trap();
    }
  } catch (const lajefem::meshing::MeshingError&) {
    // A file the import refuses, with its message: the outcome wanted for a damaged file.
  }
  return 0;
}
