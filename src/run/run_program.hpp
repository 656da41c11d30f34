// The whole life of one run: banner, file-name prompt, the ten announced steps, the stops.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>

#include "report/results_report.hpp"

namespace lajefem {

struct RunEnvironment {
  std::istream& console_in;
  std::ostream& console_out;
  std::filesystem::path folder;         // where "ZLIXO", the data and results files are
  std::function<CalendarDate()> today;  // the date printed at the head of the report
};

// The user's console, the working folder and the local calendar date.
RunEnvironment console_environment();

// Runs one analysis; returns the exit status: 0 after a complete run, 1 after any stop.
int run_program(const RunEnvironment& environment);

}  // namespace lajefem
