#include "checking/model_checks.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "analysis/analysis.hpp"
#include "element/point_jacobian.hpp"
#include "element/sampling_tables.hpp"
#include "geometry/plane_geometry.hpp"
#include "model/limits.hpp"
#include "sparse/sparse_assembly.hpp"

namespace lajefem {

namespace {

using Point = PlanePoint;
using Polygon = PlanePolygon;

Finding warning(const char* code, std::string message) {
  return {Severity::warning, code, 0, 0, 0, 0, std::move(message)};
}

Point node_point(const PlateModel& model, int node) {
  return {model.nodes[node - 1].x, model.nodes[node - 1].y};
}

Polygon corner_points(const PlateModel& model, const PlateElement& element) {
  Polygon corners;
  for (const int node : element.nodes) {
    corners.push_back(node_point(model, node));
  }
  return corners;
}

// The Jacobian of a four-node element is positive everywhere in it when it is positive at the
// four corners, where it is a quarter of (next − corner) × (previous − corner). The first
// corner (0..3) where it is not, or 4 when the element is a convex quadrilateral.
std::size_t first_flat_corner(const Polygon& corners) {
  for (std::size_t a = 0; a < 4; ++a) {
    if (!(cross(corners[a], corners[(a + 1) % 4], corners[(a + 3) % 4]) > 0)) {
      return a;
    }
  }
  return 4;
}

// An element that the element loop accepts (its Jacobian is positive at the Gauss points and the
// centre) but that is no convex quadrilateral: two corners on one node or at one place (a
// triangle), or an angle of 180° or more.
std::string degenerate_text(const Polygon& corners, const PlateElement& element) {
  for (std::size_t a = 0; a < 4; ++a) {
    const std::size_t next = (a + 1) % 4;
    const bool same_node = element.nodes[a] == element.nodes[next];
    if (same_node || (corners[a].x == corners[next].x && corners[a].y == corners[next].y)) {
      return "corners " + std::to_string(a + 1) + " and " + std::to_string(next + 1) +
             (same_node ? " are both node " + std::to_string(element.nodes[a])
                        : " (nodes " + std::to_string(element.nodes[a]) + " and " +
                              std::to_string(element.nodes[next]) + ") lie at one place") +
             ", so the element is a triangle: the program accepts it, but a four-node element "
             "collapsed into a triangle is too stiff and its resultants are poor; mesh that part "
             "with quadrilaterals";
    }
  }
  const std::size_t flat = first_flat_corner(corners);
  return "the angle at node " + std::to_string(element.nodes[flat]) +
         " is 180° or more, so the element is no convex quadrilateral: the program accepts it, "
         "but its results lose accuracy; reshape the element";
}

// The smaller side of the box around the nodes that elements use (all nodes without elements).
double smaller_span(const PlateModel& model) {
  std::vector<int> nodes;
  for (const PlateElement& element : model.elements) {
    nodes.insert(nodes.end(), element.nodes.begin(), element.nodes.end());
  }
  if (nodes.empty()) {
    for (int n = 1; n <= static_cast<int>(model.nodes.size()); ++n) {
      nodes.push_back(n);
    }
  }
  double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
  for (const int node : nodes) {
    const Point p = node_point(model, node);
    low_x = std::min(low_x, p.x);
    high_x = std::max(high_x, p.x);
    low_y = std::min(low_y, p.y);
    high_y = std::max(high_y, p.y);
  }
  return std::min(high_x - low_x, high_y - low_y);
}

void check_band(const PlateModel& model, Findings& findings) {
  const int band = model_half_bandwidth(model);
  if (band > limits::max_band) {
    findings.push_back({Severity::error, "limit", 0, 0, 0, 0,
                        "the half-bandwidth is " + std::to_string(band) +
                            ", above the program's limit of 120 (3 × the largest difference of "
                            "node numbers within an element + 3): renumber the nodes with "
                            "lajefem-tools renumber"});
  }
}

void check_material(const PlateModel& model, Findings& findings) {
  const double modulus = model.elastic_modulus_gpa;
  if (modulus < 1 || modulus > 1000) {
    findings.push_back(warning(
        "units-modulus", "E = " + number_text(modulus) +
                             " GPa lies outside 1 to 1000 GPa (a modulus in MPa or kPa, most "
                             "likely): E is read in GPa, e.g. 30 for concrete, 210 for steel"));
  }
  const double span = smaller_span(model);
  const double t = model.thickness;
  if (span > 0 && t > span / 3) {
    findings.push_back(warning(
        "units-thickness",
        "t = " + number_text(t) + " m is above a third of the plate's smaller span (" +
            number_text(span) + " m): a thickness in mm or cm, most likely; t is read in m"));
  } else if (span > 0 && t < span / 1000) {
    findings.push_back(warning(
        "units-thickness",
        "t = " + number_text(t) + " m is below a thousandth of the plate's smaller span (" +
            number_text(span) + " m): coordinates in mm or cm, most likely; every length is in m"));
  }
}

void check_unused_nodes(const PlateModel& model, Findings& findings) {
  std::vector<bool> used(model.nodes.size() + 1, false);
  for (const PlateElement& element : model.elements) {
    for (const int node : element.nodes) {
      used[node] = true;
    }
  }
  for (int n = 1; n <= static_cast<int>(model.nodes.size()); ++n) {
    if (!used[n]) {
      findings.push_back({Severity::warning, "unused-node", 0, n, 0, 0,
                          "no element uses this node: remove it (unless springs hold its w, θx "
                          "and θy, the run stops with a local mechanism)"});
    }
  }
}

// Interior angles (degrees) and the ratio of the longest to the shortest side.
std::string distortion_text(const Polygon& corners, const PlateElement& element) {
  double longest = 0;
  double shortest = INFINITY;
  std::string text;
  for (std::size_t a = 0; a < 4; ++a) {
    const Point& p = corners[a];
    const Point& next = corners[(a + 1) % 4];
    const Point& previous = corners[(a + 3) % 4];
    const double side = std::hypot(next.x - p.x, next.y - p.y);
    longest = std::max(longest, side);
    shortest = std::min(shortest, side);
    const double dot = (next.x - p.x) * (previous.x - p.x) + (next.y - p.y) * (previous.y - p.y);
    const double angle = std::atan2(cross(p, next, previous), dot) * 180 / std::numbers::pi;
    if (text.empty() && (angle < 30 || angle > 150)) {
      text = "interior angle of " + number_text(std::round(angle)) + "° at node " +
             std::to_string(element.nodes[a]) + " (keep angles between 30° and 150°)";
    }
  }
  if (text.empty() && longest > 10 * shortest) {
    text = "sides in a ratio of " + number_text(longest / shortest) + " (keep it at 10 or below)";
  }
  return text;
}

std::array<int, 4> sorted_corners(const PlateElement& element) {
  std::array<int, 4> corners = element.nodes;
  std::sort(corners.begin(), corners.end());
  return corners;
}

struct ElementShape {
  int element = 0;  // 1-based
  Polygon corners;
  double low_x = 0, high_x = 0, low_y = 0, high_y = 0;
};

// Pairs of valid elements whose areas overlap (sweep over the boxes along x), duplicates apart.
void check_overlaps(const PlateModel& model, const std::vector<ElementShape>& shapes,
                    Findings& findings) {
  std::vector<const ElementShape*> order;
  for (const ElementShape& shape : shapes) {
    order.push_back(&shape);
  }
  std::sort(order.begin(), order.end(),
            [](const ElementShape* a, const ElementShape* b) { return a->low_x < b->low_x; });
  std::vector<std::pair<int, int>> pairs;
  for (std::size_t i = 0; i < order.size(); ++i) {
    for (std::size_t j = i + 1; j < order.size() && order[j]->low_x < order[i]->high_x; ++j) {
      const ElementShape& a = *order[i];
      const ElementShape& b = *order[j];
      if (a.low_y >= b.high_y || b.low_y >= a.high_y ||
          sorted_corners(model.elements[a.element - 1]) ==
              sorted_corners(model.elements[b.element - 1])) {
        continue;
      }
      const double smaller = std::min(polygon_area(a.corners), polygon_area(b.corners));
      if (common_area(a.corners, b.corners) > 1e-6 * smaller) {
        pairs.emplace_back(std::min(a.element, b.element), std::max(a.element, b.element));
      }
    }
  }
  std::sort(pairs.begin(), pairs.end());
  for (const auto& [first, second] : pairs) {
    findings.push_back({Severity::warning, "overlapping-elements", 0, 0, second, 0,
                        "its area overlaps that of element " + std::to_string(first) +
                            ", so that part of the plate counts twice: correct the corners or "
                            "the node coordinates"});
  }
}

// Elements whose Jacobian is not positive at a sampling point: the program's own test within the
// store's limits, the same kernel element by element beyond them.
std::vector<int> refused_elements(const PlateModel& model) {
  if (!store_limit_breach(model)) {
    return elements_of_invalid_geometry(model);
  }
  std::vector<int> refused;
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    CornerValues x;
    CornerValues y;
    sparse::corner_coordinates(model, model.elements[e], x, y);
    if (!has_valid_geometry(sampling_tables(), x, y)) {
      refused.push_back(static_cast<int>(e) + 1);
    }
  }
  return refused;
}

void check_elements(const PlateModel& model, Findings& findings) {
  const std::vector<int> refused = refused_elements(model);
  std::vector<ElementShape> valid;
  std::map<std::array<int, 4>, int> seen;  // corners -> first element with them
  for (int e = 1; e <= static_cast<int>(model.elements.size()); ++e) {
    const PlateElement& element = model.elements[e - 1];
    if (element.type != 1) {
      findings.push_back({Severity::error, "element-type", 0, 0, e, 0,
                          "type " + std::to_string(element.type) +
                              " is unknown, the run stops: the only element type is 1"});
    }
    const auto [same, first] = seen.emplace(sorted_corners(element), e);
    if (!first) {
      findings.push_back({Severity::warning, "duplicate-element", 0, 0, e, 0,
                          "same corners as element " + std::to_string(same->second) +
                              ": the plate is counted twice there; remove one of them"});
    }
    const Polygon corners = corner_points(model, element);
    if (std::binary_search(refused.begin(), refused.end(), e)) {
      findings.push_back({Severity::error, "invalid-geometry", 0, 0, e, 0,
                          "corners not anticlockwise, or the element is folded or degenerate "
                          "(the run stops): list the corners anticlockwise, x to the right "
                          "and y up"});
      continue;
    }
    if (first_flat_corner(corners) < 4) {
      findings.push_back(
          {Severity::warning, "degenerate-element", 0, 0, e, 0, degenerate_text(corners, element)});
      continue;
    }
    if (const std::string distortion = distortion_text(corners, element); !distortion.empty()) {
      findings.push_back({Severity::warning, "distorted-element", 0, 0, e, 0,
                          distortion + ": results lose accuracy; reshape or refine the mesh"});
    }
    ElementShape shape{e, corners, INFINITY, -INFINITY, INFINITY, -INFINITY};
    for (const Point& p : corners) {
      shape.low_x = std::min(shape.low_x, p.x);
      shape.high_x = std::max(shape.high_x, p.x);
      shape.low_y = std::min(shape.low_y, p.y);
      shape.high_y = std::max(shape.high_y, p.y);
    }
    valid.push_back(shape);
  }
  check_overlaps(model, valid, findings);
}

void check_supports(const PlateModel& model, Findings& findings) {
  std::map<int, std::size_t> first_on;  // node -> first support record (0-based) on it
  for (std::size_t s = 0; s < model.supports.size(); ++s) {
    const int node = model.supports[s].node;
    const auto [first, new_node] = first_on.emplace(node, s);
    if (!new_node) {
      findings.push_back({Severity::note, "duplicate-support", 0, node, 0, static_cast<int>(s) + 1,
                          "support " + std::to_string(s + 1) +
                              " acts on the same node as support " +
                              std::to_string(first->second + 1) +
                              ": their springs add up; keep one record if that was not meant"});
    }
  }
}

void check_loads(const PlateModel& model, Findings& findings) {
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    const auto& loads = model.load_cases[c].loads;
    const std::string load_case = "load case " + std::to_string(c + 1);
    if (loads.empty()) {
      findings.push_back({Severity::note, "empty-load-case", 0, 0, 0, 0,
                          load_case + " has no loads: its results are all zero"});
    }
    for (std::size_t k = 0; k < loads.size(); ++k) {
      if (loads[k].type != 1 && loads[k].type != 2) {
        findings.push_back(
            {Severity::error, "load-type", 0, 0, 0, 0,
             load_case + ", load " + std::to_string(k + 1) +
                 (loads[k].type == 0 ? ": no load statement carries this number"
                                     : ": type " + std::to_string(loads[k].type) + " is unknown") +
                 " (the run stops): number the loads of a case 1, 2, ... without repeats, of type "
                 "1 (nodal) or 2 (distributed)"});
      }
    }
  }
}

}  // namespace

Findings check_plate_model(const PlateModel& model) {
  Findings findings;
  check_band(model, findings);
  check_material(model, findings);
  check_unused_nodes(model, findings);
  check_elements(model, findings);
  check_supports(model, findings);
  check_loads(model, findings);
  return findings;
}

}  // namespace lajefem
