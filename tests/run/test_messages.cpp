#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "run/messages.hpp"
#include "tests/run/run_harness.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {
namespace {

TEST(Messages, BannerFrameAndBlockLetters) {
  const std::vector<std::string> lines = testing::lines_of(banner_text());
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "   /" + std::string(67, '-') + "\\");
  EXPECT_EQ(lines[16], "   \\" + std::string(67, '-') + "/");
  for (int row = 2; row <= 15; ++row) {
    EXPECT_EQ(lines[row].size(), 72u) << row;
    EXPECT_EQ(lines[row].substr(0, 6), "   |  ") << row;
    EXPECT_EQ(lines[row].back(), '|') << row;
  }
  EXPECT_EQ(lines[3].substr(6, 62),
            "######  ######  ######  ######  ######    ##    #    #    ##  ");
  for (int row = 10; row <= 14; ++row) {
    EXPECT_NE(lines[row].find('*'), std::string::npos);
    EXPECT_EQ(lines[row].find_first_not_of(" *", 6), 71u);  // only '*' and blanks inside
  }
}

TEST(Messages, StepMessages) {
  EXPECT_EQ(step_message_text(1),
            "\n\n     1º passo executado :\n"
            "                    (Abertura dos ficheiros de dados)\n"_l1);
  EXPECT_EQ(step_message_text(3),
            "\n\n     3º passo executado :\n"
            "                    (Cálculo de factores de forma, derivadas\n"
            "                     e valores elementares)\n"_l1);
  EXPECT_EQ(step_message_text(10),
            "\n\n     10º passo executado :\n"
            "                    (Saida de resultados)\n"_l1);
}

TEST(Messages, DataErrorPartAndSubsection) {
  const struct {
    int code;
    const char* line;
  } rows[] = {
      {103, "     CORRIGIR PARTE PRINCIPAL Nº  1  SUBSECÇÃO Nº  1"},
      {301, "     CORRIGIR PARTE PRINCIPAL Nº  3  SUBSECÇÃO Nº  1"},
      {312, "     CORRIGIR PARTE PRINCIPAL Nº  3  SUBSECÇÃO Nº  2"},
      {440, "     CORRIGIR PARTE PRINCIPAL Nº  4  SUBSECÇÃO Nº  5"},
      {452, "     CORRIGIR PARTE PRINCIPAL Nº  4  SUBSECÇÃO Nº  6"},
  };
  for (const auto& row : rows) {
    const std::vector<std::string> lines = testing::lines_of(data_error_text(row.code));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "     ATENÇÃO: ERROS NO FICHEIRO DE DADOS"_l1);
    EXPECT_EQ(lines[3], to_latin1(row.line)) << row.code;
    EXPECT_EQ(lines[5], "  VAI TERMINAR A EXECUÇÃO"_l1);
    EXPECT_EQ(lines[7], std::string(75, '&'));
  }
}

TEST(Messages, LocalMechanismByPosition) {
  EXPECT_EQ(
      local_mechanism_text(13),
      "\n\n     ATENÇÃO: MECANISMO LOCAL\n\n\n      Verificar a ligação horizontal no nó  5\n\n"
      " VAI TERMINAR A EXECUÇÃO\n\n"_l1 +
          std::string(75, '&') + "\n");
  EXPECT_NE(local_mechanism_text(14).find(" Verificar a ligação vertical no nó  5\n"_l1),
            std::string::npos);
  EXPECT_EQ(local_mechanism_text(15), "\n\n     ATENÇÃO: MECANISMO LOCAL\n"_l1);
}

// Each stop as the console shows it, and whether the log shows it too.
TEST(Messages, StopsOnConsoleAndLog) {
  using Kind = AnalysisStop::Kind;
  const auto stop_with = [](Kind kind, int number) {
    AnalysisStop stop;
    stop.kind = kind;
    stop.element = number;
    stop.equation = number;
    stop.load_case = 1;
    stop.load = number;
    stop.half_bandwidth = 123;
    stop.data_error_code = 301;
    stop.line = number;
    stop.reason = "número de nós 301 fora de 1..300";
    return stop;
  };
  const struct {
    AnalysisStop stop;
    std::string text;
    bool logged;
  } rows[] = {
      {stop_with(Kind::unknown_element_type, 3), "Erro: elemento desconhecido\n", false},
      {stop_with(Kind::invalid_geometry, 2), "Erro: elemento   2 com geometria inválida\n"_l1,
       false},
      {stop_with(Kind::unknown_load_type, 2), "Erro: Tipo de carga desconhecido\n", false},
      {stop_with(Kind::band_limit, 0), band_limit_text(), true},
      {stop_with(Kind::local_mechanism, 13), local_mechanism_text(13), true},
      {stop_with(Kind::global_mechanism, 0), global_mechanism_text(), true},
      {stop_with(Kind::data_error, 6),
       "     MOTIVO: linha 6: número de nós 301 fora de 1..300\n"_l1 + data_error_text(301), true},
  };
  for (const auto& row : rows) {
    const StopMessage message = stop_message(row.stop);
    EXPECT_EQ(message.text, row.text) << row.text;
    EXPECT_EQ(message.logged, row.logged) << row.text;
  }
  EXPECT_EQ(scratch_read_error_text(),
            "\n     ERRO: leitura do ficheiro temporário de resultados falhou\n"_l1);
  EXPECT_EQ(scratch_file_error_text(),
            "\n     ERRO: não foi possível criar o ficheiro temporário de resultados\n"_l1);
}

TEST(Messages, DisplacementTableLine) {
  EXPECT_EQ(displacement_table_line(1, -0.4312549e-11, -0.2260792e-12),
            "  1 -0.4312549E-11 -0.2260792E-12\n");
  EXPECT_EQ(displacement_table_line(900, 0.008412359, 0.0), "900  0.8412359E-02   0.000000    \n");
}

}  // namespace
}  // namespace lajefem
