#include "run/messages.hpp"

#include <array>

#include "model/equation_numbering.hpp"
#include "text/latin1.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace {

constexpr int frame_inner = 65;  // columns 7..71, between "|  " and the closing "|"

std::string framed_row(const std::string& content) {
  return "   |  " + content + std::string(frame_inner - content.size(), ' ') + "|\n";
}

std::string blank_row() {
  return "   |" + std::string(67, ' ') + "|\n";
}

std::string ampersand_line() {
  return std::string(75, '&') + "\n";
}

const std::array<const char*, 6> programa_rows = {
    "######  ######  ######  ######  ######    ##    #    #    ##  ",
    "#    #  #    #  #    #  #       #    #   #  #   ##  ##   #  # ",
    "######  ######  #    #  #       ######  #    #  # ## #  #    #",
    "#       # #     #    #  ######  # #     ######  #    #  ######",
    "#       #  #    #    #  #    #  #  #    #    #  #    #  #    #",
    "#       #   #   ######  ######  #   #   #    #  #    #  #    #",
};

const std::array<const char*, 5> name_rows = {
    "*          *        *  *****  *****  *****  *   *",
    "*         * *       *  *      *      *      ** **",
    "*        *****      *  ****   ****   ****   * * *",
    "*        *   *  *   *  *      *      *      *   *",
    "*****    *   *   ***   *****  *      *****  *   *",
};

const std::array<const char*, 10> step_titles = {
    "(Abertura dos ficheiros de dados)",        "(Leitura dos dados)",
    "(Cálculo de factores de forma, derivadas", "(Cálculo da matriz de rigidez)",
    "(Introdução das condições de apoio)",      "(Formação do Vector Solicitação)",
    "(Determinação dos Deslocamentos Nodais)",  "(Determinação dos Esforços Elementares)",
    "(Determinação das Reacções de Apoio)",     "(Saida de resultados)",
};

const std::string indent(5, ' ');

}  // namespace

std::string banner_text() {
  std::string text = "\n   /" + std::string(67, '-') + "\\\n" + blank_row();
  for (const char* row : programa_rows) {
    text += framed_row(row);
  }
  text += blank_row();
  for (const char* row : name_rows) {
    text += framed_row(row);
  }
  return text + blank_row() + "   \\" + std::string(67, '-') + "/\n";
}

std::string title_block_text() {
  return "\n" + indent + "PROGRAMA - LAJEFEM\n" + indent + "(Cálculo automático de placas)\n"_l1 +
         indent + "Elementos finitos de placa (Reissner-Mindlin)\n" + std::string(75, '-') + "\n";
}

std::string file_name_prompt_text() {
  return "\n\n" + indent + "Qual o nome do ficheiro de DADOS?\n\n";
}

std::string step_message_text(int step) {
  std::string text = "\n\n" + indent + std::to_string(step) + "º passo executado :\n"_l1 +
                     std::string(20, ' ') + to_latin1(step_titles.at(step - 1)) + "\n";
  if (step == 3) {
    text += std::string(20, ' ') + " e valores elementares)\n";
  }
  return text;
}

std::string data_error_text(int data_error_code) {
  const int part = data_error_code / 100;
  const int subsection = ((data_error_code - 100 * part) + 10) / 10;
  return "\n\n" + indent + "ATENÇÃO: ERROS NO FICHEIRO DE DADOS\n"_l1 + indent +
         "CORRIGIR PARTE PRINCIPAL Nº"_l1 + format_integer(part, 3) + "  " + "SUBSECÇÃO Nº"_l1 +
         format_integer(subsection, 3) + "\n\n" + "  VAI TERMINAR A EXECUÇÃO\n"_l1 + "\n" +
         ampersand_line();
}

// "     MOTIVO: linha 16: valor ilegível \"1.5O\""
std::string rejection_reason_text(long long line, const std::string& reason) {
  return indent + "MOTIVO: linha " + std::to_string(line) + ": " + to_latin1(reason) + "\n";
}

std::string local_mechanism_text(int equation) {
  std::string text = "\n\n" + indent + "ATENÇÃO: MECANISMO LOCAL\n"_l1;
  const NodeFreedom owner = equation_owner(equation);
  if (owner.freedom == freedom_theta_y) {
    return text;
  }
  const char* connection = owner.freedom == freedom_w ? " Verificar a ligação horizontal no nó"
                                                      : " Verificar a ligação vertical no nó";
  return text + "\n\n" + indent + to_latin1(connection) + format_integer(owner.node, 3) + "\n\n" +
         " VAI TERMINAR A EXECUÇÃO\n"_l1 + "\n" + ampersand_line();
}

std::string global_mechanism_text() {
  return "\n\n" + indent + "ATENÇÃO: POSSÍVEL MECANISMO GLOBAL\n"_l1 + "\n" +
         " VAI TERMINAR A EXECUÇÃO\n"_l1 + "\n" + ampersand_line();
}

std::string band_limit_text() {
  return "\n\n" + indent + "ATENÇÃO: LARGURA DE BANDA SUPERIOR A 120\n"_l1 + indent +
         "RENUMERAR OS NÓS DA MALHA\n"_l1 + "\n" + "  VAI TERMINAR A EXECUÇÃO\n"_l1 + "\n" +
         ampersand_line();
}

std::string displacement_table_line(int equation, double case_1, double case_2) {
  return format_integer(equation, 3) + format_general(case_1, 15, 7) +
         format_general(case_2, 15, 7) + "\n";
}

std::string final_message_text() {
  return "\n\n" + indent + "Operações finais e finalização \n"_l1;
}

std::string pause_prompt_text() {
  return indent + "Prima ENTER para terminar\n";
}

std::string data_file_error_text(const std::string& name) {
  return "\n" + indent + "ERRO: não foi possível abrir o ficheiro de dados: "_l1 + name + "\n";
}

std::string log_file_error_text() {
  return "\n" + indent + "ERRO: não foi possível criar o ficheiro de registo ZLIXO\n"_l1;
}

std::string log_write_error_text() {
  return "\n" + indent + "ERRO: não foi possível escrever o ficheiro de registo ZLIXO\n"_l1;
}

std::string results_file_error_text(const std::string& name) {
  return "\n" + indent + "ERRO: não foi possível escrever o ficheiro de resultados: "_l1 + name +
         "\n";
}

std::string scratch_file_error_text() {
  return "\n" + indent + "ERRO: não foi possível criar o ficheiro temporário de resultados\n"_l1;
}

std::string scratch_read_error_text() {
  return "\n" + indent + "ERRO: leitura do ficheiro temporário de resultados falhou\n"_l1;
}

StopMessage data_error_message(int code, long long line, const std::string& reason) {
  return {rejection_reason_text(line, reason) + data_error_text(code), true};
}

StopMessage stop_message(const AnalysisStop& stop) {
  using Kind = AnalysisStop::Kind;
  switch (stop.kind) {
    case Kind::data_error:
      return data_error_message(stop.data_error_code, stop.line, stop.reason);
    case Kind::band_limit:
      return {band_limit_text(), true};
    case Kind::unknown_element_type:
      return {"Erro: elemento desconhecido\n", false};
    case Kind::invalid_geometry:
      return {"Erro: elemento" + format_integer(stop.element, 4) + " com geometria inválida\n"_l1,
              false};
    case Kind::local_mechanism:
      return {local_mechanism_text(stop.equation), true};
    case Kind::unknown_load_type:
      return {"Erro: Tipo de carga desconhecido\n", false};
    case Kind::global_mechanism:
      return {global_mechanism_text(), true};
  }
  return {};
}

}  // namespace lajefem
