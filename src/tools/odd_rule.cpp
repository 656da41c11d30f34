#include "tools/odd_rule.hpp"

#include <optional>
#include <ostream>

#include "checking/mechanisms.hpp"
#include "meshing/data_file_writer.hpp"
#include "meshing/support_pairs.hpp"
#include "tools/tool_errors.hpp"

namespace lajefem::tools {

namespace {

std::vector<meshing::SupportPair> even_pairs(const PlateModel& model,
                                             const std::vector<int>& points) {
  std::vector<meshing::SupportPair> even;
  for (const meshing::SupportPair& pair : meshing::neighbouring_supports(model, points)) {
    if (pair.elements % 2 == 0) {
      even.push_back(pair);
    }
  }
  return even;
}

std::string node_place(const PlateModel& model, int node) {
  const PlateNode& at = model.nodes[static_cast<std::size_t>(node) - 1];
  return "(" + meshing::real_text(at.x) + ", " + meshing::real_text(at.y) + ")";
}

// "the point supports at (6, 0) and (12, 0) are 4 elements apart, at (0, 6) and ... and 2 more
// pairs, along the element sides, an even number"
std::string pairs_text(const PlateModel& model, const std::vector<meshing::SupportPair>& pairs) {
  constexpr std::size_t most_told = 4;
  std::string text = "the point supports";
  for (std::size_t k = 0; k < pairs.size() && k < most_told; ++k) {
    text += (k == 0 ? " at " : ", at ") + node_place(model, pairs[k].first) + " and " +
            node_place(model, pairs[k].second) + " are " + std::to_string(pairs[k].elements) +
            " elements apart";
  }
  if (pairs.size() > most_told) {
    text += " and " + std::to_string(pairs.size() - most_told) + " more pairs";
  }
  return text + " along the element sides, an even number";
}

// The check's mechanism findings in words, "; " between them: empty when it finds the
// checkerboard (and every other motion) held.
std::string unheld_motions(const PlateModel& model) {
  const std::optional<Findings> findings = model_mechanisms(model);
  if (!findings) {
    return "the check could not form the stiffness to see whether the pattern is held";
  }
  return joined_messages(*findings);
}

}  // namespace

bool check_odd_rule(const PlateModel& model, const std::vector<int>& points, bool allow_spurious,
                    const std::string& subject, const std::string& command, ToolStreams& streams) {
  const std::vector<meshing::SupportPair> even = even_pairs(model, points);
  if (even.empty()) {
    return false;
  }
  const std::string pairs = pairs_text(model, even);
  const std::string unheld = unheld_motions(model);
  if (unheld.empty()) {
    streams.err << "lajefem-tools " << command << ": note: " << pairs
                << ", but the model check finds the element's checkerboard held by the "
                   "supports as a whole\n";
    return true;
  }
  const std::string text =
      pairs + ", and the model check does not find the element's checkerboard held: " + unheld;
  if (!allow_spurious) {
    throw InputError(subject + text + " (give --allow-spurious to write the model anyway)");
  }
  streams.err << "lajefem-tools " << command << ": warning: " << text << '\n';
  return true;
}

}  // namespace lajefem::tools
