// The reinforcement areas of every node as fields beside its design moments: for each face and
// bar direction the area to provide, the required area and the minimum, in cm²/m, and the
// count of bar layers the slab is too thin for.
#pragma once

#include <string>
#include <vector>

#include "postprocessing/envelopes.hpp"
#include "postprocessing/reinforcement.hpp"
#include "postprocessing/result_fields.hpp"

namespace lajefem {

// A layer of bars: its design moment field and the name of its area fields.
struct BarLayer {
  const char* moment;  // "Mx_bottom"
  const char* area;    // "As_x_bottom"
  bool x_bars = true;  // the outer layer, at depth d_x
};

// The four layers: x and y bars of the bottom face, then of the top face.
const std::vector<BarLayer>& bar_layers();

// Appends As_x_bottom, As_y_bottom, As_x_top, As_y_top (to provide), the same with "_req"
// (required), As_x_min, As_y_min and too_thin (0 to 4 layers) to a node table that holds the
// design moments. A layer too thin for tension bars alone has no area: its provided and required
// values are NaN.
void append_reinforcement_fields(FieldTable& nodes, const ReinforcementParameters& parameters,
                                 double thickness);

// Appends the areas to provide of the four layers and too_thin to an envelope. The area grows
// with the moment, so a layer's greatest area is the area of its greatest design moment (the
// greatest bottom, the least top moment) and is governed by the same set; its least area that
// of the smallest moment. too_thin counts the layers too thin at those moments, governed by the
// set of the first such layer.
void append_envelope_reinforcement(Envelope& envelope, const ReinforcementParameters& parameters,
                                   double thickness);

}  // namespace lajefem
