// Data files for the reader tests: the one-element example plate, line by line, so that a test
// can cut it, change one line or insert lines.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/data_reader.hpp"
#include "model/model_store.hpp"

namespace lajefem::testing {

// A square element of 4 m x 4 m on two supports, one nodal load of -10 kN on node 3.
inline std::vector<std::string> example_lines() {
  return {
      "LAJEFEM - um elemento, dois apoios",  // 1
      "Titulo",                              // 2
      "PLACA1",                              // 3
      "Material: E (GPa), Poisson, espessura (m)",
      "30.0  0.2  0.15",  // 5
      "Nos, elementos, apoios",
      "4  1  2",  // 7
      "Coordenadas dos nos",
      "No  X  Y",
      "1  0.0  0.0",  // 10
      "2  4.0  0.0",
      "3  4.0  4.0",
      "4  0.0  4.0",
      "Elementos",
      "Num Tipo N1 N2 N3 N4",  // 15
      "1  1  1  2  3  4",
      "Apoios",
      "Num No Kw Ktx Kty",
      "1  1  1000.0  1000.0  1000.0",
      "2  2  1000.0  0.0  0.0",  // 20
      "Casos de carga",
      "Num casos, cargas por caso",
      "1  1",
      "Cargas",
      "Caso 1",  // 25
      "Num Tipo No/Elem",
      "1  1  3",
      "-10.0  0.0  0.0  0.0  0.0  0.0  0.0  0.0",
      "Ficheiro de resultados",
      "placa1.res",  // 30
  };
}

// The example with its load part (lines 23..28) replaced by four load cases of one load each.
inline std::vector<std::string> four_case_lines() {
  std::vector<std::string> lines = example_lines();
  std::vector<std::string> loads = {"4  1 1 1 1", "Cargas"};
  for (int c = 1; c <= 4; ++c) {
    loads.insert(loads.end(),
                 {"Caso " + std::to_string(c), "Num Tipo No", "1  1  " + std::to_string(c),
                  std::to_string(-c) + ".0  0 0 0 0 0 0 0"});
  }
  lines.erase(lines.begin() + 22, lines.begin() + 28);
  lines.insert(lines.begin() + 22, loads.begin(), loads.end());
  return lines;
}

// The lines joined with line ends; the first `count` lines only when count >= 0.
inline std::string joined(const std::vector<std::string>& lines, int count = -1) {
  std::string text;
  const std::size_t used = count < 0 ? lines.size() : static_cast<std::size_t>(count);
  for (std::size_t i = 0; i < used && i < lines.size(); ++i) {
    text += lines[i] + "\n";
  }
  return text;
}

// The lines with line `number` (from 1) replaced.
inline std::vector<std::string> with_line(std::vector<std::string> lines, int number,
                                          const std::string& content) {
  lines.at(static_cast<std::size_t>(number) - 1) = content;
  return lines;
}

struct ReadResult {
  std::unique_ptr<ModelStore> store;
  DataFault fault;
};

// Reads a data file as the run driver does: the title preset to the typed name, code 0.
inline ReadResult read_text(const std::string& text) {
  ReadResult result{make_model_store(), {}};
  result.store->title = "placa1.dat  ";
  std::istringstream data(text);
  read_data_file(data, *result.store, result.fault);
  return result;
}

}  // namespace lajefem::testing
