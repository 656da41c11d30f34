// The summary an engineer reads first: per load case and combination the equilibrium of loads and
// reactions, the largest deflection and the extremes of the moments, each with its node and
// coordinates.
#pragma once

#include <iosfwd>
#include <vector>

#include "model/plate_model.hpp"
#include "postprocessing/design_moments.hpp"
#include "postprocessing/envelopes.hpp"
#include "postprocessing/result_fields.hpp"
#include "postprocessing/section_totals.hpp"

namespace lajefem {

// Total vertical load of a case (0-based), kN along +w: nodal forces plus each distributed load
// times the plate's area.
double applied_vertical_load(const PlateModel& model, std::size_t load_case);

// Total vertical load of a set, kN along +w: the load cases' totals times their factors.
double applied_set_load(const PlateModel& model, const CaseFields& fields);

// Sum of the w-reactions over the supported nodes, kN along +w (a node held by two support
// records counts once).
double reaction_sum(const CaseFields& fields);

void write_summary(std::ostream& out, const PlateModel& model, const std::vector<CaseFields>& cases,
                   WDirection direction);

// An envelope's section: for each of its maps' fields (w, the Wood–Armer moments) the extreme
// value over the nodes, its node and coordinates, and the set that governs it there.
void write_envelope_summary(std::ostream& out, const PlateModel& model, const Envelope& envelope,
                            WDirection direction);

// A line per cut, strip and case: "x = 6, y 0..18, case 1 (nodal forces): moment 720.378 kN·m,
// twisting 0 kN·m, shear 768.063 kN"; nothing when there are no cuts.
void write_section_summary(std::ostream& out, const std::vector<SectionTotal>& totals);

}  // namespace lajefem
