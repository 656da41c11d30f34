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

}  // namespace lajefem
