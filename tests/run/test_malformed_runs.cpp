// Whole runs on damaged data files and odd console answers: every one ends in order, with a
// complete run (status 0) or one of the program's stops (status 1), and leaves no scratch file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/run/run_harness.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

const std::string d01 = testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/examples/d01");
const std::string pause_prompt = "     Prima ENTER para terminar\n";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string data_error(int part, int subsection) {
  return "CORRIGIR PARTE PRINCIPAL Nº"_l1 + format_integer(part, 3) + "  " + "SUBSECÇÃO Nº"_l1 +
         format_integer(subsection, 3);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

testing::RunResult run_data(const std::string& data, const std::string& answer = "dados\n") {
  testing::TempFolder folder;
  folder.write("dados", data);
  return testing::run_in(folder, answer);
}

// Targets of this process's open files that are results scratch files: files of the temporary
// folder without a name, shown as "<tmp>/#INODE (deleted)", or "<tmp>/lajefem-XXXXXX (deleted)"
// where the file system cannot make unnamed files.
std::vector<std::string> open_scratch_files() {
  std::vector<std::string> targets;
  const std::string folder = fs::temp_directory_path().string() + "/";
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = fs::read_symlink(entry.path(), error).string();
    const bool scratch =
        (target.starts_with(folder + "lajefem-") || target.starts_with(folder + "#")) &&
        target.find('/', folder.size()) == std::string::npos;
    if (!error && scratch) {
      targets.push_back(target);
    }
  }
  return targets;
}

std::size_t open_file_count() {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// A file cut after any line of d01 stops at the statement of the next line, with the part and
// subsection of that statement's code. The sections end on the lines given: the title block on
// line 3, the material on 5, the counts on 7, the nodes on 34, the elements on 52, the supports on
// 70, the load-case statements on 74, load case 1 on 78, the results file name on 80.
TEST(MalformedRuns, TruncatedAfterEveryLineNamesTheNextStatement) {
  const struct {
    int last_line, part, subsection;
  } sections[] = {{3, 1, 1},  {5, 2, 1},  {7, 3, 1},  {34, 3, 2}, {52, 3, 3},
                  {70, 3, 4}, {74, 4, 1}, {78, 4, 2}, {80, 5, 1}};
  const std::vector<std::string> lines = testing::lines_of(d01);
  ASSERT_EQ(lines.size(), 80u);
  std::string data;
  int line = 1;
  for (const auto& section : sections) {
    for (; line <= section.last_line; ++line) {
      const testing::RunResult run = run_data(data);
      EXPECT_EQ(run.status, 1) << "line " << line;
      EXPECT_TRUE(contains(run.console, "\n\n     ATENÇÃO: ERROS NO FICHEIRO DE DADOS\n     "_l1 +
                                            data_error(section.part, section.subsection) + "\n"))
          << "line " << line;
      EXPECT_FALSE(contains(run.console, "2º passo"_l1)) << "line " << line;
      EXPECT_TRUE(run.console.ends_with(pause_prompt)) << "line " << line;
      data += lines[line - 1] + "\n";
    }
  }
  EXPECT_EQ(run_data(data).status, 0);
}

TEST(MalformedRuns, UnreadableValuesNameTheirStatement) {
  const std::string unreadable = "valor ilegível \""_l1;
  const std::string end_of_file = "80: o ficheiro acaba antes de todos os dados";
  const struct {
    std::string from, to;
    int part, subsection;  // 0, 0: the run goes to its end
    std::string motive;    // after "MOTIVO: linha N: ", N the line of `from` unless given
  } rows[] = {
      {"30.0 0.2 0.15", "1e39 0.2 0.15", 2, 1, unreadable + "1e39\""},  // beyond single precision
      {"30.0 0.2 0.15", std::string(10 * 1024 * 1024, '9') + " 0.2 0.15", 2, 1,
       unreadable + std::string(20, '9') + "\""},  // 10 MB of digits
      {"30.0 0.2 0.15", "nan 0.2 0.15", 2, 1, unreadable + "nan\""},
      {"25 16 16", "99999999999 16 16", 3, 1, unreadable + "99999999999\""},  // beyond int32
      {"25 16 16", "25 16.0 16", 3, 1, unreadable + "16.0\""},  // a real for an integer
      {"1 0.0000 0.0000", std::string("1 0.0\0 0.0", 10), 3, 2, unreadable + "0.0?\""},  // NUL
      {"1 1 1 2 7 6", "1 1 1 2 7 \xE7", 3, 3, unreadable + "\xE7\""},         // a Latin-1 letter
      {"1 1 1.0E6 0.0 0.0", "1 1 1.0E6 \x01 0.0", 3, 4, unreadable + "?\""},  // a control byte
      {"1 1 1.0E6 0.0 0.0", "1 1 1.0E6 0.0 0.0 \xFF\xFE", 0, 0, ""},  // garbage after the values
      {"d01.res", "'d01.res", 5, 1, end_of_file},                     // a quote left open
  };
  for (const auto& row : rows) {
    const std::string data = replaced(d01, row.from, row.to);
    const testing::RunResult run = run_data(data);
    const bool complete = row.part == 0;
    EXPECT_EQ(run.status, complete ? 0 : 1) << row.to.substr(0, 20);
    EXPECT_EQ(contains(run.console, "ERROS NO FICHEIRO"), !complete) << row.to.substr(0, 20);
    EXPECT_EQ(contains(run.console, "MOTIVO"), !complete) << row.to.substr(0, 20);
    if (!complete) {
      const std::size_t at = d01.find(row.from);
      const std::string line =
          row.motive == end_of_file
              ? ""
              : std::to_string(std::count(d01.begin(), d01.begin() + static_cast<long>(at), '\n') +
                               1) +
                    ": ";
      EXPECT_TRUE(contains(run.console, "\n     MOTIVO: linha " + line + row.motive + "\n"))
          << row.to.substr(0, 20);
      EXPECT_TRUE(contains(run.console, data_error(row.part, row.subsection)))
          << row.to.substr(0, 20);
    }
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

// Counts of the data file: nodes, elements, support records, load cases, loads of case 1.
struct GroupCounts {
  int nodes = 4, elements = 1, supports = 4, cases = 1, loads = 1;
};

// Four nodes at the corners of a 2 m square, one element over them, springs of 1 GN/m on every
// freedom of every node, and case 1 a nodal load of −10 kN on node 3; a group whose count is zero
// or negative has no lines.
std::string counted_data(const GroupCounts& counts) {
  const char* const nodes[] = {"1 0 0", "2 2 0", "3 2 2", "4 0 2"};
  std::string text = "grupos\n\nCONTAGENS\nmaterial\n30 0.2 0.2\ncontagens\n" +
                     std::to_string(counts.nodes) + " " + std::to_string(counts.elements) + " " +
                     std::to_string(counts.supports) + "\nnos\nno x y\n";
  for (int n = 0; n < counts.nodes; ++n) {
    text += std::string(nodes[n]) + "\n";
  }
  text += "elementos\nnum tipo cantos\n";
  for (int e = 0; e < counts.elements; ++e) {
    text += "1 1 1 2 3 4\n";
  }
  text += "apoios\nnum no kw ktx kty\n";
  for (int s = 1; s <= counts.supports; ++s) {
    text += std::to_string(s) + " " + std::to_string(s) + " 1.0 1.0 1.0\n";
  }
  text += "cargas\ncasos cargas\n" + std::to_string(counts.cases) +
          (counts.cases >= 1 ? " " + std::to_string(counts.loads) : "") + "\n----\n";
  for (int c = 1; c <= counts.cases; ++c) {
    text += "CASO\ncarga tipo no\n";
    for (int k = 1; k <= (c == 1 ? counts.loads : 0); ++k) {
      text += std::to_string(k) + " 1 3\n-10.0 0 0 0 0 0 0 0\n";
    }
  }
  return text + "RESULTADOS\ngrupos.res\n";
}

// Every count at 0 and at −1 through a whole run. A node count below 1 is refused with the data
// error of the counts line; any other zero or negative count is an empty group, and the run goes
// on without it: without elements the springs alone hold the nodes (node 3 moves F/k =
// −10 kN / 1e6 kN/m = −1e−5 m), without supports the lone element is a mechanism, without load
// cases or loads every displacement is zero. The report prints each count as it was read.
TEST(MalformedRuns, EveryCountAtZeroAndMinusOne) {
  const std::string refused = data_error(3, 1);
  const std::string mechanism = "ATENÇÃO: POSSÍVEL MECANISMO GLOBAL"_l1;
  const std::string spring_only =
      "\n  7 -0.1000000E-04   0.000000    \n";  // w of node 3, cases 1, 2
  const std::string at_rest = "\n  7   0.000000       0.000000    \n";
  const struct {
    const char* group;
    GroupCounts counts;
    std::string message;  // console for a stop, the log's line of equation 7 for a complete run
    std::string report_line;
  } rows[] = {
      {"nodes 0", {.nodes = 0}, refused, ""},
      {"nodes -1", {.nodes = -1}, refused, ""},
      {"elements 0", {.elements = 0}, spring_only, "NUMERO DE Elementos  -----------      0"_l1},
      {"elements -1", {.elements = -1}, spring_only, "NUMERO DE Elementos  -----------     -1"_l1},
      {"supports 0", {.supports = 0}, mechanism, ""},
      {"supports -1", {.supports = -1}, mechanism, ""},
      {"load cases 0", {.cases = 0}, at_rest, "Nº de casos de carga -------------    0"_l1},
      {"load cases -1", {.cases = -1}, at_rest, "Nº de casos de carga -------------   -1"_l1},
      {"loads 0", {.loads = 0}, at_rest, "         1              0\n"_l1},
      {"loads -1", {.loads = -1}, at_rest, "         1             -1\n"_l1},
  };
  for (const auto& row : rows) {
    testing::TempFolder folder;
    folder.write("grupos", counted_data(row.counts));
    const testing::RunResult run = testing::run_in(folder, "grupos\n");
    const bool complete = !row.report_line.empty();
    EXPECT_EQ(run.status, complete ? 0 : 1) << row.group;
    EXPECT_TRUE(run.console.ends_with(pause_prompt)) << row.group;
    EXPECT_EQ(folder.holds("grupos.res"), complete) << row.group;
    if (complete) {
      EXPECT_TRUE(contains(run.log, row.message)) << row.group;
      EXPECT_TRUE(contains(folder.read("grupos.res"), row.report_line)) << row.group;
    } else {
      EXPECT_TRUE(contains(run.console, row.message)) << row.group;
    }
  }
}

TEST(MalformedRuns, GarbledLinesEndInOrder) {
  std::size_t start = 0;
  for (int line = 0; start < d01.size(); ++line) {
    for (const char garbage : {'x', '\0', '/', ',', '\'', '*', '\xE7', '\r', '\t'}) {
      std::string data = d01;
      data[start] = garbage;
      const testing::RunResult run = run_data(data);
      EXPECT_TRUE(run.status == 0 || run.status == 1) << line;
      EXPECT_TRUE(run.console.ends_with(pause_prompt)) << line;
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
  data = replaced(d01, "1 1 1 2 7 6", "1 1 1 2 7 6" + std::string(10 * 1024 * 1024, ' '));
  EXPECT_EQ(run_data(data).status, 0);  // 10 MB of blanks after the last value
}

// Each answer opens the data file whose report it names; "nada" exists nowhere.
TEST(MalformedRuns, ConsoleAnswersOpenTheirFile) {
  testing::TempFolder folder;
  const struct {
    std::string file, report;
  } files[] = {{"d01", "r-preset"},
               {"nome com ba", "r-blanks"},
               {"pla\xE7"
                "a",
                "r-latin1"},
               {"abcdefghijkl", "r-cut"}};
  for (const auto& file : files) {
    folder.write(file.file, replaced(d01, "d01.res", file.report));
  }
  const struct {
    std::string answer, report;
  } rows[] = {
      {"'nome com ba'\n", "r-blanks"},
      {"\"nome com ba\", resto\n", "r-blanks"},
      {"'pla\xE7"
       "a'\n",
       "r-latin1"},
      {"pla\xE7"
       "a\n",
       "r-latin1"},
      {"abcdefghijkl" + std::string(188, 'z') + "\n", "r-cut"},  // a 200-character line
      {"      \n\n\t \nd01\n", "r-preset"},                      // blank lines are passed over
      {"      \n/\n", "r-preset"},                               // a lone slash keeps d01
      {"", "r-preset"},                                          // end of input keeps d01
      {"  \n", "r-preset"},                                      // blanks, then end of input
      {"'nome com\n", "r-preset"},                               // a quote left open keeps d01
  };
  for (const auto& row : rows) {
    const testing::RunResult run = testing::run_in(folder, row.answer);
    EXPECT_EQ(run.status, 0) << row.answer;
    EXPECT_TRUE(folder.holds(row.report)) << row.answer;
    fs::remove(folder.path() / row.report);
  }
  const testing::RunResult run = testing::run_in(folder, "nada\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(
      run.console.ends_with("\n     ERRO: não foi possível abrir o ficheiro de dados: nada\n"_l1));
}

// While the report is written the scratch file is open but already gone from its folder.
TEST(MalformedRuns, ScratchFileHasNoNameDuringTheRun) {
  testing::TempFolder folder;
  folder.write("d01", d01);
  std::vector<std::string> during;
  std::istringstream console_in("d01\n");
  std::ostringstream console_out;
  const RunEnvironment environment{console_in, console_out, folder.path(), [&] {
                                     during = open_scratch_files();
                                     return testing::pinned_date();
                                   }};
  EXPECT_EQ(run_program(environment), 0);
  ASSERT_EQ(during.size(), 1u);
  EXPECT_TRUE(during[0].ends_with(" (deleted)")) << during[0];
  EXPECT_FALSE(fs::exists(during[0].substr(0, during[0].size() - 10)));
  EXPECT_TRUE(open_scratch_files().empty());
}

// Every kind of end shows its message and status, and leaves no file of the run open.
TEST(MalformedRuns, EveryEndClosesTheRunFiles) {
  const std::string extra_node = replaced(replaced(d01, "25 16 16", "26 16 16"),
                                          "25 6.0000 6.0000\n", "25 6.0000 6.0000\n26 9.0 9.0\n");
  const struct {
    std::string data, results_name, message;
    int status;
  } rows[] = {
      {d01, "", "     Operações finais e finalização \n"_l1 + pause_prompt, 0},
      {d01.substr(0, d01.find("COORDENADAS")), "", data_error(3, 2) + "\n", 1},
      {extra_node, "", " Verificar a ligação horizontal no nó 26\n"_l1, 1},
      {testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/examples/placa1"), "",
       "ATENÇÃO: POSSÍVEL MECANISMO GLOBAL\n"_l1, 1},
      {replaced(d01, "1 1 1 2 7 6", "1 7 1 2 7 6"), "", "Erro: elemento desconhecido\n", 1},
      {replaced(d01, "1 1 1 2 7 6", "1 1 1 6 7 2"), "",
       "Erro: elemento   1 com geometria inválida\n"_l1, 1},
      {replaced(d01, "1 2 0", "1 5 0"), "", "Erro: Tipo de carga desconhecido\n", 1},
      {d01, "d01.res", "ERRO: não foi possível escrever o ficheiro de resultados: d01.res\n"_l1, 1},
      {d01, "dados", "ERRO: não foi possível abrir o ficheiro de dados: dados\n"_l1, 1},
  };
  for (const auto& row : rows) {
    testing::TempFolder folder;
    folder.write("dados", row.data);
    if (!row.results_name.empty()) {
      fs::remove(folder.path() / row.results_name);
      fs::create_directory(folder.path() / row.results_name);
    }
    const std::size_t files_before = open_file_count();
    const testing::RunResult run = testing::run_in(folder, "dados\n");
    EXPECT_EQ(run.status, row.status) << row.message;
    EXPECT_TRUE(contains(run.console, row.message)) << row.message;
    EXPECT_EQ(open_file_count(), files_before) << row.message;
    EXPECT_TRUE(open_scratch_files().empty()) << row.message;
  }
}

// A results file named as a link to a device that is always full: the report is refused, the
// link stays as it was and the run stops.
TEST(MalformedRuns, ResultsFileOnAFullDevice) {
  testing::TempFolder folder;
  folder.write("d01", d01);
  fs::create_symlink("/dev/full", folder.path() / "d01.res");
  const testing::RunResult run = testing::run_in(folder, "d01\n");
  EXPECT_EQ(run.status, 1);
  const std::string message =
      "\n     ERRO: não foi possível escrever o ficheiro de resultados: d01.res\n"_l1;
  EXPECT_TRUE(run.console.ends_with(message + pause_prompt));
  EXPECT_TRUE(run.log.ends_with(message));
  EXPECT_FALSE(contains(run.console, "10º passo"_l1));
  EXPECT_EQ(fs::read_symlink(folder.path() / "d01.res"), "/dev/full");
}

// A log named as a link to a device that is always full: the analysis completes, but a run whose
// log could not be written does not end as a success, and its report replaces no earlier one.
TEST(MalformedRuns, LogFileOnAFullDevice) {
  for (const bool old_report : {true, false}) {
    testing::TempFolder folder;
    folder.write("d01", d01);
    if (old_report) {
      folder.write("d01.res", "relatório anterior\n");
    }
    fs::create_symlink("/dev/full", folder.path() / "ZLIXO");
    std::istringstream console_in("d01\n");
    std::ostringstream console_out;
    const RunEnvironment environment{console_in, console_out, folder.path(), testing::pinned_date};
    EXPECT_EQ(run_program(environment), 1);
    const std::string console = console_out.str();
    EXPECT_TRUE(contains(console, "10º passo"_l1));
    EXPECT_TRUE(console.ends_with(
        "\n     ERRO: não foi possível escrever o ficheiro de registo ZLIXO\n"_l1 + pause_prompt));
    EXPECT_EQ(folder.holds("d01.res"), old_report);
    if (old_report) {
      EXPECT_EQ(folder.read("d01.res"), "relatório anterior\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), old_report ? 3 : 2);
    EXPECT_EQ(fs::read_symlink(folder.path() / "ZLIXO"), "/dev/full");
  }
}

// A results name that is a link, dangling or not: the report goes to the link's target, created
// when absent, and the link stays a link.
TEST(MalformedRuns, ResultsNameIsADanglingLink) {
  for (const std::string target : {"saida.txt", "pasta/saida.txt", "elo2"}) {
    testing::TempFolder folder;
    folder.write("d01", d01);
    fs::create_directory(folder.path() / "pasta");
    fs::create_symlink("saida.txt", folder.path() / "elo2");
    fs::create_symlink(target, folder.path() / "d01.res");
    EXPECT_EQ(testing::run_in(folder, "d01\n").status, 0) << target;
    EXPECT_TRUE(fs::is_symlink(folder.path() / "d01.res")) << target;
    const std::string leads_to = target == "elo2" ? "saida.txt" : target;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.path() / leads_to))) << target;
    EXPECT_EQ(folder.read(leads_to),
              testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/tests/golden/d01/d01.res"))
        << target;
  }
  // Links that lead round in a loop lead nowhere: the report cannot be written.
  testing::TempFolder folder;
  folder.write("d01", d01);
  fs::create_symlink("d01.res", folder.path() / "d01.res");
  EXPECT_EQ(testing::run_in(folder, "d01\n").status, 1);
}

// A NUL byte in the typed name opens no file; in the results name it is a data error.
TEST(MalformedRuns, NamesHoldingANulByte) {
  testing::TempFolder folder;
  folder.write("d01", d01);
  folder.write("d0", d01);
  const testing::RunResult typed = testing::run_in(folder, std::string("d0\0001\n", 5));
  EXPECT_EQ(typed.status, 1);
  EXPECT_TRUE(
      typed.console.ends_with("\n     ERRO: não foi possível abrir o ficheiro de dados: d01\n"_l1));
  EXPECT_FALSE(folder.holds("d01.res"));
  const testing::RunResult results =
      run_data(replaced(d01, "\nd01.res", std::string("\nd0\0.res", 8)));
  EXPECT_EQ(results.status, 1);
  EXPECT_TRUE(contains(results.console,
                       "     MOTIVO: linha 80: nome do ficheiro de resultados "
                       "contém um byte nulo\n"_l1));
  EXPECT_TRUE(contains(results.console, data_error(5, 1)));
  EXPECT_FALSE(contains(results.console, "3º passo"_l1));
}

// The program run as its own process in folder, with a shell redirection such as "1>&-".
int run_binary(const testing::TempFolder& folder, const std::string& redirection) {
  const std::string command = "cd '" + folder.path().string() + "' && (printf 'd01\\n\\n' | '" +
                              LAJEFEM_BINARY + "' " + redirection + ") 2>/dev/null";
  return std::system(command.c_str());
}

// Closed standard descriptors are the null device: no file of the run takes their place.
TEST(MalformedRuns, ClosedStandardDescriptors) {
  const std::string golden_log =
      testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/tests/golden/d01/ZLIXO");
  for (const std::string closed : {"0<&-", "1>&- 2>/dev/null", "2>&- >/dev/null", ">&- 2>&-"}) {
    testing::TempFolder folder;
    folder.write("d01", d01);
    const int status = run_binary(folder, closed);
    ASSERT_TRUE(WIFEXITED(status)) << closed;
    EXPECT_EQ(WEXITSTATUS(status), 0) << closed;
    EXPECT_EQ(folder.read("ZLIXO"), golden_log) << closed;
    EXPECT_TRUE(folder.holds("d01.res")) << closed;
  }
}

// Starts the program in folder with TMPDIR set to temporary, the console input given on a pipe
// that stays open until the caller closes `console` (so that the final pause waits), the console
// output discarded, and the three signals at their default actions whatever this process does
// with them. Returns the child's id.
pid_t start_binary(const fs::path& folder, const fs::path& temporary, const std::string& input,
                   int& console_input) {
  int console[2];
  if (pipe2(console, O_CLOEXEC) != 0) {
    return -1;
  }
  const std::string tmpdir = "TMPDIR=" + temporary.string();
  char* const environment[] = {const_cast<char*>(tmpdir.c_str()), nullptr};
  const pid_t child = fork();
  if (child == 0) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      signal(signal_number, SIG_DFL);
    }
    const int null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (chdir(folder.c_str()) != 0 || dup2(console[0], 0) < 0 || dup2(null_device, 1) < 0 ||
        dup2(null_device, 2) < 0) {
      _exit(127);
    }
    execle(LAJEFEM_BINARY, LAJEFEM_BINARY, nullptr, environment);
    _exit(127);
  }
  close(console[0]);
  console_input = console[1];
  if (write(console[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    kill(child, SIGKILL);
  }
  return child;
}

// Waits until the pipe read on `reader` is half full. The program's first write to it is larger
// than the pipe: from then on the program waits inside that write.
bool wait_until_full(int reader, std::chrono::seconds limit) {
  const int capacity = fcntl(reader, F_GETPIPE_SZ);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int queued = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ioctl(reader, FIONREAD, &queued) == 0 && queued >= capacity / 2) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

// Waits for the child's end, killing it after the limit; its wait status.
int wait_for_end(pid_t child, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int wait_status = 0;
  while (waitpid(child, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &wait_status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return wait_status;
}

// A signal while the run is held at a known place: its log is a pipe that nobody reads, so the
// run stops at its first log write that fills the pipe. With apoiada that is in the stiffness
// step, the scratch file open; with d01 (a log under the 256 KiB log buffer) it is the closing
// of the log, the report written but not yet in place. Either way the program ends by the signal,
// the old report stays and no temporary file remains, in the folder or the temporary folder.
TEST(MalformedRuns, SignalsLeaveNoTemporaryFiles) {
  const struct {
    const char* example;
    int signal_number;
  } rows[] = {{"apoiada", SIGINT}, {"apoiada", SIGTERM}, {"apoiada", SIGHUP},
              {"d01", SIGINT},     {"d01", SIGTERM},     {"d01", SIGHUP}};
  for (const auto& row : rows) {
    const std::string name = row.example;
    testing::TempFolder folder;
    testing::TempFolder temporary;
    folder.write(name, testing::read_file(std::string(LAJEFEM_SOURCE_DIR) + "/examples/" + name));
    folder.write(name + ".res", "relatório anterior\n");
    ASSERT_EQ(mkfifo((folder.path() / "ZLIXO").c_str(), 0600), 0);
    const int log = open((folder.path() / "ZLIXO").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(log, 0);
    int console = -1;
    const pid_t child = start_binary(folder.path(), temporary.path(), name + "\n", console);
    ASSERT_GT(child, 0);
    const bool held = wait_until_full(log, std::chrono::seconds(60));
    kill(child, row.signal_number);
    const int wait_status = wait_for_end(child, std::chrono::seconds(60));
    close(log);
    close(console);
    ASSERT_TRUE(held) << name;
    EXPECT_TRUE(WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == row.signal_number)
        << name << " " << row.signal_number << " " << wait_status;
    EXPECT_EQ(folder.read(name + ".res"), "relatório anterior\n") << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3) << name;
    EXPECT_TRUE(fs::is_empty(temporary.path())) << name;
  }
}

// Files limited to 8 KB, a disk that fills up: the element records cannot all be parked on the
// scratch file, which the stress-resultant step finds when it reads them back, and the log
// cannot be written whole either.
TEST(MalformedRuns, ScratchFileOnAFullDisk) {
  testing::TempFolder folder;
  folder.write("d01", d01);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8 << 10, 8 << 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    const testing::RunResult run = testing::run_in(folder, "d01\n");
    std::ofstream(folder.path() / "console", std::ios::binary) << run.console;
    _exit(run.status);
  }
  int wait_status = 0;
  ASSERT_EQ(waitpid(child, &wait_status, 0), child);
  ASSERT_TRUE(WIFEXITED(wait_status));
  EXPECT_EQ(WEXITSTATUS(wait_status), 1);
  const std::string console = folder.read("console");
  EXPECT_TRUE(console.ends_with(
      "\n     ERRO: leitura do ficheiro temporário de resultados falhou\n"_l1 +
      "\n     ERRO: não foi possível escrever o ficheiro de registo ZLIXO\n"_l1 + pause_prompt));
  EXPECT_FALSE(contains(console, "8º passo"_l1));
  EXPECT_FALSE(folder.holds("d01.res"));
}

// Data files kept from fuzzing, each run as a data file.
TEST(MalformedRuns, KeptFuzzInputsEndInOrder) {
  const fs::path kept = fs::path(LAJEFEM_SOURCE_DIR) / "fuzz" / "regressions" / "data";
  int count = 0;
  for (const auto& entry : fs::directory_iterator(kept)) {
    const testing::RunResult run = run_data(testing::read_file(entry.path()));
    EXPECT_TRUE(run.status == 0 || run.status == 1) << entry.path();
    EXPECT_TRUE(run.console.ends_with(pause_prompt)) << entry.path();
    EXPECT_TRUE(open_scratch_files().empty()) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace lajefem
