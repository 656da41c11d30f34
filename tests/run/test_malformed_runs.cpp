// Whole runs on damaged data files and odd console answers: every one ends in order, with a
// complete run (status 0) or one of the program's stops (status 1), and leaves no scratch file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "report/text_fields.hpp"
#include "tests/run/run_harness.hpp"

namespace lajefem {
namespace {

const std::string d01 = testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/examples/d01");

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string data_error(int part, int subsection) {
  return "CORRIGIR PARTE PRINCIPAL Nº"_l1 + format_integer(part, 3) + "  " + "SUBSECÇÃO Nº"_l1 +
         format_integer(subsection, 3);
}

testing::RunResult run_data(const std::string& data, const std::string& answer = "dados\n") {
  testing::TempFolder folder;
  folder.write("dados", data);
  return testing::run_in(folder, answer);
}

// The scratch files this program makes in the temporary folder.
int scratch_files() {
  int count = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    count += entry.path().filename().string().starts_with("lajefem-") && entry.is_regular_file();
  }
  return count;
}

TEST(MalformedRuns, TruncatedAfterEveryLineStopsWithADataError) {
  const int scratch_before = scratch_files();
  std::size_t end = 0;
  int lines = 0;
  while ((end = d01.find('\n', end)) != std::string::npos && end + 1 < d01.size()) {
    ++end;
    ++lines;
    const testing::RunResult run = run_data(d01.substr(0, end));
    EXPECT_EQ(run.status, 1) << "after line " << lines;
    EXPECT_TRUE(contains(run.console, "ATENÇÃO: ERROS NO FICHEIRO DE DADOS"_l1)) << lines;
  }
  EXPECT_TRUE(contains(run_data(d01.substr(0, d01.find("25 16 16"))).console, data_error(3, 1)));
  EXPECT_TRUE(contains(run_data(d01.substr(0, d01.find("COORDENADAS"))).console, data_error(3, 2)));
  EXPECT_EQ(scratch_files(), scratch_before);
}

TEST(MalformedRuns, UnreadableValuesNameTheirStatement) {
  const struct {
    std::string from, to;
    int part, subsection;
  } rows[] = {
      {"30.0 0.2 0.15", "1e39 0.2 0.15", 2, 1},                   // beyond single precision
      {"25 16 16", "99999999999 16 16", 3, 1},                    // beyond a 32-bit integer
      {"1 0.0000 0.0000", std::string("1 0.0\0 0.0", 10), 3, 2},  // a NUL byte
      {"1 1 1 2 7 6", "1 1 1 2 7 \xE7", 3, 3},                    // a Latin-1 letter
  };
  for (const auto& row : rows) {
    std::string data = d01;
    data.replace(data.find(row.from), row.from.size(), row.to);
    const testing::RunResult run = run_data(data);
    EXPECT_EQ(run.status, 1) << row.from;
    EXPECT_TRUE(contains(run.console, data_error(row.part, row.subsection))) << row.from;
  }
}

TEST(MalformedRuns, ModelWithoutLoadCasesRunsToTheEnd) {
  std::string data = d01;
  const std::size_t counts = data.find("\n1 1\n", data.find("numero de casos"));
  data.replace(counts, 5, "\n0\n");
  const testing::RunResult run = run_data(data);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.log, "\n  1   0.000000       0.000000    \n"));
}

TEST(MalformedRuns, GarbledLinesEndInOrder) {
  std::size_t start = 0;
  for (int line = 0; start < d01.size(); ++line) {
    for (const char garbage : {'x', '\0', '/', ',', '\'', '*'}) {
      std::string data = d01;
      data[start] = garbage;
      const testing::RunResult run = run_data(data);
      EXPECT_TRUE(run.status == 0 || run.status == 1) << line;
      EXPECT_TRUE(run.console.ends_with("     Prima ENTER para terminar\n")) << line;
    }
    start = d01.find('\n', start) + 1;
  }
}

TEST(MalformedRuns, LongLinesAreReadOrCut) {
  std::string data = d01;
  data.replace(0, data.find('\n'), std::string(10 * 1024 * 1024, 'h'));  // a 10 MB heading
  EXPECT_EQ(run_data(data).status, 0);
  data = d01;
  data.replace(data.find("'LAJE 6x6'"), 10, std::string(10 * 1024 * 1024, 't'));  // 10 MB title
  EXPECT_EQ(run_data(data).status, 0);
}

TEST(MalformedRuns, ConsoleAnswers) {
  testing::TempFolder folder;
  for (const std::string name : {"d01", "nome com ba",
                                 "pla\xE7"
                                 "a",
                                 "abcdefghijkl"}) {
    folder.write(name, d01);
  }
  const struct {
    std::string answer;
    int status;
  } rows[] = {
      {"'nome com ba'\n", 0},
      {"'pla\xE7"
       "a'\n",
       0},
      {"abcdefghijkl" + std::string(188, 'z') + "\n", 0},  // a 200-character line, cut to 12
      {"      \n\n/\n", 0},                                // blank lines passed over, then d01
      {"", 0},                                             // end of input keeps d01
      {"'nome com\n", 0},                                  // a quote left open keeps d01
      {"nada\n", 1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(testing::run_in(folder, row.answer).status, row.status) << row.answer;
  }
}

}  // namespace
}  // namespace lajefem
