// The model check: each code fires on a model made for it, the examples and sound models stay
// clean, mechanisms are told apart on the classic support layouts, and the JSON form reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "checking/findings.hpp"
#include "checking/mechanisms.hpp"
#include "checking/model_check.hpp"
#include "plate_files.hpp"
#include "tests/common/plate_grid.hpp"

namespace lajefem {
namespace {

using test::data_file_text;
using test::grid_node;
using test::grid_plate;

std::string file_contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The check of a data file's text, as if it lay in the temporary folder.
Findings check_text(const std::string& text) {
  std::istringstream data(text);
  return check_data_file(data, ::testing::TempDir() + "dados");
}

std::string example(const std::string& name) {
  return file_contents(std::string(LAJEFEM_SOURCE_DIR) + "/examples/" + name);
}

void add_w_support(PlateModel& model, int node, float w = 1e6f, float theta = 0) {
  model.supports.push_back({node, w, theta, theta});
}

// nx × ny elements over 6 m × 6 m on w springs at the four corners.
PlateModel corner_columns(int nx, int ny) {
  PlateModel model = grid_plate(nx, ny, 6, 6);
  for (const int j : {0, ny}) {
    for (const int i : {0, nx}) {
      add_w_support(model, grid_node(nx, i, j));
    }
  }
  return model;
}

// The edge x = 0 of a 6 × 6 mesh on springs: w only, or w, θx and θy (clamped).
PlateModel held_along_one_edge(float theta_spring) {
  PlateModel model = grid_plate(6, 6, 6, 6);
  for (int j = 0; j <= 6; ++j) {
    add_w_support(model, grid_node(6, 0, j), 1e6f, theta_spring);
  }
  return model;
}

// 4 × 4 elements over lx × ly m on w springs along the whole boundary.
PlateModel simply_supported(float lx = 6, float ly = 6) {
  PlateModel model = grid_plate(4, 4, lx, ly);
  for (int j = 0; j <= 4; ++j) {
    for (int i = 0; i <= 4; ++i) {
      if (i == 0 || j == 0 || i == 4 || j == 4) {
        add_w_support(model, grid_node(4, i, j));
      }
    }
  }
  return model;
}

// Two 2 × 2 blocks joined only at one corner node, the first clamped along x = 0: the second
// keeps its checkerboard pattern with a vertical shift, pinned at the joint.
PlateModel blocks_joined_at_a_corner() {
  PlateModel model = grid_plate(2, 2, 2, 2);
  for (int j = 0; j <= 2; ++j) {
    for (int i = 0; i <= 2; ++i) {
      if (i != 0 || j != 0) {
        model.nodes.push_back({2.0f + static_cast<float>(i), 2.0f + static_cast<float>(j)});
      }
    }
  }
  // Node of point (i, j) of the second block: the joint is node 9, the others follow it.
  const auto second = [](int i, int j) { return i == 0 && j == 0 ? 9 : 9 + i + 3 * j; };
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 2; ++i) {
      model.elements.push_back(
          {1, {second(i, j), second(i + 1, j), second(i + 1, j + 1), second(i, j + 1)}});
    }
  }
  for (int j = 0; j <= 2; ++j) {
    add_w_support(model, grid_node(2, 0, j), 1e6f, 1e6f);
  }
  return model;
}

// 9 × 1 elements over 9 m × 1 m on w springs along both short ends: the elements' twist and
// checkerboard patterns join along the single row.
PlateModel strip_on_its_ends() {
  PlateModel model = grid_plate(9, 1, 9, 1);
  for (const int i : {0, 9}) {
    for (const int j : {0, 1}) {
      add_w_support(model, grid_node(9, i, j));
    }
  }
  return model;
}

std::string with_replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

std::string text_of(PlateModel model) {
  return data_file_text(model);
}

struct FindingCase {
  const char* code;
  Severity severity;
  std::string data;
};

std::vector<FindingCase> finding_cases() {
  const PlateModel sound = simply_supported();
  PlateModel strip = grid_plate(45, 1, 45, 1);  // numbered along its length: band 144
  PlateModel five_cases = sound;
  five_cases.load_cases.resize(5, sound.load_cases[0]);
  PlateModel unused = sound;
  unused.nodes.push_back({9, 9});
  PlateModel held_unused = unused;
  add_w_support(held_unused, 26, 1, 1);
  PlateModel stiff = sound;
  stiff.elastic_modulus_gpa = 30000;
  PlateModel millimetres = sound;
  millimetres.thickness = 200;
  PlateModel twice_supported = sound;
  add_w_support(twice_supported, 1);
  PlateModel twice_meshed = sound;
  twice_meshed.elements.push_back(sound.elements[5]);
  PlateModel overlapped = sound;
  overlapped.elements.push_back({1, {1, 3, 13, 11}});
  PlateModel empty_case = sound;
  empty_case.load_cases.emplace_back();
  PlateModel unknown_element = sound;
  unknown_element.elements[0].type = 2;
  PlateModel clockwise = sound;
  std::reverse(clockwise.elements[3].nodes.begin(), clockwise.elements[3].nodes.end());
  PlateModel unknown_load = sound;
  unknown_load.load_cases[0].loads[0].type = 3;
  const std::string sound_text = data_file_text(sound);
  return {
      {"data-error", Severity::error, with_replaced(sound_text, "\n2 1.5 0\n", "\n2 1.5O 0\n")},
      {"limit", Severity::error, text_of(strip)},
      // beyond the store's counts: lajefem stops, export analyses it with the sparse engine
      {"limit", Severity::warning, text_of(five_cases)},
      {"mechanism-local", Severity::error, text_of(unused)},
      {"mechanism-rigid", Severity::error, text_of(held_along_one_edge(0))},
      {"mechanism-spurious", Severity::error, text_of(corner_columns(6, 6))},
      {"mechanism-global", Severity::error, text_of(blocks_joined_at_a_corner())},
      {"units-modulus", Severity::warning, text_of(stiff)},
      {"units-thickness", Severity::warning, text_of(millimetres)},
      {"units-thickness", Severity::warning, text_of(simply_supported(6000, 6000))},
      {"decimal-comma", Severity::warning, with_replaced(sound_text, "\n-10 0", "\n-10,5 0")},
      {"duplicate-support", Severity::note, text_of(twice_supported)},
      {"duplicate-element", Severity::warning, text_of(twice_meshed)},
      {"overlapping-elements", Severity::warning, text_of(overlapped)},
      {"unused-node", Severity::warning, text_of(held_unused)},
      {"distorted-element", Severity::warning, text_of(simply_supported(60, 4))},
      {"empty-load-case", Severity::note, text_of(empty_case)},
      {"element-type", Severity::error, text_of(unknown_element)},
      {"invalid-geometry", Severity::error, text_of(clockwise)},
      {"load-type", Severity::error, text_of(unknown_load)},
  };
}

std::set<std::string> codes_of(const Findings& findings, bool errors_and_warnings_only) {
  std::set<std::string> codes;
  for (const Finding& finding : findings) {
    if (!errors_and_warnings_only || finding.severity != Severity::note) {
      codes.insert(finding.code);
    }
  }
  return codes;
}

TEST(ModelCheck, EveryCodeFiresOnAModelMadeForIt) {
  for (const FindingCase& row : finding_cases()) {
    const Findings findings = check_text(row.data);
    const auto found = std::find_if(findings.begin(), findings.end(),
                                    [&](const Finding& f) { return f.code == row.code; });
    ASSERT_NE(found, findings.end()) << row.code;
    EXPECT_EQ(found->severity, row.severity) << row.code;
    EXPECT_EQ(has_errors(findings), row.severity == Severity::error) << row.code;
  }
}

// What stopped the reader is said first: a file cut short, an unreadable value, a load number
// beyond the limits; a count beyond the store's is read again without them, and its limit said
// first.
TEST(ModelCheck, ReadingStopsSayWhatFailed) {
  const std::string sound = data_file_text(simply_supported());
  PlateModel five_cases = simply_supported();
  five_cases.load_cases.resize(5, five_cases.load_cases[0]);
  const struct {
    std::string data;
    const char* code;
    const char* message_start;
  } rows[] = {
      {"X\n", "data-error", "the file ends before all the data are read, in a heading line"},
      {sound.substr(0, sound.find("Apoios")), "data-error", "the file ends before all the data"},
      {with_replaced(sound, "\nContagens\n", "\nContagens\nX "), "data-error",
       "the program stops reading in the counts line"},
      {with_replaced(sound, "\nnum tipo no\n1 ", "\nnum tipo no\n81 "), "limit",
       "the model exceeds the program's limits in the loads of load case"},
      {data_file_text(five_cases), "limit",
       "lajefem stops on this model: 5 load cases, above the limit of 4"},
  };
  for (const auto& row : rows) {
    const Findings findings = check_text(row.data);
    ASSERT_EQ(findings.size(), 1u) << row.message_start;
    EXPECT_EQ(findings[0].code, row.code) << row.message_start;
    EXPECT_EQ(findings[0].message.rfind(row.message_start, 0), 0u) << findings[0].message;
  }
}

// The decimal-comma scan covers the lines the program reads: up to the results name, or up to
// the line where reading stops, a last line without its line end included.
TEST(ModelCheck, DecimalCommasOfTheLinesRead) {
  const std::string sound = data_file_text(simply_supported());
  const struct {
    std::string data;
    std::vector<int> lines;
  } rows[] = {
      {sound + "3 0,5 1,5\n", {}},  // after the results name: never read
      {with_replaced(sound, "\n-10 0", "\n-10,5 0"), {78}},
      {with_replaced(with_replaced(sound, "\n2 1.5 0\n", "\n2 1,5 0\n"), "\n-10 0", "\n-10,5 0"),
       {11, 78}},
      // reading stops at line 12, before the load values
      {with_replaced(with_replaced(sound, "\n3 3 0\n", "\n3 3,O 0\n"), "\n-10 0", "\n-10,5 0"), {}},
      {with_replaced(with_replaced(sound, "\n2 1.5 0\n", "\n2 1,5 0\n"), "\n3 3 0\n", "\n3 x 0\n"),
       {11}},
      // the file ends inside the node lines, on a line without its line end
      {sound.substr(0, sound.find("\n3 3 0\n")) + "\n3 3,5", {12}},
  };
  for (const auto& row : rows) {
    std::vector<int> lines;
    for (const Finding& finding : check_text(row.data)) {
      if (finding.code == "decimal-comma") {
        lines.push_back(finding.line);
      }
    }
    EXPECT_EQ(lines, row.lines) << row.data.substr(row.data.size() - 30);
  }
}

TEST(ModelCheck, FindingsSayWhere) {
  const auto cases = finding_cases();
  const auto first = [&](const char* code) {
    const auto row = std::find_if(cases.begin(), cases.end(), [&](const FindingCase& c) {
      return std::string(c.code) == code;
    });
    for (const Finding& finding : check_text(row->data)) {
      if (finding.code == code) {
        return finding;
      }
    }
    return Finding{};
  };
  EXPECT_EQ(first("data-error").line, 11);  // the line of node 2
  EXPECT_EQ(first("mechanism-local").node, 26);
  EXPECT_EQ(first("duplicate-support").node, 1);
  EXPECT_EQ(first("duplicate-support").support, 17);
  EXPECT_EQ(first("duplicate-element").element, 17);
  EXPECT_EQ(first("overlapping-elements").element, 17);
  EXPECT_EQ(first("invalid-geometry").element, 4);
  // The load values of case 1 stand on line 78 of the written file.
  EXPECT_EQ(first("decimal-comma").line, 78);
  EXPECT_NE(first("decimal-comma").message.find("'-10,5'"), std::string::npos);
}

TEST(ModelCheck, ExamplesAndSoundModelsCheckClean) {
  for (const char* name : {"d01", "apoiada", "encastrada", "pilares", "distorcida"}) {
    EXPECT_EQ(codes_of(check_text(example(name)), true), std::set<std::string>()) << name;
  }
  for (const PlateModel& model : {simply_supported(), corner_columns(5, 5), corner_columns(5, 3),
                                  held_along_one_edge(1e6f)}) {
    EXPECT_EQ(codes_of(check_text(data_file_text(model)), true), std::set<std::string>());
  }
  // The strip made for renumber exceeds the band, and nothing else: its mechanisms are looked
  // for under a numbering that fits.
  EXPECT_EQ(codes_of(check_text(example("faixa")), true), std::set<std::string>{"limit"});
}

struct MechanismCase {
  const char* layout;
  PlateModel model;
  std::set<std::string> errors;
};

TEST(Mechanisms, SupportLayoutsAreToldApart) {
  PlateModel slender = grid_plate(37, 1, 37, 1);  // 1 mm thick, clamped at one end
  slender.thickness = 0.001f;
  for (int j = 0; j <= 1; ++j) {
    add_w_support(slender, grid_node(37, 0, j), 1e6f, 1e6f);
  }
  const std::vector<MechanismCase> cases = {
      {"6 x 6 on corner columns", corner_columns(6, 6), {"mechanism-spurious"}},
      {"5 x 5 on corner columns", corner_columns(5, 5), {}},
      {"4 x 3 on corner columns", corner_columns(4, 3), {"mechanism-spurious"}},
      {"one edge on w springs", held_along_one_edge(0), {"mechanism-rigid"}},
      {"cantilever", held_along_one_edge(1e6f), {}},
      // no mechanism in its stiffness, but so flexible that the run's solver finds no pivot
      // above its tolerance: the run stops, and the check says why
      {"slender thin cantilever", slender, {"solver-pivot"}},
      {"no supports", grid_plate(3, 3, 6, 6), {"mechanism-rigid", "mechanism-spurious"}},
      {"blocks joined at a corner", blocks_joined_at_a_corner(), {"mechanism-global"}},
      {"strip beyond the band",
       grid_plate(45, 2, 45, 2),
       {"limit", "mechanism-rigid", "mechanism-spurious"}},
      {"strip one element wide on its ends", strip_on_its_ends(), {"mechanism-global"}},
  };
  for (const MechanismCase& row : cases) {
    EXPECT_EQ(codes_of(check_text(data_file_text(row.model)), true), row.errors) << row.layout;
  }
  EXPECT_EQ(codes_of(check_text(example("placa1")), true),
            std::set<std::string>{"mechanism-spurious"});
}

TEST(Mechanisms, ExplanationNamesTheCauseAndTheCure) {
  const std::string checkerboard = explain_mechanisms(corner_columns(6, 6));
  EXPECT_NE(checkerboard.find("checkerboard"), std::string::npos);
  EXPECT_NE(checkerboard.find("odd number of elements"), std::string::npos);
  EXPECT_NE(checkerboard.find("nodes 1, 7, 43 and 49"), std::string::npos);
  EXPECT_NE(explain_mechanisms(held_along_one_edge(0)).find("the line x = 0"), std::string::npos);
  EXPECT_EQ(explain_mechanisms(corner_columns(5, 5)), "");
}

// Each finding as "severity|code|line|node|element|support|message", None for null.
std::string finding_rows(const Findings& findings) {
  std::string rows;
  const auto field = [](int value) {
    return value == 0 ? std::string("None") : std::to_string(value);
  };
  for (const Finding& f : findings) {
    rows += std::string(severity_name(f.severity)) + "|" + f.code + "|" + field(f.line) + "|" +
            field(f.node) + "|" + field(f.element) + "|" + field(f.support) + "|" + f.message +
            "\n";
  }
  return rows;
}

TEST(FindingsJson, ReadsBackWithEveryKeyAndCharacter) {
  Findings findings = check_text(finding_cases()[13].data);  // duplicate support
  const Findings more = check_text(text_of(corner_columns(6, 6)));
  findings.insert(findings.end(), more.begin(), more.end());
  findings.push_back({Severity::warning, "quoted", 7, 0, 0, 0, "\"a\\b\"\tc \xE1 θ"});
  const std::string path = ::testing::TempDir() + "findings.json";
  {
    std::ofstream out(path, std::ios::binary);
    write_findings_json(out, findings);
  }
  const std::string command =
      "/usr/bin/python3 -c \"import json,sys\n"
      "for f in json.load(open(sys.argv[1], encoding='utf-8')):\n"
      "  assert sorted(f) == "
      "sorted(['severity','code','line','node','element','support','message'])\n"
      "  sys.stdout.buffer.write(('|'.join(str(f[k]) for k in ['severity','code','line','node',"
      "'element','support','message']) + chr(10)).encode('utf-8'))\" " +
      path;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string read_back;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    read_back.append(buffer, n);
  }
  ASSERT_EQ(pclose(pipe), 0);
  findings.back().message = "\"a\\b\"\tc \xC3\xA1 θ";  // Latin-1 á comes back as UTF-8
  EXPECT_EQ(read_back, finding_rows(findings));
}

}  // namespace
}  // namespace lajefem
