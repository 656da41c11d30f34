// The results report: date, input echo, displacements, element results, corner displacements
// and support reactions, in fixed columns, Latin-1.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

struct CalendarDate {
  int day = 1;      // 1..31
  int month = 1;    // 1..12
  int year = 2000;  // four digits
};

// Sets the run-date scalars from today and writes the whole report to out.
void write_results_report(ModelStore& store, const CalendarDate& today, std::ostream& out);

}  // namespace lajefem
