// Data files of plate models for the check tests.
#pragma once

#include <sstream>
#include <string>

#include "model/plate_model.hpp"

namespace lajefem::test {

// The data file of a model, one statement per line, under the headings the reader skips.
inline std::string data_file_text(const PlateModel& model) {
  std::ostringstream text;
  text << "teste\nTitulo\n'" << model.title << "'\nMaterial\n"
       << model.elastic_modulus_gpa << " " << model.poisson_ratio << " " << model.thickness
       << "\nContagens\n"
       << model.nodes.size() << " " << model.elements.size() << " " << model.supports.size()
       << "\nNos\nno x y\n";
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    text << n + 1 << " " << model.nodes[n].x << " " << model.nodes[n].y << "\n";
  }
  text << "Elementos\nnum tipo n1 n2 n3 n4\n";
  for (std::size_t e = 0; e < model.elements.size(); ++e) {
    const auto& corners = model.elements[e].nodes;
    text << e + 1 << " " << model.elements[e].type << " " << corners[0] << " " << corners[1] << " "
         << corners[2] << " " << corners[3] << "\n";
  }
  text << "Apoios\nnum no kw ktx kty\n";
  for (std::size_t s = 0; s < model.supports.size(); ++s) {
    const PlateSupport& support = model.supports[s];
    text << s + 1 << " " << support.node << " " << support.spring_w << " " << support.spring_theta_x
         << " " << support.spring_theta_y << "\n";
  }
  text << "Cargas\ncasos cargas\n" << model.load_cases.size();
  for (const LoadCase& load_case : model.load_cases) {
    text << " " << load_case.loads.size();
  }
  text << "\n----\n";
  for (std::size_t c = 0; c < model.load_cases.size(); ++c) {
    text << "CASO " << c + 1 << "\nnum tipo no\n";
    const auto& loads = model.load_cases[c].loads;
    for (std::size_t k = 0; k < loads.size(); ++k) {
      text << k + 1 << " " << loads[k].type << " " << loads[k].node << "\n";
      for (const float value : loads[k].values) {
        text << value << " ";
      }
      text << "\n";
    }
  }
  text << "Resultados\n" << model.results_name << "\n";
  return text.str();
}

}  // namespace lajefem::test
