#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "tests/run/plate_data.hpp"
#include "tests/run/run_harness.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

using testing::PlateData;
using testing::RunResult;
using testing::TempFolder;

const std::string examples = std::string(LAJEFEM_SOURCE_DIR) + "/examples/";

std::string example(const std::string& name) {
  return testing::read_file(examples + name);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int count_of(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Lines that end before `end` (the LFs before it), the line of `end` less one.
std::size_t line_count(const std::string& text, std::size_t end) {
  return static_cast<std::size_t>(
      std::count(text.begin(), text.begin() + static_cast<long>(end), '\n'));
}

const std::string pause_prompt = "     Prima ENTER para terminar\n";

std::string step_line(int step) {
  return "     " + std::to_string(step) + "º passo executado :\n"_l1;
}

// A simply supported 2 × 2 plate under a uniform load: small, well posed, complete.
PlateData small_plate() {
  PlateData plate;
  plate.supports = testing::edge_supports(plate, false);
  plate.cases = {{{2, 0, {-10.0}}}};
  return plate;
}

std::string data_error_lines(int part, int subsection) {
  return to_latin1("     CORRIGIR PARTE PRINCIPAL Nº") + format_integer(part, 3) + "  " +
         "SUBSECÇÃO Nº"_l1 + format_integer(subsection, 3) + "\n";
}

TEST(RunProgram, CompleteRunAnnouncesEveryStepAndWritesTheReport) {
  TempFolder folder;
  folder.write("placa", testing::plate_data_text(small_plate()));
  const RunResult run = testing::run_in(folder, "placa\n\n");
  EXPECT_EQ(run.status, 0);
  for (int step = 1; step <= 10; ++step) {
    EXPECT_TRUE(contains(run.console, step_line(step))) << step;
  }
  const std::string final_message = "\n\n     Operações finais e finalização \n"_l1;
  EXPECT_TRUE(run.log.ends_with(final_message));
  EXPECT_TRUE(run.console.ends_with(final_message + pause_prompt));
  EXPECT_FALSE(contains(run.log, "Qual o nome"));
  EXPECT_FALSE(contains(run.log, "Prima ENTER"));
  EXPECT_TRUE(folder.holds("placa.res"));
  // The log holds, in order, the stiffness lines, the element blocks and the displacements.
  const std::size_t step_3 = run.log.find(step_line(3));
  const std::size_t first_stiffness = run.log.find("1 1 ", step_3);
  const std::size_t first_block = run.log.find(" Elemento nº   1"_l1);
  const std::size_t step_4 = run.log.find(step_line(4));
  EXPECT_LT(step_3, first_stiffness);
  EXPECT_LT(first_stiffness, first_block);
  EXPECT_LT(first_block, step_4);
  EXPECT_EQ(count_of(run.log, " Elemento nº"_l1), 4);
  // A single load case still shows two value columns, the second all zeros.
  const std::size_t table = run.log.find("\n  1 ", run.log.find(step_line(7)));
  const std::string first_row = run.log.substr(table + 1, run.log.find('\n', table + 1) - table);
  EXPECT_EQ(first_row.size(), 3u + 15u + 15u + 1u);
  EXPECT_TRUE(first_row.ends_with("   0.000000    \n"));
}

TEST(RunProgram, LogRepeatsEveryMessageOfTheConsole) {
  TempFolder folder;
  folder.write("placa", testing::plate_data_text(small_plate()));
  const RunResult run = testing::run_in(folder, "placa\n");
  const std::string banner_and_title = run.log.substr(0, run.log.find("\n\n\n     1") + 1);
  EXPECT_TRUE(run.console.starts_with(banner_and_title));
  EXPECT_EQ(run.console.find("\n\n     Qual o nome do ficheiro de DADOS?\n\n"),
            banner_and_title.size());
}

TEST(RunProgram, FileNameAnswers) {
  TempFolder folder;
  folder.write("d01", testing::plate_data_text(small_plate()));
  folder.write("abcdefghijkl", testing::plate_data_text(small_plate()));
  folder.write("nome com ba", testing::plate_data_text(small_plate()));
  EXPECT_EQ(testing::run_in(folder, "/\n").status, 0);              // a lone slash keeps d01
  EXPECT_EQ(testing::run_in(folder, "").status, 0);                 // end of input keeps d01
  EXPECT_EQ(testing::run_in(folder, "\n   \nd01\n").status, 0);     // blank lines are passed over
  EXPECT_EQ(testing::run_in(folder, "abcdefghijklm\n").status, 0);  // cut to 12 characters
  EXPECT_EQ(testing::run_in(folder, "'nome com ba'\n").status, 0);
}

TEST(RunProgram, MissingDataFileEndsWithoutPause) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "pasta");
  for (const std::string name : {"nada", "pasta"}) {
    const RunResult run = testing::run_in(folder, name + "\n");
    const std::string message =
        "\n     ERRO: não foi possível abrir o ficheiro de dados: "_l1 + name + "\n";
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.console.ends_with(message)) << name;
    EXPECT_TRUE(run.log.ends_with(message)) << name;
  }
}

TEST(RunProgram, UnwritableLogFolderIsReported) {
  TempFolder folder;
  std::istringstream console_in("d01\n");
  std::ostringstream console_out;
  const RunEnvironment environment{console_in, console_out, folder.path() / "nao-existe",
                                   testing::pinned_date};
  EXPECT_EQ(run_program(environment), 1);
  EXPECT_TRUE(contains(console_out.str(), "ZLIXO"));
}

TEST(RunProgram, DataErrorsStopWithPartAndSubsection) {
  TempFolder folder;
  const std::string full = testing::plate_data_text(small_plate());
  // The file ends right after the material line.
  std::size_t material_end = full.find('\n', full.find("material\n") + 9);
  folder.write("curto", full.substr(0, material_end + 1));
  RunResult run = testing::run_in(folder, "curto\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(contains(run.console, data_error_lines(3, 1)));
  EXPECT_TRUE(contains(run.log, data_error_lines(3, 1)));
  EXPECT_FALSE(contains(run.console, step_line(2)));
  EXPECT_TRUE(run.console.ends_with(std::string(75, '&') + "\n" + pause_prompt));
  const std::string end_of_file = "\n     MOTIVO: linha " +
                                  std::to_string(line_count(full, material_end + 1)) +
                                  ": o ficheiro acaba antes de todos os dados\n\n\n     ATEN";
  EXPECT_TRUE(contains(run.console, end_of_file));
  EXPECT_TRUE(contains(run.log, end_of_file));

  // A letter where the first x is expected.
  std::string garbled = full;
  garbled.replace(garbled.find("\n1 0 0\n"), 7, "\n1 x 0\n");
  folder.write("letra", garbled);
  run = testing::run_in(folder, "letra\n");
  EXPECT_TRUE(contains(run.console, data_error_lines(3, 2)));
  const std::size_t node_line = line_count(garbled, garbled.find("\n1 x 0\n") + 1) + 1;
  EXPECT_TRUE(contains(run.console, "     MOTIVO: linha " + std::to_string(node_line) +
                                        ": valor ilegível \"x\"\n"_l1));
}

TEST(RunProgram, LimitViolationsExplainTheReason) {
  TempFolder folder;
  std::string text = testing::plate_data_text(small_plate());
  text.replace(text.find("\n9 4 8\n"), 7, "\n301 4 8\n");
  folder.write("muitos", text);
  const RunResult run = testing::run_in(folder, "muitos\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(contains(run.console, "\n     MOTIVO: "));
  EXPECT_TRUE(contains(run.log, "\n     MOTIVO: "));
  EXPECT_LT(run.console.find("MOTIVO"), run.console.find("ERROS NO FICHEIRO"));
  EXPECT_TRUE(contains(run.console, data_error_lines(3, 1)));
}

TEST(RunProgram, ResultsFileMustNotReplaceTheDataOrTheLog) {
  TempFolder folder;
  for (const std::string name : {"placa", "'./placa'", "ZLIXO", "'./ZLIXO'"}) {
    PlateData plate = small_plate();
    plate.results_name = name;
    folder.write("placa", testing::plate_data_text(plate));
    const RunResult run = testing::run_in(folder, "placa\n");
    EXPECT_EQ(run.status, 1) << name;
    const std::string text = testing::plate_data_text(plate);
    EXPECT_TRUE(contains(run.console,
                         "MOTIVO: linha " + std::to_string(line_count(text, text.size())) + ": "))
        << name;
    EXPECT_TRUE(contains(run.console, data_error_lines(5, 1))) << name;
    EXPECT_EQ(folder.read("placa"), testing::plate_data_text(plate));
  }
}

TEST(RunProgram, BandAboveTheStoreStops) {
  PlateData plate;
  plate.nx = 40;
  plate.ny = 1;
  plate.lx = 40.0;
  plate.ly = 1.0;
  plate.supports = testing::edge_supports(plate, false);
  plate.supports.resize(60);
  plate.cases = {{{2, 0, {-10.0}}}};
  TempFolder folder;
  folder.write("larga", testing::plate_data_text(plate));
  const RunResult run = testing::run_in(folder, "larga\n");
  const std::string message =
      "\n\n     ATENÇÃO: LARGURA DE BANDA SUPERIOR A 120\n"
      "     RENUMERAR OS NÓS DA MALHA\n\n"
      "  VAI TERMINAR A EXECUÇÃO\n\n"_l1 +
      std::string(75, '&') + "\n";
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with(message + pause_prompt));
  EXPECT_TRUE(run.log.ends_with(std::string(20, ' ') + " e valores elementares)\n" + message));
}

TEST(RunProgram, ElementStops) {
  TempFolder folder;
  std::string text = testing::plate_data_text(small_plate());
  std::string clockwise = text;
  clockwise.replace(clockwise.find("\n2 1 2 3 6 5\n"), 13, "\n2 1 2 5 6 3\n");
  folder.write("horario", clockwise);
  RunResult run = testing::run_in(folder, "horario\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(
      run.console.ends_with("Erro: elemento   2 com geometria inválida\n"_l1 + pause_prompt));
  EXPECT_FALSE(contains(run.log, "geometria"));

  std::string unknown = text;
  unknown.replace(unknown.find("\n3 1 4 5 8 7\n"), 13, "\n3 2 4 5 8 7\n");
  folder.write("tipo", unknown);
  run = testing::run_in(folder, "tipo\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with("Erro: elemento desconhecido\n" + pause_prompt));
  EXPECT_EQ(count_of(run.log, " Elemento nº"_l1), 2);
  EXPECT_FALSE(contains(run.console, step_line(4)));
}

TEST(RunProgram, UnknownLoadTypeStopsBeforeStepSix) {
  PlateData plate = small_plate();
  plate.cases = {{{3, 0, {-10.0}}}};
  TempFolder folder;
  folder.write("carga", testing::plate_data_text(plate));
  const RunResult run = testing::run_in(folder, "carga\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with("Erro: Tipo de carga desconhecido\n" + pause_prompt));
  EXPECT_TRUE(contains(run.console, step_line(5)));
  EXPECT_FALSE(contains(run.console, step_line(6)));
}

TEST(RunProgram, LocalMechanismNamesTheNode) {
  PlateData plate = small_plate();
  TempFolder folder;
  std::string text = testing::plate_data_text(plate);
  // A tenth node that no element touches and no spring holds.
  text.replace(text.find("\n9 4 8\n"), 7, "\n10 4 8\n");
  text.replace(text.find("elementos\n"), 10, "10 9 9\nelementos\n");
  folder.write("solto", text);
  RunResult run = testing::run_in(folder, "solto\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with(
      "\n\n     ATENÇÃO: MECANISMO LOCAL\n\n\n      Verificar a ligação horizontal no nó 10\n\n"
      " VAI TERMINAR A EXECUÇÃO\n\n"_l1 +
      std::string(75, '&') + "\n" + pause_prompt));
}

TEST(RunProgram, SingleElementExampleIsAGlobalMechanism) {
  TempFolder folder;
  folder.write("placa1", example("placa1"));
  const RunResult run = testing::run_in(folder, "placa1\n\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(count_of(run.console, "          NAO HA PIVOT SUPERIOR A"), 3);
  EXPECT_FALSE(contains(run.log, "NAO HA PIVOT"));
  EXPECT_TRUE(contains(run.log, step_line(7) + std::string(20, ' ') +
                                    "(Determinação dos Deslocamentos Nodais)\n\n\n"_l1 +
                                    "     ATENÇÃO: POSSÍVEL MECANISMO GLOBAL\n"_l1));
  EXPECT_FALSE(folder.holds("placa1.res"));
}

TEST(RunProgram, FailedReportKeepsThePreviousOne) {
  TempFolder folder;
  folder.write("placa", testing::plate_data_text(small_plate()));
  folder.write("placa.res", "relatorio anterior\n");
  std::filesystem::permissions(folder.path() / "placa.res", std::filesystem::perms::owner_read);
  RunResult run = testing::run_in(folder, "placa\n");
  const std::string message =
      "\n     ERRO: não foi possível escrever o ficheiro de resultados: placa.res\n"_l1;
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with(message + pause_prompt));
  EXPECT_TRUE(run.log.ends_with(message));
  EXPECT_EQ(folder.read("placa.res"), "relatorio anterior\n");

  std::filesystem::remove(folder.path() / "placa.res");
  std::filesystem::create_directory(folder.path() / "placa.res");
  run = testing::run_in(folder, "placa\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.console.ends_with(message + pause_prompt));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            3);  // no temporary file left behind: placa, placa.res, ZLIXO
}

// A new report gets the permissions the user's umask gives new files, a replaced one keeps
// those of the old file, and a results name that is a link is written through it.
TEST(RunProgram, ReportKeepsPermissionsAndLinks) {
  namespace fs = std::filesystem;
  TempFolder folder;
  folder.write("placa", testing::plate_data_text(small_plate()));
  const mode_t previous_mask = umask(027);
  RunResult run = testing::run_in(folder, "placa\n");
  umask(previous_mask);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(fs::status(folder.path() / "placa.res").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string report = folder.read("placa.res");

  fs::permissions(folder.path() / "placa.res", fs::perms::owner_read | fs::perms::owner_write);
  folder.write("placa.res", "relatorio anterior\n");
  run = testing::run_in(folder, "placa\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(fs::status(folder.path() / "placa.res").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(folder.read("placa.res"), report);

  fs::remove(folder.path() / "placa.res");
  fs::create_directory(folder.path() / "saida");
  folder.write("saida/relatorio", "relatorio anterior\n");
  fs::create_symlink("saida/relatorio", folder.path() / "placa.res");
  run = testing::run_in(folder, "placa\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(fs::read_symlink(folder.path() / "placa.res"), "saida/relatorio");
  EXPECT_EQ(folder.read("saida/relatorio"), report);
  EXPECT_EQ(
      std::distance(fs::directory_iterator(folder.path() / "saida"), fs::directory_iterator()),
      1);  // no temporary file left beside the target
}

TEST(Program, RunsTheDefaultExampleWithoutConsoleInput) {
  TempFolder folder;
  folder.write("d01", example("d01"));
  const std::string command = "cd '" + folder.path().string() + "' && '" + LAJEFEM_BINARY +
                              "' </dev/null >console.txt 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(folder.holds("d01.res"));
  EXPECT_TRUE(contains(folder.read("console.txt"), step_line(10)));
}

TEST(Program, ExitStatusOfAStop) {
  TempFolder folder;
  folder.write("placa1", example("placa1"));
  const std::string command = "cd '" + folder.path().string() + "' && echo placa1 | '" +
                              LAJEFEM_BINARY + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace lajefem
