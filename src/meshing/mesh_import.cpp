#include "meshing/mesh_import.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "meshing/meshing_error.hpp"

namespace lajefem::meshing {

namespace {

constexpr int quadrangle = 3;
constexpr int triangle = 2;

std::string element_name(const GmshElement& element) {
  return "element " + std::to_string(element.tag) + " (" + gmsh_type_name(element.type) +
         ") of surface " + std::to_string(element.entity_tag);
}

void check_surface_element(const GmshElement& element) {
  if (element.entity_dim == 3) {
    throw MeshingError("the mesh has volume elements: mesh the plate in 2-D (gmsh -2)");
  }
  if (element.entity_dim != 2 || element.type == quadrangle) {
    return;
  }
  if (element.type == triangle) {
    throw MeshingError(element_name(element) +
                       ": the plate must be all quadrangles; recombine the mesh "
                       "(Mesh.RecombineAll = 1, or Recombine Surface, with "
                       "Mesh.SubdivisionAlgorithm = 1)");
  }
  throw MeshingError(element_name(element) +
                     ": import takes first-order 4-node quadrangles only (Mesh.ElementOrder = 1)");
}

// Twice the signed area of the corners (x, y): positive when anticlockwise.
double twice_signed_area(const std::array<const GmshNode*, 4>& corners) {
  double sum = 0;
  for (std::size_t a = 0; a < 4; ++a) {
    const GmshNode& p = *corners[a];
    const GmshNode& q = *corners[(a + 1) % 4];
    sum += p.x * q.y - q.x * p.y;
  }
  return sum;
}

// True when the Jacobian is positive at every corner: (next − a) × (previous − a) > 0.
bool convex_anticlockwise(const std::array<const GmshNode*, 4>& corners) {
  for (std::size_t a = 0; a < 4; ++a) {
    const GmshNode& p = *corners[a];
    const GmshNode& next = *corners[(a + 1) % 4];
    const GmshNode& previous = *corners[(a + 3) % 4];
    const double cross = (next.x - p.x) * (previous.y - p.y) - (next.y - p.y) * (previous.x - p.x);
    if (!(cross > 0)) {
      return false;
    }
  }
  return true;
}

std::map<long, std::size_t> node_positions(const GmshMesh& mesh) {
  std::map<long, std::size_t> positions;
  for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
    if (!positions.emplace(mesh.nodes[n].tag, n).second) {
      throw MeshingError("node tag " + std::to_string(mesh.nodes[n].tag) + " appears twice");
    }
  }
  return positions;
}

const GmshNode& node_of_tag(const GmshMesh& mesh, const std::map<long, std::size_t>& positions,
                            long tag) {
  const auto found = positions.find(tag);
  if (found == positions.end()) {
    throw MeshingError("an element uses node " + std::to_string(tag) +
                       ", which $Nodes does not hold");
  }
  return mesh.nodes[found->second];
}

void check_flat(const ImportedMesh& imported, const std::vector<double>& heights) {
  const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
  double extent = 1.0;
  for (const PlateNode& node : imported.model.nodes) {
    extent = std::max(
        {extent, std::abs(static_cast<double>(node.x)), std::abs(static_cast<double>(node.y))});
  }
  if (*high - *low > 1e-9 * extent) {
    throw MeshingError("the mesh is not flat: z runs from " + std::to_string(*low) + " to " +
                       std::to_string(*high) + "; draw the plate in a plane z = constant");
  }
}

}  // namespace

ImportedMesh import_quadrangles(const GmshMesh& mesh) {
  const auto positions = node_positions(mesh);
  ImportedMesh imported;
  std::map<long, int> model_node;  // gmsh tag -> model node number, in the order of first use
  std::vector<double> heights;
  for (const GmshElement& element : mesh.elements) {
    check_surface_element(element);
    if (element.entity_dim != 2) {
      continue;
    }
    if (element.nodes.size() != 4) {
      throw MeshingError(element_name(element) + " does not have 4 nodes");
    }
    std::array<const GmshNode*, 4> corners{};
    for (std::size_t a = 0; a < 4; ++a) {
      corners[a] = &node_of_tag(mesh, positions, element.nodes[a]);
    }
    PlateElement plate_element;
    std::array<std::size_t, 4> order{0, 1, 2, 3};
    if (twice_signed_area(corners) < 0) {
      order = {0, 3, 2, 1};
      ++imported.reversed_elements;
    }
    std::array<const GmshNode*, 4> ordered{};
    for (std::size_t a = 0; a < 4; ++a) {
      ordered[a] = corners[order[a]];
    }
    if (!convex_anticlockwise(ordered)) {
      throw MeshingError(element_name(element) + " is not convex or is degenerate");
    }
    for (std::size_t a = 0; a < 4; ++a) {
      const GmshNode& node = *ordered[a];
      const auto [at, added] =
          model_node.emplace(node.tag, static_cast<int>(imported.model.nodes.size()) + 1);
      if (added) {
        imported.model.nodes.push_back({static_cast<float>(node.x), static_cast<float>(node.y)});
        imported.node_tags.push_back(node.tag);
        heights.push_back(node.z);
      }
      plate_element.nodes[a] = at->second;
    }
    imported.model.elements.push_back(plate_element);
  }
  if (imported.model.elements.empty()) {
    throw MeshingError(
        "the mesh has no quadrangles: mesh the plate's surface (gmsh -2) and "
        "give it a Physical Surface, or save all elements (Mesh.SaveAll = 1)");
  }
  check_flat(imported, heights);
  imported.dropped_nodes = static_cast<int>(mesh.nodes.size() - imported.model.nodes.size());
  return imported;
}

namespace {

std::set<long> group_node_tags(const GmshMesh& mesh, const std::string& name) {
  std::set<std::pair<int, int>> groups;  // (dimension, physical tag)
  for (const auto& [key, group_name] : mesh.group_names) {
    if (group_name == name) {
      groups.insert(key);
    }
  }
  if (groups.empty()) {
    std::string names;
    for (const auto& [key, group_name] : mesh.group_names) {
      names += (names.empty() ? "" : ", ") + group_name;
    }
    throw MeshingError("no physical group '" + name +
                       "' in the mesh; it holds: " + (names.empty() ? "none" : names));
  }
  std::set<long> tags;
  for (const GmshElement& element : mesh.elements) {
    const auto entity = mesh.entity_groups.find({element.entity_dim, element.entity_tag});
    if (entity == mesh.entity_groups.end()) {
      continue;
    }
    for (const int physical : entity->second) {
      if (groups.count({element.entity_dim, physical}) != 0) {
        tags.insert(element.nodes.begin(), element.nodes.end());
      }
    }
  }
  return tags;
}

void stiffen(SupportSprings& springs, const SupportSprings& more) {
  springs.w = std::max(springs.w, more.w);
  springs.theta_x = std::max(springs.theta_x, more.theta_x);
  springs.theta_y = std::max(springs.theta_y, more.theta_y);
}

// A group that supports no node would leave the model without the supports asked for.
[[noreturn]] void throw_empty_group(const GmshMesh& mesh, const std::string& name) {
  if (!mesh.has_entities) {
    throw MeshingError("group '" + name +
                       "' cannot be placed on the mesh: the file has no $Entities section, which "
                       "ties the elements to the physical groups; save the mesh again from gmsh "
                       "as MSH 4.1 ASCII without removing that section");
  }
  throw MeshingError("group '" + name +
                     "' holds no element of the mesh, so it supports no node: mesh the points or "
                     "curves of the group, or save all elements (Mesh.SaveAll = 1)");
}

}  // namespace

void add_group_supports(ImportedMesh& imported, const GmshMesh& mesh,
                        const std::vector<GroupSupport>& supports) {
  std::map<long, int> model_node;
  for (std::size_t n = 0; n < imported.node_tags.size(); ++n) {
    model_node[imported.node_tags[n]] = static_cast<int>(n) + 1;
  }
  std::map<int, SupportSprings> springs;  // by model node
  for (const GroupSupport& support : supports) {
    const std::set<long> tags = group_node_tags(mesh, support.group);
    if (tags.empty()) {
      throw_empty_group(mesh, support.group);
    }
    for (const long tag : tags) {
      const auto node = model_node.find(tag);
      if (node == model_node.end()) {
        throw MeshingError("group '" + support.group + "': node " + std::to_string(tag) +
                           " is not a corner of any quadrangle");
      }
      stiffen(springs[node->second], support.springs);
    }
  }
  for (const auto& [node, s] : springs) {
    imported.model.supports.push_back({node, s.w, s.theta_x, s.theta_y});
  }
}

}  // namespace lajefem::meshing
