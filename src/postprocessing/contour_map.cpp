#include "postprocessing/contour_map.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <set>
#include <tuple>
#include <utility>

#include "postprocessing/band_raster.hpp"
#include "postprocessing/number_text.hpp"

namespace lajefem {

namespace {

// Values smaller than this share of the largest magnitude count as zero in a sequential map's
// range: a supported node's 1e-9 mm does not add a band above zero to a sagging deflection.
constexpr double insignificant_share = 1e-3;

// Colour maps: nine stops at t = 0, 1/8, ..., 1, interpolated linearly in sRGB.
using ColourStops = std::array<std::array<int, 3>, 9>;
constexpr ColourStops viridis{{{0x44, 0x01, 0x54},
                               {0x47, 0x2d, 0x7b},
                               {0x3b, 0x52, 0x8b},
                               {0x2c, 0x72, 0x8e},
                               {0x21, 0x91, 0x8c},
                               {0x28, 0xae, 0x80},
                               {0x5e, 0xc9, 0x62},
                               {0xad, 0xdc, 0x30},
                               {0xfd, 0xe7, 0x25}}};
constexpr ColourStops coolwarm{{{0x3b, 0x4c, 0xc0},
                                {0x62, 0x82, 0xea},
                                {0x8d, 0xb0, 0xfe},
                                {0xb9, 0xd0, 0xf9},
                                {0xdd, 0xdc, 0xdc},
                                {0xf5, 0xc4, 0xac},
                                {0xf4, 0x98, 0x7a},
                                {0xdd, 0x5f, 0x4b},
                                {0xb4, 0x04, 0x26}}};

std::string colour_at(const ColourStops& stops, double t) {
  const double position = std::clamp(t, 0.0, 1.0) * 8;
  const int below = std::min(static_cast<int>(position), 7);
  const double share = position - below;
  std::string colour = "#";
  constexpr const char* hex = "0123456789abcdef";
  for (int channel = 0; channel < 3; ++channel) {
    const double value =
        stops[below][channel] + share * (stops[below + 1][channel] - stops[below][channel]);
    const int byte = static_cast<int>(std::lround(value));
    colour += hex[byte / 16];
    colour += hex[byte % 16];
  }
  return colour;
}

// The smallest of 1, 2, 2.5, 5 times a power of ten that is at least `raw` (> 0).
double round_step(double raw) {
  double power = 1;
  while (power * 10 <= raw && std::isfinite(power * 10)) {
    power *= 10;
  }
  while (power > raw) {
    power /= 10;
  }
  for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (factor * power >= raw * (1 - 1e-12)) {
      return factor * power;
    }
  }
  return 10 * power;
}

double significant(double value, double largest) {
  return std::fabs(value) < insignificant_share * largest ? 0.0 : value;
}

std::size_t band_count(const ContourScale& scale) {
  return scale.levels.size() - 1;
}

// One Sutherland–Hodgman pass of a convex polygon against a level of its linear field.
std::vector<FieldPoint> clipped(const std::vector<FieldPoint>& polygon, double level,
                                bool keep_above) {
  std::vector<FieldPoint> kept;
  const auto inside = [&](const FieldPoint& p) {
    return keep_above ? p.value >= level : p.value <= level;
  };
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const FieldPoint& p = polygon[i];
    const FieldPoint& q = polygon[(i + 1) % polygon.size()];
    if (inside(p)) {
      kept.push_back(p);
    }
    if (inside(p) != inside(q)) {
      const double s = (level - p.value) / (q.value - p.value);
      kept.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y), level});
    }
  }
  return kept;
}

// The pieces of one triangle, band by band between the bands of its lowest and highest values.
void add_triangle_pieces(const std::vector<FieldPoint>& triangle, const ContourScale& scale,
                         double smallest_area, std::vector<BandPiece>& pieces) {
  const auto [low, high] = std::minmax_element(
      triangle.begin(), triangle.end(),
      [](const FieldPoint& a, const FieldPoint& b) { return a.value < b.value; });
  const std::size_t first = band_of(scale, low->value);
  const std::size_t last = band_of(scale, high->value);
  for (std::size_t band = first; band <= last; ++band) {
    std::vector<FieldPoint> piece = triangle;
    if (band > first) {
      piece = clipped(piece, scale.levels[band], true);
    }
    if (band < last) {
      piece = clipped(piece, scale.levels[band + 1], false);
    }
    if (piece.size() >= 3 && std::fabs(polygon_area(piece)) > smallest_area) {
      pieces.push_back({band, std::move(piece)});
    }
  }
}

// ---- The picture ----

constexpr double largest_plot_width = 640;   // px
constexpr double largest_plot_height = 520;  // px
constexpr double left_margin = 56;
constexpr double top_margin = 74;     // title and subtitle above the plate
constexpr double bottom_margin = 64;  // support legend below the plate
constexpr double bar_gap = 56;        // plate to colour bar
constexpr double bar_width = 24;
constexpr double bar_label_width = 96;
constexpr double shortest_bar = 280;
constexpr const char* font = "DejaVu Sans, Arial, Helvetica, sans-serif";
constexpr std::size_t largest_numbered_model = 120;  // nodes: more numbers would hide the mesh

// Where the plate and the colour bar sit on the canvas: one scale for x and y, y upwards.
struct MapLayout {
  double x_min = 0;
  double y_min = 0;
  double scale = 1;  // px per m
  double plot_width = 0;
  double plot_height = 0;
  double bar_height = 0;
  double width = 0;
  double height = 0;

  double canvas_x(double x) const { return left_margin + (x - x_min) * scale; }
  double canvas_y(double y) const { return top_margin + plot_height - (y - y_min) * scale; }
  double plot_right() const { return left_margin + plot_width; }
  double bar_left() const { return plot_right() + bar_gap; }
  double bar_bottom() const { return top_margin + bar_height; }
};

// Nodes that belong to an element: the only ones a map shows.
std::vector<bool> mapped_nodes(const PlateModel& model) {
  std::vector<bool> used(model.nodes.size(), false);
  for (const PlateElement& element : model.elements) {
    for (const int node : element.nodes) {
      used[node - 1] = true;
    }
  }
  return used;
}

// The plate's extent (the nodes of its elements) fitted into the largest plot.
MapLayout map_layout(const PlateModel& model, const std::vector<bool>& used) {
  const PlateNode& first = model.nodes[model.elements.front().nodes[0] - 1];
  double x_max = first.x;
  double y_max = first.y;
  MapLayout layout;
  layout.x_min = x_max;
  layout.y_min = y_max;
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if (!used[n])
      continue;
    const PlateNode& node = model.nodes[n];
    layout.x_min = std::min<double>(layout.x_min, node.x);
    layout.y_min = std::min<double>(layout.y_min, node.y);
    x_max = std::max<double>(x_max, node.x);
    y_max = std::max<double>(y_max, node.y);
  }
  const double span_x = std::max(x_max - layout.x_min, 1e-9);
  const double span_y = std::max(y_max - layout.y_min, 1e-9);
  layout.scale = std::min(largest_plot_width / span_x, largest_plot_height / span_y);
  layout.plot_width = span_x * layout.scale;
  layout.plot_height = span_y * layout.scale;
  layout.bar_height = std::max(shortest_bar, layout.plot_height);
  layout.width = layout.bar_left() + bar_width + bar_label_width;
  layout.height = top_margin + layout.bar_height + bottom_margin;
  return layout;
}

// Canvas coordinate to 0.1 px: the whole tenths written as an integer with the point put in,
// the text that the rounded value has to one decimal (a map writes tens of thousands of them).
void append_px(std::string& svg, double value) {
  const double tenths = std::round(value * 10) + 0.0;
  std::array<char, 32> digits{};
  if (!(std::abs(tenths) < 1e15)) {
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), tenths / 10,
                                   std::chars_format::fixed, 1)
                         .ptr;
    svg.append(digits.data(), end);
    return;
  }
  const auto whole = static_cast<long long>(tenths);
  const long long magnitude = whole < 0 ? -whole : whole;
  if (whole < 0) {
    svg += '-';
  }
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude / 10).ptr;
  svg.append(digits.data(), end);
  svg += '.';
  svg += static_cast<char>('0' + magnitude % 10);
}

std::string px(double value) {
  std::string text;
  append_px(text, value);
  return text;
}

void append_polygon(std::string& svg, const MapLayout& layout,
                    const std::vector<FieldPoint>& corners, const std::string& colour) {
  svg += "<polygon points=\"";
  for (const FieldPoint& p : corners) {
    append_px(svg, layout.canvas_x(p.x));
    svg += ',';
    append_px(svg, layout.canvas_y(p.y));
    svg += ' ';
  }
  svg.back() = '"';
  svg += " fill=\"" + colour + "\" stroke=\"" + colour + "\"/>\n";
}

std::array<FieldPoint, 4> element_corners(const PlateModel& model, const PlateElement& element,
                                          const Field& field) {
  std::array<FieldPoint, 4> corners{};
  for (int k = 0; k < 4; ++k) {
    const int n = element.nodes[k] - 1;
    corners[k] = {model.nodes[n].x, model.nodes[n].y, field.values[n]};
  }
  return corners;
}

// The bands, the pieces of each band in one group sharing its colour (a thin stroke of the same
// colour closes the hairline seams between pieces).
void append_bands(std::string& svg, const MapLayout& layout, const PlateModel& model,
                  const Field& field, const ContourScale& scale) {
  std::vector<std::string> colours;
  for (std::size_t band = 0; band < band_count(scale); ++band) {
    colours.push_back(band_colour(scale, band));
  }
  svg += "<g stroke-width=\"0.8\" stroke-linejoin=\"round\">\n";
  for (const PlateElement& element : model.elements) {
    for (const BandPiece& piece :
         element_band_pieces(element_corners(model, element, field), scale)) {
      append_polygon(svg, layout, piece.corners, colours[piece.band]);
    }
  }
  svg += "</g>\n";
}

// The bands of a fine mesh: each band one path of the runs of one-pixel cells along each row that
// lie in it, drawn edge to edge (crispEdges) so that no seam shows between rows.
void append_rasterised_bands(std::string& svg, const MapLayout& layout, const PlateModel& model,
                             const Field& field, const ContourScale& scale) {
  const RasterGrid grid{layout.x_min, layout.y_min + layout.plot_height / layout.scale,
                        1 / layout.scale, static_cast<int>(std::ceil(layout.plot_width)),
                        static_cast<int>(std::ceil(layout.plot_height))};
  const std::vector<int> bands = rasterised_bands(model, field, scale, grid);
  std::vector<std::string> paths(band_count(scale));
  for (int row = 0; row < grid.rows; ++row) {
    const int* cells = bands.data() + static_cast<std::size_t>(row) * grid.columns;
    for (int start = 0; start < grid.columns;) {
      int end = start + 1;
      while (end < grid.columns && cells[end] == cells[start]) {
        ++end;
      }
      if (cells[start] >= 0) {
        std::string& path = paths[static_cast<std::size_t>(cells[start])];
        path += 'M';
        append_px(path, left_margin + start);
        path += ',';
        append_px(path, top_margin + row);
        path += 'h' + std::to_string(end - start) + "v1h-" + std::to_string(end - start) + 'z';
      }
      start = end;
    }
  }
  svg += "<g shape-rendering=\"crispEdges\">\n";
  for (std::size_t band = 0; band < paths.size(); ++band) {
    if (!paths[band].empty()) {
      svg += "<path d=\"" + paths[band] + "\" fill=\"" + band_colour(scale, band) + "\"/>\n";
    }
  }
  svg += "</g>\n";
}

// The sides of the elements, each once as (lower node, higher node) in that order, with the
// number of elements it bounds.
std::vector<std::pair<std::pair<int, int>, int>> element_sides(const PlateModel& model) {
  std::vector<std::pair<int, int>> sides;
  sides.reserve(4 * model.elements.size());
  for (const PlateElement& element : model.elements) {
    for (int k = 0; k < 4; ++k) {
      const int a = element.nodes[k];
      const int b = element.nodes[(k + 1) % 4];
      sides.push_back({std::min(a, b), std::max(a, b)});
    }
  }
  std::sort(sides.begin(), sides.end());
  std::vector<std::pair<std::pair<int, int>, int>> counted;
  for (const auto& side : sides) {
    if (!counted.empty() && counted.back().first == side) {
      ++counted.back().second;
    } else {
      counted.push_back({side, 1});
    }
  }
  return counted;
}

// Element edges once each, thin; edges of one element only (the plate's outline) bold. A mesh
// finer than the picture shows its outline alone.
void append_edges(std::string& svg, const MapLayout& layout, const PlateModel& model) {
  std::string inner;
  std::string outline;
  for (const auto& [edge, count] : element_sides(model)) {
    std::string& path = count == 1 ? outline : inner;
    const PlateNode& a = model.nodes[edge.first - 1];
    const PlateNode& b = model.nodes[edge.second - 1];
    path += "M" + px(layout.canvas_x(a.x)) + "," + px(layout.canvas_y(a.y)) + "L" +
            px(layout.canvas_x(b.x)) + "," + px(layout.canvas_y(b.y));
  }
  if (model.elements.size() <= most_drawn_elements) {
    svg += "<path d=\"" + inner +
           "\" fill=\"none\" stroke=\"#000000\" stroke-opacity=\"0.35\" stroke-width=\"0.6\"/>\n";
  }
  svg += "<path d=\"" + outline +
         "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.6\" stroke-linecap=\"round\"/>\n";
}

// How a node is held: all three freedoms (clamped); w alone along a supported line (simply
// supported) or at a node whose neighbours are free (a column or point support); w and one
// rotation (a hard simple support: w and the slope along the edge); slopes alone (a symmetry
// line); any other set of springs.
enum class SupportKind { clamped, simple, point, hard, slope, other };
constexpr std::size_t support_kind_count = 6;

using HeldFreedoms = std::array<bool, 3>;  // w, θx, θy

// The springs of all support records of each supported node taken together.
std::map<int, HeldFreedoms> held_freedoms(const PlateModel& model) {
  std::map<int, HeldFreedoms> held;
  for (const PlateSupport& support : model.supports) {
    auto& freedoms = held[support.node];
    freedoms[0] = freedoms[0] || support.spring_w != 0;
    freedoms[1] = freedoms[1] || support.spring_theta_x != 0;
    freedoms[2] = freedoms[2] || support.spring_theta_y != 0;
  }
  return held;
}

// The nodes that share an element side with another node held as they are: lines of supports.
std::set<int> supported_line_nodes(const PlateModel& model,
                                   const std::map<int, HeldFreedoms>& held) {
  std::set<int> on_line;
  for (const PlateElement& element : model.elements) {
    for (int c = 0; c < 4; ++c) {
      const int a = element.nodes[c];
      const int b = element.nodes[(c + 1) % 4];
      const auto found_a = held.find(a);
      const auto found_b = held.find(b);
      if (a != b && found_a != held.end() && found_b != held.end() &&
          found_a->second == found_b->second) {
        on_line.insert(a);
        on_line.insert(b);
      }
    }
  }
  return on_line;
}

std::map<int, SupportKind> support_kinds(const PlateModel& model) {
  const std::map<int, HeldFreedoms> held = held_freedoms(model);
  const std::set<int> on_line = supported_line_nodes(model, held);
  std::map<int, SupportKind> kinds;
  for (const auto& [node, freedoms] : held) {
    const int rotations = (freedoms[1] ? 1 : 0) + (freedoms[2] ? 1 : 0);
    SupportKind kind = SupportKind::other;
    if (freedoms[0] && rotations == 2) {
      kind = SupportKind::clamped;
    } else if (freedoms[0] && rotations == 1) {
      kind = SupportKind::hard;
    } else if (freedoms[0]) {
      kind = on_line.count(node) != 0 ? SupportKind::simple : SupportKind::point;
    } else if (rotations > 0) {
      kind = SupportKind::slope;
    }
    kinds[node] = kind;
  }
  return kinds;
}

// Square for clamped, triangle for simply supported, grey triangle for a hard simple support,
// ringed dot for a column, open square for slopes alone, open diamond for other supports,
// centred on (x, y).
std::string support_symbol(SupportKind kind, double x, double y) {
  const std::string cx = px(x);
  const std::string triangle = cx + "," + px(y - 5.5) + " " + px(x + 5.5) + "," + px(y + 4.5) +
                               " " + px(x - 5.5) + "," + px(y + 4.5);
  switch (kind) {
    case SupportKind::clamped:
      return "<rect x=\"" + px(x - 4.5) + "\" y=\"" + px(y - 4.5) +
             "\" width=\"9\" height=\"9\" fill=\"#000000\"/>\n";
    case SupportKind::simple:
      return "<polygon points=\"" + triangle + "\" fill=\"#000000\"/>\n";
    case SupportKind::hard:
      return "<polygon points=\"" + triangle +
             "\" fill=\"#808080\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n";
    case SupportKind::slope:
      return "<rect x=\"" + px(x - 4.5) + "\" y=\"" + px(y - 4.5) +
             "\" width=\"9\" height=\"9\" fill=\"#ffffff\" stroke=\"#000000\" "
             "stroke-width=\"1.5\"/>\n";
    case SupportKind::point:
      return "<circle cx=\"" + cx + "\" cy=\"" + px(y) +
             "\" r=\"5\" fill=\"#000000\" stroke=\"#ffffff\" stroke-width=\"1.5\"/>\n";
    case SupportKind::other:
      break;
  }
  return "<polygon points=\"" + cx + "," + px(y - 6) + " " + px(x + 6) + "," + px(y) + " " + cx +
         "," + px(y + 6) + " " + px(x - 6) + "," + px(y) +
         "\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n";
}

std::string text_element(double x, double y, const std::string& anchor, int size,
                         const std::string& text, const std::string& extra = "") {
  return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor +
         "\" font-size=\"" + std::to_string(size) + "\"" + extra + ">" + xml_escaped(text) +
         "</text>\n";
}

// The room an entry of the support legend takes: symbol, text and the gap after it.
double legend_entry_width(const std::string& name) {
  return 36 + 7.2 * name.size();
}

// Support symbols at their nodes and, below the plate, a legend of the kinds present.
void append_supports(std::string& svg, const MapLayout& layout, const PlateModel& model,
                     const std::vector<bool>& used) {
  const std::map<int, SupportKind> kinds = support_kinds(model);
  std::array<bool, support_kind_count> present{};
  // On a mesh finer than the picture, a line of supports shows one symbol in each square of
  // symbol_spacing px it crosses (its nodes would draw a solid bar); columns keep every symbol.
  constexpr double symbol_spacing = 12;
  const bool thinned = model.elements.size() > most_drawn_elements;
  std::set<std::tuple<SupportKind, long, long>> drawn;
  for (const auto& [node, kind] : kinds) {
    if (!used[node - 1])
      continue;
    const PlateNode& at = model.nodes[node - 1];
    const double x = layout.canvas_x(at.x);
    const double y = layout.canvas_y(at.y);
    present[static_cast<std::size_t>(kind)] = true;
    if (thinned && kind != SupportKind::point &&
        !drawn.insert({kind, std::lround(x / symbol_spacing), std::lround(y / symbol_spacing)})
             .second) {
      continue;
    }
    svg += support_symbol(kind, x, y);
  }
  constexpr std::array<const char*, support_kind_count> names{
      "clamped (w, \u03b8x, \u03b8y held)",  "simply supported (w held)",
      "column or point support (w held)",    "hard simple support (w and one slope held)",
      "symmetry line (slopes held, w free)", "other springs"};
  // Entries left to right, on a second row when the first is full.
  std::vector<std::size_t> shown;
  double row_width = 0;
  bool two_rows = false;
  for (std::size_t k = 0; k < support_kind_count; ++k) {
    if (present[k]) {
      shown.push_back(k);
      row_width += legend_entry_width(names[k]);
      two_rows = two_rows || left_margin + row_width > layout.width - 8;
    }
  }
  double x = left_margin;
  double y = layout.height - (two_rows ? 38 : 24);
  for (const std::size_t k : shown) {
    if (x > left_margin && x + legend_entry_width(names[k]) > layout.width - 8) {
      x = left_margin;
      y += 20;
    }
    svg += support_symbol(static_cast<SupportKind>(k), x + 6, y - 4);
    svg += text_element(x + 18, y, "start", 12, names[k]);
    x += legend_entry_width(names[k]);
  }
}

// A label on a white box, readable on any band colour.
std::string boxed_text(double x, double y, bool to_the_left, const std::string& text) {
  const double width = 7.4 * text.size() + 8;
  const double left = to_the_left ? x - width : x;
  return "<rect x=\"" + px(left) + "\" y=\"" + px(y - 13) + "\" width=\"" + px(width) +
         "\" height=\"17\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.9\" stroke=\"#000000\""
         " stroke-width=\"0.6\"/>\n" +
         text_element(left + 4, y, "start", 12, text, " font-weight=\"bold\"");
}

// A ringed dot at the node of an extreme and its value beside it, kept inside the canvas.
void append_extreme(std::string& svg, const MapLayout& layout, const PlateNode& at,
                    const std::string& label) {
  const double x = layout.canvas_x(at.x);
  const double y = layout.canvas_y(at.y);
  svg += "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) +
         "\" r=\"4.5\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"2\"/>\n";
  const bool to_the_left = x + 16 + 7.4 * label.size() > layout.bar_left() - 8;
  const double text_y = y - 9 < top_margin + 6 ? y + 22 : y - 9;
  svg += boxed_text(to_the_left ? x - 7 : x + 7, text_y, to_the_left, label);
}

// The positive maximum and the negative minimum, where they are not negligible.
void append_extremes(std::string& svg, const MapLayout& layout, const PlateModel& model,
                     const std::vector<bool>& used, const Field& field) {
  std::size_t highest = 0;
  std::size_t lowest = 0;
  double largest = 0;
  const auto valued = [&](std::size_t n) { return used[n] && !std::isnan(field.values[n]); };
  for (std::size_t n = 0; n < field.values.size(); ++n) {
    if (!valued(n))
      continue;
    if (!valued(highest) || field.values[n] > field.values[highest])
      highest = n;
    if (!valued(lowest) || field.values[n] < field.values[lowest])
      lowest = n;
    largest = std::max(largest, std::fabs(field.values[n]));
  }
  if (!valued(highest)) {
    return;
  }
  const double high = significant(field.values[highest], largest);
  const double low = significant(field.values[lowest], largest);
  if (high > 0) {
    append_extreme(svg, layout, model.nodes[highest], "max " + short_text(high, 4));
  }
  if (low < 0) {
    append_extreme(svg, layout, model.nodes[lowest], "min " + short_text(low, 4));
  }
}

// The colour bar: one rectangle per band, lowest at the bottom, each level labelled.
void append_colour_bar(std::string& svg, const MapLayout& layout, const ContourScale& scale,
                       const std::string& unit) {
  const std::size_t bands = band_count(scale);
  const double band_height = layout.bar_height / bands;
  const double x = layout.bar_left();
  svg += text_element(x, top_margin - 10, "start", 13, unit);
  for (std::size_t k = 0; k < bands; ++k) {
    const double top = layout.bar_bottom() - (k + 1) * band_height;
    svg += "<rect x=\"" + px(x) + "\" y=\"" + px(top) + "\" width=\"" + px(bar_width) +
           "\" height=\"" + px(band_height) + "\" fill=\"" + band_colour(scale, k) + "\"/>\n";
  }
  svg += "<rect x=\"" + px(x) + "\" y=\"" + px(top_margin) + "\" width=\"" + px(bar_width) +
         "\" height=\"" + px(layout.bar_height) +
         "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"0.8\"/>\n";
  if (scale.step == 0) {
    svg += text_element(x + bar_width + 6, top_margin + layout.bar_height / 2 + 4, "start", 12,
                        short_text(scale.levels.front(), 6));
    return;
  }
  for (std::size_t k = 0; k <= bands; ++k) {
    const double y = layout.bar_bottom() - k * band_height;
    svg += "<path d=\"M" + px(x + bar_width) + "," + px(y) + "h4\" stroke=\"#000000\"/>\n";
    // The levels are whole multiples of the step: label them from the multiple, not the sum.
    const double level = std::round(scale.levels[k] / scale.step) * scale.step;
    svg += text_element(x + bar_width + 7, y + 4, "start", 12, short_text(level, 6));
  }
}

}  // namespace

std::size_t band_of(const ContourScale& scale, double value) {
  const auto above = std::upper_bound(scale.levels.begin() + 1, scale.levels.end() - 1, value);
  return static_cast<std::size_t>(above - (scale.levels.begin() + 1));
}

ContourScale contour_scale(double lowest, double highest, bool diverging) {
  const double largest = std::max(std::fabs(lowest), std::fabs(highest));
  if (largest == 0) {
    // A zero field: one band in the diverging map's neutral middle colour.
    return {{0.0, 0.0}, true, 0};
  }
  ContourScale scale;
  scale.diverging = diverging;
  if (diverging) {
    scale.step = round_step(largest / 8);
    const int half = static_cast<int>(std::ceil(largest / scale.step - 1e-9));
    for (int k = -half; k <= half; ++k) {
      scale.levels.push_back(k * scale.step);
    }
    return scale;
  }
  const double low = std::min(significant(lowest, largest), 0.0);
  const double high = std::max(significant(highest, largest), 0.0);
  scale.step = round_step((high - low) / 12);
  const int first = static_cast<int>(std::floor(low / scale.step + 1e-9));
  const int last = static_cast<int>(std::ceil(high / scale.step - 1e-9));
  for (int k = first; k <= last; ++k) {
    scale.levels.push_back(k * scale.step);
  }
  return scale;
}

std::string band_colour(const ContourScale& scale, std::size_t band) {
  const double t = (band + 0.5) / band_count(scale);
  return colour_at(scale.diverging ? coolwarm : viridis, t);
}

std::vector<BandPiece> element_band_pieces(const std::array<FieldPoint, 4>& corners,
                                           const ContourScale& scale) {
  std::vector<BandPiece> pieces;
  const std::vector<FieldPoint> quad(corners.begin(), corners.end());
  const std::size_t band = band_of(scale, corners[0].value);
  if (std::all_of(corners.begin(), corners.end(),
                  [&](const FieldPoint& p) { return band_of(scale, p.value) == band; })) {
    pieces.push_back({band, quad});
    return pieces;
  }
  FieldPoint centre;
  for (const FieldPoint& p : corners) {
    centre.x += p.x / 4;
    centre.y += p.y / 4;
    centre.value += p.value / 4;
  }
  const double smallest_area = 1e-12 * std::fabs(polygon_area(quad));
  for (int k = 0; k < 4; ++k) {
    add_triangle_pieces({corners[k], corners[(k + 1) % 4], centre}, scale, smallest_area, pieces);
  }
  return pieces;
}

// A red band across the middle of the picture, over the plate, with the warning in white; the
// extremes' labels are drawn over it.
void append_warning_banner(std::string& svg, const MapLayout& layout, const std::string& warning) {
  if (warning.empty()) {
    return;
  }
  const double top = layout.height / 2 - 18;
  svg += "<rect x=\"0\" y=\"" + px(top) + "\" width=\"" + px(layout.width) +
         "\" height=\"36\" fill=\"#c62828\" fill-opacity=\"0.9\"/>\n";
  svg += text_element(layout.width / 2, top + 23, "middle", 15, warning,
                      " font-weight=\"bold\" fill=\"#ffffff\"");
}

// The XML declaration, the picture's canvas on white and the heading.
std::string svg_opening(const MapLayout& layout, const MapHeading& heading) {
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(layout.width) + "\" height=\"" +
         px(layout.height) + "\" viewBox=\"0 0 " + px(layout.width) + " " + px(layout.height) +
         "\" font-family=\"" + font + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += text_element(left_margin, 28, "start", 17, heading.title, " font-weight=\"bold\"");
  svg += text_element(left_margin, 50, "start", 13, heading.subtitle, " fill=\"#333333\"");
  return svg;
}

// The elements filled in light grey.
void append_plate(std::string& svg, const MapLayout& layout, const PlateModel& model) {
  svg += "<g fill=\"#eef1f4\">\n";
  for (const PlateElement& element : model.elements) {
    svg += "<polygon points=\"";
    for (const int node : element.nodes) {
      const PlateNode& at = model.nodes[node - 1];
      svg += px(layout.canvas_x(at.x)) + "," + px(layout.canvas_y(at.y)) + " ";
    }
    svg.back() = '"';
    svg += "/>\n";
  }
  svg += "</g>\n";
}

// Node numbers beside the nodes, small and grey.
void append_node_numbers(std::string& svg, const MapLayout& layout, const PlateModel& model,
                         const std::vector<bool>& used) {
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    if (used[n]) {
      svg +=
          text_element(layout.canvas_x(model.nodes[n].x) + 4, layout.canvas_y(model.nodes[n].y) - 4,
                       "start", 9, std::to_string(n + 1), " fill=\"#555555\"");
    }
  }
}

// Every nodal force of every load case: an orange dot at its node and "F kN (case)" beside it,
// the loads of one node on one label.
void append_nodal_loads(std::string& svg, const MapLayout& layout, const PlateModel& model,
                        const std::vector<bool>& used) {
  std::map<int, std::string> labels;
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    for (const PlateLoad& load : model.load_cases[c].loads) {
      if (load.type == 1 && load.node >= 1 && static_cast<std::size_t>(load.node) <= used.size() &&
          used[load.node - 1]) {
        std::string& label = labels[load.node];
        label += (label.empty() ? "" : ", ") + short_text(load.values[0], 6) + " kN (" +
                 std::to_string(c + 1) + ")";
      }
    }
  }
  for (const auto& [node, label] : labels) {
    const double x = layout.canvas_x(model.nodes[node - 1].x);
    const double y = layout.canvas_y(model.nodes[node - 1].y);
    svg += "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) +
           "\" r=\"6\" fill=\"#ef6c00\" stroke=\"#000000\" stroke-width=\"1\"/>\n";
    const bool to_the_left = x + 16 + 7.4 * label.size() > layout.bar_left() - 8;
    svg += boxed_text(to_the_left ? x - 8 : x + 8, y + 18, to_the_left, label);
  }
}

// The nodes of the map without a value (NaN).
std::vector<std::size_t> unvalued_nodes(const Field& field, const std::vector<bool>& used) {
  std::vector<std::size_t> nodes;
  for (std::size_t n = 0; n < field.values.size(); ++n) {
    if (used[n] && std::isnan(field.values[n])) {
      nodes.push_back(n);
    }
  }
  return nodes;
}

// The field as its bands are drawn: a node without a value takes the top level.
Field drawn_field(const Field& field, const std::vector<std::size_t>& unvalued,
                  const ContourScale& scale) {
  Field drawn = field;
  for (const std::size_t n : unvalued) {
    drawn.values[n] = scale.levels.back();
  }
  return drawn;
}

// A red cross on each node without a value and, under the subtitle, what the cross means.
void append_unvalued(std::string& svg, const MapLayout& layout, const PlateModel& model,
                     const std::vector<std::size_t>& unvalued, const std::string& legend) {
  if (unvalued.empty()) {
    return;
  }
  std::string path;
  for (const std::size_t n : unvalued) {
    const double x = layout.canvas_x(model.nodes[n].x);
    const double y = layout.canvas_y(model.nodes[n].y);
    path += "M" + px(x - 6) + "," + px(y - 6) + "l12,12M" + px(x - 6) + "," + px(y + 6) + "l12,-12";
  }
  svg += "<path d=\"" + path + "\" stroke=\"#ffffff\" stroke-width=\"4.5\"/>\n";
  svg += "<path d=\"" + path + "\" stroke=\"#c62828\" stroke-width=\"2.5\"/>\n";
  svg += text_element(left_margin, 67, "start", 12,
                      "\u00d7 " + std::to_string(unvalued.size()) + " node" +
                          (unvalued.size() == 1 ? "" : "s") + ": " + legend,
                      " fill=\"#c62828\" font-weight=\"bold\"");
}

void write_contour_map(std::ostream& out, const PlateModel& model, const Field& field,
                       const MapHeading& heading, bool diverging) {
  const std::vector<bool> used = mapped_nodes(model);
  const MapLayout layout = map_layout(model, used);
  double lowest = 0;
  double highest = 0;
  bool first = true;
  for (std::size_t n = 0; n < field.values.size(); ++n) {
    // A value beyond single precision (an unstable model) is drawn in the end band.
    if (used[n] && std::isfinite(field.values[n])) {
      lowest = first ? field.values[n] : std::min(lowest, field.values[n]);
      highest = first ? field.values[n] : std::max(highest, field.values[n]);
      first = false;
    }
  }
  const ContourScale scale = contour_scale(lowest, highest, diverging);

  std::string svg = svg_opening(layout, heading);
  const std::vector<std::size_t> unvalued = unvalued_nodes(field, used);
  const Field& drawn = unvalued.empty() ? field : drawn_field(field, unvalued, scale);
  if (model.elements.size() > most_drawn_elements) {
    append_rasterised_bands(svg, layout, model, drawn, scale);
  } else {
    append_bands(svg, layout, model, drawn, scale);
  }
  append_edges(svg, layout, model);
  append_supports(svg, layout, model, used);
  append_colour_bar(svg, layout, scale, field.unit);
  append_warning_banner(svg, layout, heading.warning);
  append_extremes(svg, layout, model, used, field);
  append_unvalued(svg, layout, model, unvalued, heading.unvalued);
  svg += "</svg>\n";
  out << svg;
}

void write_model_map(std::ostream& out, const PlateModel& model, const MapHeading& heading) {
  const std::vector<bool> used = mapped_nodes(model);
  const MapLayout layout = map_layout(model, used);
  std::string svg = svg_opening(layout, heading);
  append_plate(svg, layout, model);
  append_edges(svg, layout, model);
  append_supports(svg, layout, model, used);
  if (model.nodes.size() <= largest_numbered_model) {
    append_node_numbers(svg, layout, model, used);
  }
  append_nodal_loads(svg, layout, model, used);
  svg += "</svg>\n";
  out << svg;
}

}  // namespace lajefem
