#include "postprocessing/reinforcement_fields.hpp"

#include <cmath>
#include <limits>

namespace lajefem {

namespace {

constexpr const char* area_unit = "cm²/m";

Field area_field(const std::string& name, std::size_t rows) {
  return {name, name, area_unit, false, std::vector<double>(rows, 0.0)};
}

}  // namespace

const std::vector<BarLayer>& bar_layers() {
  static const std::vector<BarLayer> layers{{"Mx_bottom", "As_x_bottom", true},
                                            {"My_bottom", "As_y_bottom", false},
                                            {"Mx_top", "As_x_top", true},
                                            {"My_top", "As_y_top", false}};
  return layers;
}

void append_reinforcement_fields(FieldTable& nodes, const ReinforcementParameters& parameters,
                                 double thickness) {
  const EffectiveDepths depths = effective_depths(parameters, thickness);
  const std::size_t rows = field_named(nodes, "w").values.size();
  FieldTable provided;
  FieldTable required;
  Field too_thin = area_field("too_thin", rows);
  too_thin.unit = "layers";
  for (const BarLayer& layer : bar_layers()) {
    const std::vector<double>& moments = field_named(nodes, layer.moment).values;
    Field provide = area_field(layer.area, rows);
    Field need = area_field(std::string(layer.area) + "_req", rows);
    for (std::size_t n = 0; n < rows; ++n) {
      const LayerDesign design =
          layer_design(std::fabs(moments[n]), layer.x_bars ? depths.x : depths.y, parameters);
      constexpr double no_area = std::numeric_limits<double>::quiet_NaN();
      provide.values[n] = design.too_thin ? no_area : design.provide;
      need.values[n] = design.too_thin ? no_area : design.required;
      too_thin.values[n] += design.too_thin ? 1 : 0;
    }
    provided.push_back(std::move(provide));
    required.push_back(std::move(need));
  }
  for (Field& field : provided) {
    nodes.push_back(std::move(field));
  }
  for (Field& field : required) {
    nodes.push_back(std::move(field));
  }
  for (const bool x_bars : {true, false}) {
    Field minimum = area_field(x_bars ? "As_x_min" : "As_y_min", rows);
    minimum.values.assign(rows, layer_design(0, x_bars ? depths.x : depths.y, parameters).minimum);
    nodes.push_back(std::move(minimum));
  }
  nodes.push_back(std::move(too_thin));
}

namespace {

// The area to provide for a moment, NaN where the slab is too thin.
double provided_area(double moment, double depth, const ReinforcementParameters& parameters) {
  const LayerDesign design = layer_design(std::fabs(moment), depth, parameters);
  return design.too_thin ? std::numeric_limits<double>::quiet_NaN() : design.provide;
}

}  // namespace

void append_envelope_reinforcement(Envelope& envelope, const ReinforcementParameters& parameters,
                                   double thickness) {
  const EffectiveDepths depths = effective_depths(parameters, thickness);
  const std::size_t rows = envelope_field(envelope, "w").greatest.size();
  EnvelopeField too_thin{"too_thin",
                         "too_thin",
                         "layers",
                         false,
                         std::vector<double>(rows, 0.0),
                         std::vector<double>(rows, 0.0),
                         std::vector<std::size_t>(rows, 0),
                         std::vector<std::size_t>(rows, 0)};
  std::vector<bool> thin_by_set(rows, false);
  std::vector<bool> thin_least_by_set(rows, false);
  std::vector<EnvelopeField> areas;
  for (const BarLayer& layer : bar_layers()) {
    const EnvelopeField& moment = envelope_field(envelope, layer.moment);
    // Bottom moments are ≥ 0 and top moments ≤ 0: the largest in size is the greatest bottom
    // value and the least top value.
    const bool bottom = std::string(layer.moment).ends_with("_bottom");
    const std::vector<double>& largest = bottom ? moment.greatest : moment.least;
    const std::vector<double>& smallest = bottom ? moment.least : moment.greatest;
    const std::vector<std::size_t>& largest_by = bottom ? moment.greatest_by : moment.least_by;
    const std::vector<std::size_t>& smallest_by = bottom ? moment.least_by : moment.greatest_by;
    const double depth = layer.x_bars ? depths.x : depths.y;
    EnvelopeField area{layer.area, layer.area, "cm²/m", false, {}, {}, largest_by, smallest_by};
    for (std::size_t n = 0; n < rows; ++n) {
      area.greatest.push_back(provided_area(largest[n], depth, parameters));
      area.least.push_back(provided_area(smallest[n], depth, parameters));
      if (std::isnan(area.greatest[n])) {
        too_thin.greatest[n] += 1;
        too_thin.greatest_by[n] = thin_by_set[n] ? too_thin.greatest_by[n] : largest_by[n];
        thin_by_set[n] = true;
      }
      if (std::isnan(area.least[n])) {
        too_thin.least[n] += 1;
        too_thin.least_by[n] = thin_least_by_set[n] ? too_thin.least_by[n] : smallest_by[n];
        thin_least_by_set[n] = true;
      }
    }
    areas.push_back(std::move(area));
  }
  for (EnvelopeField& area : areas) {
    envelope.fields.push_back(std::move(area));
  }
  envelope.fields.push_back(std::move(too_thin));
}

}  // namespace lajefem
