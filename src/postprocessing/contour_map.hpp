// Contour maps of a nodal field as SVG pictures: filled bands interpolated within each element,
// element edges, the plate outline, supports by kind, the extremes, a colour bar and a heading.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "geometry/plane_geometry.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/nodal_values.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// The band limits of a map: levels L0 < L1 < ... < Lm at round steps (1, 2, 2.5 or 5 times a
// power of ten) covering the field. A signed quantity (a moment) gets limits symmetric about zero
// and the diverging colours; a deflection or a design moment gets a range from zero and the
// sequential colours. A zero field gets one band, L0 = L1 = 0, in the neutral colour.
struct ContourScale {
  std::vector<double> levels;
  bool diverging = false;
  double step = 0;  // distance between levels (0 for a zero field)
};

// (−7.3, 12.1, diverging) -> −14, −12, ..., 14 (steps near an eighth of the largest value);
// (0.3, 9.3, sequential) -> 0, 1, ..., 10; (−8.6, 1e-9, sequential) -> −9, −8, ..., 0.
ContourScale contour_scale(double lowest, double highest, bool diverging);

// The band of a value, values beyond the end levels in the end bands.
std::size_t band_of(const ContourScale& scale, double value);

// The colour of band k of a scale, "#rrggbb": the map at t = (k + 1/2)/m; the diverging map is
// centred on zero (its middle colour at level 0).
std::string band_colour(const ContourScale& scale, std::size_t band);

// A corner of a band piece: position and field value.
struct FieldPoint {
  double x = 0;
  double y = 0;
  double value = 0;
};

// One filled piece of a band: a convex polygon over which the field lies within the band.
struct BandPiece {
  std::size_t band = 0;
  std::vector<FieldPoint> corners;
};

// The pieces of every band over one element: its four triangles about the centre (where the value
// is the mean of the corners), each cut along the levels. A whole element within one band is one
// piece. The pieces cover the element without overlap.
std::vector<BandPiece> element_band_pieces(const std::array<FieldPoint, 4>& corners,
                                           const ContourScale& scale);

// The heading of a map: the title line (model title, load case, field, unit) and a line saying
// what the field is; a warning, when there is one, is drawn as a red banner across the plate.
// Nodes without a value (NaN) are drawn in the top band and crossed in red, and `unvalued`
// says in red under the subtitle what the cross means.
struct MapHeading {
  std::string title;
  std::string subtitle;
  std::string warning;
  std::string unvalued = "no value";
};

// A mesh of more elements than this is drawn without its element edges, its bands sampled on a
// grid of one-pixel cells and each band one path of merged cells: the picture's size then follows
// the picture, not the mesh (at 10 000 elements an element is some six pixels across).
constexpr std::size_t most_drawn_elements = 10000;

// The whole SVG picture of one nodal field over the mesh, on a diverging or sequential scale.
void write_contour_map(std::ostream& out, const PlateModel& model, const Field& field,
                       const MapHeading& heading, bool diverging);

// The model as a picture on the maps' layout: the plate, its mesh and outline, the supports by
// kind, node numbers (up to 120 nodes) and each nodal force with its load case.
void write_model_map(std::ostream& out, const PlateModel& model, const MapHeading& heading);

}  // namespace lajefem
