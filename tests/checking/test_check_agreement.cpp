// The check agrees with the run: for every example, for small faulty and weak models, and for
// the reference corpus, lajefem stops exactly when check has an error, and no error of check
// says that a complete run stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "checking/findings.hpp"
#include "checking/model_check.hpp"
#include "tests/run/run_harness.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

const fs::path source_dir = LAJEFEM_SOURCE_DIR;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

Findings check_file(const fs::path& path) {
  std::ifstream data(path, std::ios::binary);
  return check_data_file(data, path);
}

bool says_the_run_stops(const Finding& finding) {
  return finding.severity == Severity::error &&
         finding.message.find("run stops") != std::string::npos;
}

std::string codes_text(const Findings& findings) {
  std::string text;
  for (const Finding& finding : findings) {
    text += std::string(severity_name(finding.severity)) + " " + finding.code + "; ";
  }
  return text;
}

struct Agreement {
  bool run_stopped = false;
  Findings findings;
};

// The data file checked in a fresh folder, then run there by lajefem.
Agreement check_and_run(const std::string& data) {
  testing::TempFolder folder;
  folder.write("dados", data);
  Agreement agreement;
  agreement.findings = check_file(folder.path() / "dados");
  agreement.run_stopped = testing::run_in(folder, "dados\n").status != 0;
  return agreement;
}

// An error about a run that completes says that its numbers cannot be used (the element's
// spurious checkerboard dominates them), never that it stops.
bool faults_a_complete_run(const Finding& finding) {
  return finding.code == "mechanism-soft-spurious";
}

bool has_stop_errors(const Findings& findings) {
  return std::any_of(findings.begin(), findings.end(), [](const Finding& finding) {
    return finding.severity == Severity::error && !faults_a_complete_run(finding);
  });
}

void expect_agreement(const Agreement& agreement, const std::string& what) {
  EXPECT_EQ(has_stop_errors(agreement.findings), agreement.run_stopped)
      << what << ": " << codes_text(agreement.findings);
  if (!agreement.run_stopped) {
    EXPECT_FALSE(
        std::any_of(agreement.findings.begin(), agreement.findings.end(), says_the_run_stops))
        << what << ": " << codes_text(agreement.findings);
  }
}

TEST(CheckAgreesWithTheRun, OnEveryExample) {
  int examples = 0;
  for (const auto& entry : fs::directory_iterator(source_dir / "examples")) {
    if (entry.path().has_extension()) {
      continue;  // meshes and their scripts
    }
    expect_agreement(check_and_run(testing::read_file(entry.path())),
                     entry.path().filename().string());
    ++examples;
  }
  EXPECT_GE(examples, 7);
}

const std::string d01 = testing::read_file(source_dir / "examples" / "d01");

// Each model: how lajefem ends, and the finding of check that goes with it.
TEST(CheckAgreesWithTheRun, OnFaultyAndWeakModels) {
  const std::string extra_node = replaced(replaced(d01, "25 16 16", "26 16 16"),
                                          "25 6.0000 6.0000\n", "25 6.0000 6.0000\n26 9.0 9.0\n");
  std::string unsupported = replaced(d01, "25 16 16", "25 16 0");
  unsupported.erase(unsupported.find("1 1 1.0E6"),
                    unsupported.find("CARGAS") - unsupported.find("1 1 1.0E6"));
  std::string no_loads = replaced(d01, "\n1 1\n", "\n1 -1\n");
  no_loads.erase(no_loads.find("1 2 0\n"), std::string("1 2 0\n-10.0 0 0 0 0 0 0 0\n").size());
  // Nodes held by springs alone, no element: the run goes through.
  const std::string springs_only =
      "molas\n\n'MOLAS'\nmaterial\n30 0.2 0.2\ncontagens\n2 -1 2\nnos\nno x y\n1 0 0\n2 1 0\n"
      "elementos\nnum tipo cantos\napoios\nnum no kw ktx kty\n1 1 1 1 1\n2 2 1 1 1\ncargas\n"
      "casos cargas\n-1\n----\nRESULTADOS\nmolas.res\n";
  const struct {
    const char* model;
    std::string data;
    bool stops;
    const char* code;  // the finding that says why, or that warns of the model's weakness
  } rows[] = {
      {"sound plate", d01, false, ""},
      {"results file named as the data file", replaced(d01, "\nd01.res", "\ndados"), true,
       "data-error"},
      {"results file named ZLIXO", replaced(d01, "\nd01.res", "\nZLIXO"), true, "data-error"},
      {"results file named ./ZLIXO", replaced(d01, "\nd01.res", "\n'./ZLIXO'"), true, "data-error"},
      {"results file named . (the folder)", replaced(d01, "\nd01.res", "\n./ZLIXO"), true,
       "results-file"},
      {"results file in a missing folder", replaced(d01, "\nd01.res", "\n'nada/d01.res'"), true,
       "results-file"},
      {"a letter in a coordinate", replaced(d01, "2 1.5000 0.0000", "2 1.5O00 0.0000"), true,
       "data-error"},
      {"a very weak plate (E 0.53 GPa, t 0.8 mm)",
       replaced(d01, "30.0 0.2 0.15", "0.53 0.2 0.0008"), true, "solver-pivot"},
      {"a collapsed quadrilateral (a triangle)", replaced(d01, "1 1 1 2 7 6", "1 1 1 2 7 7"), false,
       "degenerate-element"},
      {"corners clockwise", replaced(d01, "1 1 1 2 7 6", "1 1 1 6 7 2"), true, "invalid-geometry"},
      {"unknown element type", replaced(d01, "1 1 1 2 7 6", "1 7 1 2 7 6"), true, "element-type"},
      {"unknown load type", replaced(d01, "1 2 0", "1 5 0"), true, "load-type"},
      {"a node without element or spring", extra_node, true, "mechanism-local"},
      {"no supports", unsupported, true, "mechanism-rigid"},
      {"negative counts: springs alone", springs_only, false, "unused-node"},
      {"support count -1", replaced(unsupported, "25 16 0", "25 16 -1"), true, "mechanism-rigid"},
      {"loads of case 1: -1", no_loads, false, "empty-load-case"},
  };
  for (const auto& row : rows) {
    const Agreement agreement = check_and_run(row.data);
    EXPECT_EQ(agreement.run_stopped, row.stops) << row.model;
    expect_agreement(agreement, row.model);
    if (*row.code != '\0') {
      EXPECT_TRUE(std::any_of(agreement.findings.begin(), agreement.findings.end(),
                              [&](const Finding& finding) { return finding.code == row.code; }))
          << row.model << ": " << codes_text(agreement.findings);
    }
  }
}

// The reference corpus (the folder corpus/ of LAJEFEM_REFERENCE_RUNS): a case whose reference run
// stopped (exit status 1) is one where check has an error, and no other.
TEST(CheckAgreesWithTheRun, OverTheReferenceCorpus) {
  const fs::path corpus = fs::path(LAJEFEM_REFERENCE_RUNS) / "corpus";
  if (!fs::is_directory(corpus)) {
    GTEST_SKIP() << "no reference corpus at " << corpus
                 << " (configure with -DLAJEFEM_REFERENCE_RUNS=FOLDER, the folder that holds "
                    "corpus/)";
  }
  int stopped = 0;
  int complete = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    const bool run_stopped = testing::read_file(entry.path() / "exit_status.txt") == "1\n";
    testing::TempFolder folder;  // the reference run's folder held the data file alone
    folder.write(name + ".dat", testing::read_file(entry.path() / (name + ".dat")));
    Agreement agreement{run_stopped, check_file(folder.path() / (name + ".dat"))};
    expect_agreement(agreement, name);
    ++(run_stopped ? stopped : complete);
  }
  EXPECT_GT(stopped, 0);
  EXPECT_GT(complete, 0);
}

}  // namespace
}  // namespace lajefem
