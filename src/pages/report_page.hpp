// The report page of an export: one self-contained HTML file (inline SVG and CSS, no script,
// nothing fetched) that shows the model, the model check's findings and, for each load case or
// combination, its equilibrium, extremes, reactions and maps, readable on screen and printable.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "checking/findings.hpp"
#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/reinforcement.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/section_totals.hpp"

namespace lajefem {

// One set of results on the page.
struct PageCase {
  const CaseFields* fields = nullptr;
  std::string label;        // heading: "Load case 1", "Combination ULS"
  std::string table_case;   // its value in the case column of NAME-nodes.csv: "1", "ULS"
  double applied_load = 0;  // total vertical load, kN along +w
};

struct ReportPage {
  std::string name;  // the data file's name without its extension
  WDirection direction = WDirection::up;
  std::vector<PageCase> cases;
  std::vector<const Envelope*> envelopes;  // each with its table NAME-TAG.csv
  std::optional<ReinforcementParameters> reinforcement;
  Findings findings;
  std::vector<SectionTotal> sections;  // the rows of NAME-sections.csv, when cuts are asked for
  std::string warning;  // shown as a red banner at the top and on every map when not empty
};

// The page for `model`. Every result number is written with the text NAME-nodes.csv (or the
// envelope's table) gives it.
void write_report_page(std::ostream& out, const PlateModel& model, const ReportPage& page);

}  // namespace lajefem
