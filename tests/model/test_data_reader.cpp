#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "example_data.hpp"
#include "model/data_reader.hpp"
#include "model/free_format.hpp"

namespace lajefem {
namespace {

using testing::example_lines;
using testing::four_case_lines;
using testing::joined;
using testing::read_text;
using testing::with_line;

TEST(DataReader, ExampleFileFillsTheStore) {
  const auto [store, fault] = read_text(joined(example_lines()));
  EXPECT_EQ(store->data_error_code, 600);
  EXPECT_EQ(fault.reason, "");
  EXPECT_EQ(fault.results_name_line, 30);
  EXPECT_EQ(store->title, "PLACA1      ");
  EXPECT_EQ(store->elastic_modulus, 3.0e7f);
  EXPECT_EQ(store->poisson_ratio, 0.2f);
  EXPECT_EQ(store->thickness, 0.15f);
  EXPECT_EQ(store->node_count, 4);
  EXPECT_EQ(store->element_count, 1);
  EXPECT_EQ(store->support_count, 2);
  const float x[] = {0.0f, 4.0f, 4.0f, 0.0f};
  const float y[] = {0.0f, 0.0f, 4.0f, 4.0f};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(store->node_coord(n, 1), x[n - 1]);
    EXPECT_EQ(store->node_coord(n, 2), y[n - 1]);
    EXPECT_EQ(store->element_nodes(1, n), n);
  }
  EXPECT_EQ(store->element_type(1), 1);
  const float supports[2][4] = {{1, 1000, 1000, 1000}, {2, 1000, 0, 0}};
  for (int s = 1; s <= 2; ++s) {
    for (int j = 1; j <= 4; ++j) {
      EXPECT_EQ(store->support_data(s, j), supports[s - 1][j - 1]);
    }
  }
  EXPECT_EQ(store->load_case_count, 1);
  EXPECT_EQ(store->loads_per_case(1), 1);
  EXPECT_EQ(store->load_info(1, 1, 1), 1);
  EXPECT_EQ(store->load_info(1, 2, 1), 3);
  EXPECT_EQ(store->load_values(1, 1, 1), -10.0f);
  for (int j = 2; j <= 8; ++j) {
    EXPECT_EQ(store->load_values(1, j, 1), 0.0f);
  }
  EXPECT_EQ(store->results_file_name, "placa1.res  ");
}

// The file cut after `lines` lines fails with the code of the statement that needed more.
TEST(DataReader, TruncatedFileGivesTheCodeOfItsStatement) {
  const int example_codes[] = {101, 102, 103, 200, 201, 300, 301, 310, 311, 312, 312,
                               312, 312, 320, 321, 322, 330, 331, 332, 332, 400, 401,
                               402, 403, 414, 415, 416, 416, 500, 501, 600};
  for (int lines = 0; lines <= 30; ++lines) {
    const auto result = read_text(joined(example_lines(), lines));
    EXPECT_EQ(result.store->data_error_code, example_codes[lines]) << lines << " lines";
    if (lines < 30) {
      EXPECT_EQ(result.fault.line, std::max(lines, 1)) << lines << " lines";
      EXPECT_EQ(result.fault.reason, "o ficheiro acaba antes de todos os dados") << lines;
    }
  }
  const int four_case_codes[] = {402, 403, 414, 415, 416, 416, 426, 427, 428, 428, 438,
                                 439, 440, 440, 450, 451, 452, 452, 500, 501, 600};
  for (int lines = 22; lines <= 42; ++lines) {
    const auto result = read_text(joined(four_case_lines(), lines));
    EXPECT_EQ(result.store->data_error_code, four_case_codes[lines - 22]) << lines << " lines";
  }
}

TEST(DataReader, ShortLoadValuesOfCasesThreeAndFour) {
  const auto case_three = with_line(four_case_lines(), 36, "-3.0 0 0 0 0 0 0");
  EXPECT_EQ(read_text(joined(case_three, 36)).store->data_error_code, 440);
  const auto case_four = with_line(four_case_lines(), 40, "-4.0 0 0 0 0 0 0");
  EXPECT_EQ(read_text(joined(case_four, 40)).store->data_error_code, 452);
  const auto full = read_text(joined(four_case_lines()));
  ASSERT_EQ(full.store->data_error_code, 600);
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(full.store->load_info(1, 2, c), c);
    EXPECT_EQ(full.store->load_values(1, 1, c), static_cast<float>(-c));
  }
}

struct LineRow {
  int line;
  const char* content;
  int code;
};

// Values that cannot be held by their item: the item quoted, on its line.
TEST(DataReader, UnreadableValuesFailTheirStatement) {
  const LineRow rows[] = {
      {3, "'PLACA'1", 103},  // a closing quote directly followed by text
      {5, "NaN 0.2 0.15", 201},
      {5, "Inf 0.2 0.15", 201},
      {5, "30.0 0.2 1e39", 201},
      {5, "30 0.2 x", 201},
      {5, "0*30 0.2 0.15", 201},
      {7, "4.0 1 2", 301},
      {7, "4 1 2147483648", 301},
      {7, "4 1 '2'", 301},
      {7, "4 1e0 2", 301},
      {10, "1 x 0.0", 312},
      {10, "1.5 0.0 0.0", 312},
      {12, "3 4.0 -1e39", 312},
      {16, "1 1 1 2 3 4.", 322},
      {19, "1 1 1000.0 1000.0 abc", 332},
      {23, "1 1.0", 402},
      {27, "1 1 3.5", 416},
      {28, "-10.0 0 0 0 0 0 0 1e40", 416},
  };
  for (const auto& row : rows) {
    const auto result = read_text(joined(with_line(example_lines(), row.line, row.content)));
    EXPECT_EQ(result.store->data_error_code, row.code) << row.content;
    EXPECT_EQ(result.fault.line, row.line) << row.content;
    EXPECT_TRUE(result.fault.reason.starts_with("valor ilegível \"")) << result.fault.reason;
  }
}

struct RejectionRow {
  int line;
  const char* content;
  int code;
  const char* reason;  // part of the reason
};

// Limits and references: the code of the statement being read and a reason for the user.
TEST(DataReader, LimitAndReferenceViolationsAreRejected) {
  const RejectionRow rows[] = {
      {5, "0 0.2 0.15", 201, "módulo de elasticidade"},
      {5, "-30 0.2 0.15", 201, "módulo de elasticidade"},
      {5, "4e32 0.2 0.15", 201, "módulo de elasticidade"},  // infinite once in kN/m²
      {5, ",0.2 0.15", 201, "módulo de elasticidade"},
      {5, "30 1.0 0.15", 201, "Poisson"},
      {5, "30 -1 0.15", 201, "Poisson"},
      {5, "30 0.2 0", 201, "espessura"},
      {5, "30 0.2 -0.1", 201, "espessura"},
      {5, "30 0.2/", 201, "espessura"},
      {7, "301 1 2", 301, "número de nós 301 fora de 1..300"},
      {7, "0 1 2", 301, "número de nós 0 fora de 1..300"},
      {7, "-4 1 2", 301, "número de nós -4 fora de 1..300"},
      {7, "4 401 2", 301, "número de elementos 401 acima de 400"},
      {7, "4 1 61", 301, "número de apoios 61 acima de 60"},
      {16, "1 1 1 2 3 5", 322, "elemento 1: nó 5 do canto 4 fora de 1..4"},
      {16, "1 1 0 2 3 4", 322, "elemento 1: nó 0 do canto 1 fora de 1..4"},
      {16, "1 1 1,,3 4", 322, "nó 0 do canto 2"},
      {19, "1 5 1000 1000 1000", 332, "apoio 1: nó 5 fora de 1..4"},
      {20, "2 -1 1000 0 0", 332, "apoio 2: nó -1 fora de 1..4"},
      {20, "2,,1000 0 0", 332, "apoio 2: nó 0 fora de 1..4"},  // a null node is not node 1
      {23, "5 1 1 1 1 1", 402, "número de casos de carga 5 acima de 4"},
      {23, "5 x", 402, "número de casos de carga 5"},  // rejected before the counts
      {23, "1 81", 402, "caso de carga 1: número de cargas 81 acima de 80"},
      {27, "0 1 3", 416, "caso de carga 1: número de carga 0 fora de 1..80"},
      {27, "81 x", 416, "número de carga 81 fora de 1..80"},  // rejected as soon as read
      {27, ",1,3", 416, "número de carga 0"},
      {27, "/", 416, "número de carga 0"},
      {27, "1 1 5", 416, "caso de carga 1, carga 1: nó 5 fora de 1..4"},
      {27, "1 1 0", 416, "nó 0 fora de 1..4"},
      {30, "''", 501, "nome do ficheiro de resultados em branco"},
      {30, "/", 501, "em branco"},
      {30, ",", 501, "em branco"},
      {30, "'            x'", 501, "em branco"},  // only its first 12 characters count
  };
  for (const auto& row : rows) {
    const auto result = read_text(joined(with_line(example_lines(), row.line, row.content)));
    EXPECT_EQ(result.store->data_error_code, row.code) << row.content;
    EXPECT_NE(result.fault.reason.find(row.reason), std::string::npos)
        << row.content << " -> " << result.fault.reason;
    EXPECT_EQ(result.fault.line, row.line) << row.content;
  }
}

// Lines with their ends: CR LF instead of LF, and no end after the last line when asked.
std::string joined_with(const std::vector<std::string>& lines, const std::string& end,
                        bool last_ended = true) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + end;
  }
  return last_ended ? text : text.substr(0, text.size() - end.size());
}

std::vector<std::string> with_inserted(std::vector<std::string> lines, int number,
                                       const std::string& content) {
  lines.insert(lines.begin() + (number - 1), content);
  return lines;
}

std::vector<std::string> first_lines(std::vector<std::string> lines, int count) {
  lines.resize(static_cast<std::size_t>(count));
  return lines;
}

// Every kind of failure names the line of the value at fault: the item's own line, the
// separator's line for a null value, the last line of the file at its end.
TEST(DataReader, FaultsNameTheLineOfTheValue) {
  const auto example = example_lines();
  const struct {
    const char* kind;
    std::string text;
    int code;
    long long line;
    std::string reason;
  } rows[] = {
      {"continuation line", joined(with_inserted(with_line(example, 10, "1"), 11, "0.0 1.5O")), 312,
       11, "valor ilegível \"1.5O\""},
      {"repeat count 0", joined(with_line(example, 7, "4 1 0*5")), 301, 7, "ilegível \"0*5\""},
      {"text after the closing quote", joined(with_line(example, 7, "4 1 'ab'cd")), 301, 7,
       "ilegível \"'ab'cd\""},
      {"CR LF file", joined_with(with_line(example, 12, "3 4.0 x4"), "\r\n"), 312, 12,
       "valor ilegível \"x4\""},
      {"quote closed on a later line",
       joined(with_inserted(with_line(example, 3, "'PLA"), 4, "CA'x")), 103, 3,
       "valor ilegível \"'PLACA'x\""},
      {"open quote", joined(with_line(example, 3, "'PLACA1")), 103, 30, "acaba"},
      {"open quote, last line unended", joined_with(with_line(example, 3, "\"P"), "\n", false), 103,
       30, "acaba"},
      {"end among nodes", joined(example, 11), 312, 11, "acaba"},
      {"end among headings", joined(example, 8), 311, 8, "acaba"},
      {"end among headings, unended", joined_with(first_lines(example, 8), "\r\n", false), 311, 8,
       "acaba"},
      {"empty file", "", 101, 1, "acaba"},
      {"only blank lines", "\n\n\n", 103, 3, "acaba"},
      {"long heading", joined(with_line(example, 9, std::string(longest_line + 1, 'x'))), 311, 9,
       "32 MiB"},
      {"modulus", joined(with_inserted(with_line(example, 5, "0 0.2 0.1"), 5, "")), 201, 6,
       "módulo"},
      {"null modulus", joined(with_inserted(with_line(example, 5, "0.2 0.1"), 5, ",")), 201, 5,
       "módulo"},
      {"Poisson", joined(with_inserted(with_line(example, 5, "30"), 6, "1.5 0.1")), 201, 6,
       "Poisson"},
      {"null thickness", joined(with_inserted(with_line(example, 5, "30 0.2,"), 6, ",")), 201, 6,
       "espessura"},
      {"node count", joined(with_line(example, 7, "0 1 2")), 301, 7, "número de nós"},
      {"element count", joined(with_inserted(with_line(example, 7, "4"), 8, "401 2")), 301, 8,
       "número de elementos"},
      {"support count", joined(with_inserted(with_line(example, 7, "4 1"), 8, "61")), 301, 8,
       "número de apoios"},
      {"corner", joined(with_inserted(with_line(example, 16, "1 1 1 2"), 17, "3 9")), 322, 17,
       "nó 9 do canto 4"},
      {"support node", joined(with_inserted(with_line(example, 19, "1"), 20, "7 1 1 1")), 332, 20,
       "apoio 1: nó 7"},
      {"load cases", joined(with_inserted(with_line(example, 23, ""), 24, "5 1")), 402, 24,
       "casos de carga 5"},
      {"loads of a case", joined(with_inserted(with_line(example, 23, "1"), 24, "81")), 402, 24,
       "número de cargas 81"},
      {"load number", joined(with_line(example, 27, "81 1 3")), 416, 27, "número de carga 81"},
      {"load by slash", joined(with_inserted(with_line(example, 27, ""), 27, "/")), 416, 27,
       "número de carga 0"},
      {"load node", joined(with_inserted(with_line(example, 27, "1 1"), 28, "5")), 416, 28, "nó 5"},
      {"blank results name", joined(with_line(example, 30, "''")), 501, 30, "em branco"},
      {"results name with NUL", joined(with_line(example, 30, std::string("'r\0.res'", 8))), 501,
       30, "byte nulo"},
  };
  for (const auto& row : rows) {
    const auto result = read_text(row.text);
    EXPECT_EQ(result.store->data_error_code, row.code) << row.kind;
    EXPECT_EQ(result.fault.line, row.line) << row.kind;
    EXPECT_NE(result.fault.reason.find(row.reason), std::string::npos)
        << row.kind << ": " << result.fault.reason;
    // The companion program tells the same fault in English.
    EXPECT_FALSE(result.fault.explanation.empty()) << row.kind;
  }
}

// Checks made after the whole statement let a later unreadable value speak first.
TEST(DataReader, ChecksRunAfterTheirStatement) {
  const LineRow rows[] = {
      {5, "0 0.2 x", 201},
      {7, "301 1 x", 301},
      {16, "1 1 9 2 3 x", 322},
      {19, "1 9 1 1 x", 332},
  };
  for (const auto& row : rows) {
    const auto result = read_text(joined(with_line(example_lines(), row.line, row.content)));
    EXPECT_EQ(result.store->data_error_code, row.code) << row.content;
    EXPECT_EQ(result.fault.reason, "valor ilegível \"x\"") << row.content;
  }
  // A type-1 load's node is checked before its values are read.
  auto lines = with_line(example_lines(), 27, "1 1 9");
  const auto result = read_text(joined(lines, 27));
  EXPECT_EQ(result.store->data_error_code, 416);
  EXPECT_EQ(result.fault.line, 27);
  // A type-2 load refers to no node.
  lines = with_line(example_lines(), 27, "1 2 0");
  EXPECT_EQ(read_text(joined(lines)).store->data_error_code, 600);
}

TEST(DataReader, TitleForms) {
  const struct {
    const char* content;
    const char* title;
  } rows[] = {
      {"PLACA1", "PLACA1      "},
      {"PLACA UM", "PLACA       "},  // unquoted: the first word only
      {"'PLACA UM'", "PLACA UM    "},
      {"\"PLACA, UM/2\"", "PLACA, UM/2 "},
      {"PLACA_QUADRADA_1", "PLACA_QUADRA"},
      {"'laje d''Ouro'", "laje d'Ouro "},
      {"/", "placa1.dat  "},  // no value: the typed name stays
      {",", "placa1.dat  "},
      {"\xc1GUA \xe9",
       "\xc1"
       "GUA        "},
      {"PLACA1 comentário", "PLACA1      "},
  };
  for (const auto& row : rows) {
    const auto result = read_text(joined(with_line(example_lines(), 3, row.content)));
    EXPECT_EQ(result.store->data_error_code, 600) << row.content;
    EXPECT_EQ(result.store->title, row.title) << row.content;
  }
  // A line of blanks is passed over: the next line holds the title, and the material
  // statement then meets a heading.
  const auto blank = read_text(joined(with_line(example_lines(), 3, "   ")));
  EXPECT_EQ(blank.store->title, "Material:   ");
  EXPECT_EQ(blank.store->data_error_code, 201);
  // A quoted title may go on over the line end.
  auto lines = with_line(example_lines(), 3, "'PLA");
  lines.insert(lines.begin() + 3, "CA 1'");
  const auto result = read_text(joined(lines));
  EXPECT_EQ(result.store->data_error_code, 600);
  EXPECT_EQ(result.store->title, "PLACA 1     ");
}

TEST(DataReader, FreeFormatInStatements) {
  // Values spread over lines, lines of blanks, nulls, slashes, repeats and comments.
  auto lines = example_lines();
  lines[4] = "3*0.2   modulus, ratio and thickness alike";
  lines[6] = "";
  lines.insert(lines.begin() + 7, "4,1,");
  lines.insert(lines.begin() + 8, "   2 comentário");
  lines[12] = "2  4.0/ 7.0";
  lines[13] = "3,4.0 , 4.0,";
  lines[17] = "1 1 1 2 3,4";
  lines[21] = "2 2 1000.0 2*";
  const auto [store, fault] = read_text(joined(lines));
  ASSERT_EQ(store->data_error_code, 600) << fault.reason;
  EXPECT_EQ(store->elastic_modulus, 0.2f * 1e6f);
  EXPECT_EQ(store->poisson_ratio, 0.2f);
  EXPECT_EQ(store->thickness, 0.2f);
  EXPECT_EQ(store->node_count, 4);
  EXPECT_EQ(store->element_count, 1);
  EXPECT_EQ(store->support_count, 2);
  EXPECT_EQ(store->node_coord(2, 1), 4.0f);
  EXPECT_EQ(store->node_coord(2, 2), 0.0f);  // after the slash: kept
  EXPECT_EQ(store->node_coord(3, 2), 4.0f);
  EXPECT_EQ(store->element_nodes(1, 4), 4);
  EXPECT_EQ(store->support_data(2, 2), 1000.0f);
  EXPECT_EQ(store->support_data(2, 3), 0.0f);
  // The modulus may be written as an integer, with a D exponent, with a plus sign.
  for (const char* material : {"30 0.2 0.15", "3.0D1,0.2,0.15", "+0.3E+2 .2 1.5d-1"}) {
    const auto result = read_text(joined(with_line(example_lines(), 5, material)));
    EXPECT_EQ(result.store->elastic_modulus, 3.0e7f) << material;
    EXPECT_EQ(result.store->thickness, 0.15f) << material;
  }
  // Tiny values read as the nearest float.
  const auto tiny = read_text(joined(with_line(example_lines(), 11, "2 4.0 1e-50")));
  EXPECT_EQ(tiny.store->data_error_code, 600);
  EXPECT_EQ(tiny.store->node_coord(2, 2), 0.0f);
}

TEST(DataReader, LineEndsTabsAndCarriageReturns) {
  std::string crlf;
  for (const std::string& line : example_lines()) {
    crlf += line + "\r\n";
  }
  const auto [store, fault] = read_text(crlf);
  EXPECT_EQ(store->data_error_code, 600);
  EXPECT_EQ(store->title, "PLACA1      ");
  EXPECT_EQ(store->results_file_name, "placa1.res  ");
  const auto tabs = read_text(joined(with_line(example_lines(), 16, "1\t1\t1\t2\t3\t4")));
  EXPECT_EQ(tabs.store->element_nodes(1, 4), 4);
  // Without a final line end the last line still counts.
  std::string unended = joined(example_lines());
  unended.pop_back();
  EXPECT_EQ(read_text(unended).store->data_error_code, 600);
}

TEST(DataReader, NodesElementsAndSupportsGoByPosition) {
  auto lines = example_lines();
  lines[9] = "10 0.0 0.0";
  lines[10] = "20 4.0 0.0";
  lines[11] = "30 4.0 4.0";
  lines[12] = "40 0.0 4.0";
  lines[15] = "7 3 4 3 2 1";
  lines[18] = "5 1 ,, 7.5 / 9.0";
  const auto [store, fault] = read_text(joined(lines));
  ASSERT_EQ(store->data_error_code, 600);
  EXPECT_EQ(store->node_coord(3, 1), 4.0f);
  EXPECT_EQ(store->node_coord(3, 2), 4.0f);
  EXPECT_EQ(store->element_type(1), 3);  // any type code is stored
  EXPECT_EQ(store->element_nodes(1, 1), 4);
  const float support[] = {1.0f, 0.0f, 7.5f, 0.0f};
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(store->support_data(1, j), support[j - 1]);
  }
}

TEST(DataReader, LoadSlotsFollowTheLoadNumber) {
  // Numbered 5 in a case of one load: slot 5, and slot 1 stays empty.
  const auto numbered = read_text(joined(with_line(example_lines(), 27, "5 1 3")));
  ASSERT_EQ(numbered.store->data_error_code, 600);
  EXPECT_EQ(numbered.store->load_info(5, 1, 1), 1);
  EXPECT_EQ(numbered.store->load_values(5, 1, 1), -10.0f);
  EXPECT_EQ(numbered.store->load_info(1, 1, 1), 0);

  // A second load with the same number replaces the first where it gives values; its nulls
  // and its slash keep what the slot holds.
  auto lines = with_line(example_lines(), 23, "1 2");
  lines.insert(lines.begin() + 28, {"1/", ",,,,,,,5.5"});
  lines[27] = "-10.0 1 2 3 4 5 6 7";
  const auto [store, fault] = read_text(joined(lines));
  ASSERT_EQ(store->data_error_code, 600) << fault.reason;
  EXPECT_EQ(store->load_info(1, 1, 1), 1);
  EXPECT_EQ(store->load_info(1, 2, 1), 3);
  const float values[] = {-10, 1, 2, 3, 4, 5, 6, 5.5f};
  for (int j = 1; j <= 8; ++j) {
    EXPECT_EQ(store->load_values(1, j, 1), values[j - 1]) << j;
  }
}

TEST(DataReader, LoadCaseStatementAndCounts) {
  // Two cases of 1 and 3 loads, also when the counts go on in the next line.
  for (const char* counts : {"2 1 3", "2 1\n3", "2,\n1,3 comentário", "2 1 3*3"}) {
    auto lines = with_line(example_lines(), 23, counts);
    lines.insert(lines.begin() + 28, {"Caso 2", "Num Tipo No", "1 2 0", "2 0 0 0 0 0 0 0", "2 2 0",
                                      "3 0 0 0 0 0 0 0", "3 1 4", "-4 0 0 0 0 0 0 0"});
    const auto [store, fault] = read_text(joined(lines));
    ASSERT_EQ(store->data_error_code, 600) << counts << fault.reason;
    EXPECT_EQ(store->load_case_count, 2);
    EXPECT_EQ(store->loads_per_case(1), 1);
    EXPECT_EQ(store->loads_per_case(2), 3);
    EXPECT_EQ(store->load_info(3, 2, 2), 4);
    EXPECT_EQ(store->load_values(3, 1, 2), -4.0f);
  }
  // Zero or negative counts make empty groups.
  auto lines = example_lines();
  lines.erase(lines.begin() + 24, lines.begin() + 28);
  lines[22] = "0";
  const auto no_cases = read_text(joined(lines));
  EXPECT_EQ(no_cases.store->data_error_code, 600);
  EXPECT_EQ(no_cases.store->results_file_name, "placa1.res  ");
  lines = example_lines();
  lines[6] = "4 0 -3";
  lines.erase(lines.begin() + 13, lines.begin() + 20);
  lines.insert(lines.begin() + 13, {"Elementos", "cabeçalho", "Apoios", "cabeçalho"});
  const auto empty_groups = read_text(joined(lines));
  EXPECT_EQ(empty_groups.store->data_error_code, 600);
  EXPECT_EQ(empty_groups.store->support_count, -3);
}

TEST(DataReader, HeadingsTakeOneLineWhateverItHolds) {
  auto lines = example_lines();
  lines[0] = "";
  lines[3] = "30.0 0.2 0.15 'unclosed";
  lines[13] = "/";
  lines[28] = ",,,";
  const auto [store, fault] = read_text(joined(lines));
  EXPECT_EQ(store->data_error_code, 600);
  // An empty line where the counts are expected is passed over.
  lines = example_lines();
  lines.insert(lines.begin() + 6, "");
  EXPECT_EQ(read_text(joined(lines)).store->data_error_code, 600);
  // Whatever follows the results file name is not read.
  lines = example_lines();
  lines.insert(lines.end(), {"'never closed", "x y z"});
  EXPECT_EQ(read_text(joined(lines)).store->data_error_code, 600);
}

TEST(DataReader, FileNameAnswer) {
  const struct {
    std::string typed;
    const char* name;
  } rows[] = {
      {"placa1.dat\n", "placa1.dat  "},
      {"\n\n   \nplaca1.dat\n", "placa1.dat  "},  // empty lines: waiting goes on
      {"/\n", "d01         "},
      {",\n", "d01         "},
      {"3*\n", "d01         "},
      {"", "d01         "},
      {"\n\n", "d01         "},
      {"'meu ficheiro\n", "d01         "},  // the quote is never closed
      {"'ab'cd\n", "d01         "},
      {"abcdefghijklm\n", "abcdefghijkl"},
      {"'meu ficheiro'\n", "meu ficheiro"},
      {"\"a b\"\n", "a b         "},
      {"dados.txt outra coisa\n", "dados.txt   "},
      {"dados,x\n", "dados       "},
      {"dados/x\n", "dados       "},
      {"placa1\r\n", "placa1      "},
      {"\t  placa1  \t\n", "placa1      "},
      {"\xe1gua.dat\n", "\xe1gua.dat    "},
      {std::string(250, 'a') + "\xff\n", "aaaaaaaaaaaa"},
      {"'" + std::string(250, 'b') + "'\n", "bbbbbbbbbbbb"},
  };
  for (const auto& row : rows) {
    std::istringstream console(row.typed);
    std::string name = "d01         ";
    read_file_name_answer(console, name);
    EXPECT_EQ(name, row.name) << row.typed;
  }
  // The answer takes its lines only: the pause reads the next one.
  std::istringstream console("\nplaca1 x\nnext\n");
  std::string name = "d01         ";
  read_file_name_answer(console, name);
  std::string rest;
  std::getline(console, rest);
  EXPECT_EQ(rest, "next");
}

}  // namespace
}  // namespace lajefem
