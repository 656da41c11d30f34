#include "run/run_program.hpp"

#include <ctime>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <string>

#include "element/element_loop.hpp"
#include "element/geometry_tables.hpp"
#include "files/run_files.hpp"
#include "model/data_reader.hpp"
#include "model/model_store.hpp"
#include "model/run_stop.hpp"
#include "model/scratch_records.hpp"
#include "report/results_report.hpp"
#include "results/element_results.hpp"
#include "results/load_vectors.hpp"
#include "results/support_reactions.hpp"
#include "run/band_operations.hpp"
#include "run/messages.hpp"
#include "solver/banded_solver.hpp"
#include "text/text_fields.hpp"

namespace lajefem {

namespace fs = std::filesystem;

namespace {

constexpr int data_read_successfully = 600;
constexpr int results_file_name_code = 501;

// One run in progress: the store, the console and the files, and the step sequence.
class Run {
 public:
  Run(const RunEnvironment& environment, std::ostream& log)
      : environment_(environment), console_(environment.console_out), log_(log) {}

  void announce(const std::string& text) {
    console_ << text;
    log_ << text;
  }

  void stop_with(const std::string& text) {
    announce(text);
    throw RunStop();
  }

  std::string ask_data_file_name() {
    console_ << file_name_prompt_text();
    std::string name = "d01" + std::string(limits::name_length - 3, ' ');
    read_file_name_answer(environment_.console_in, name);
    return name;
  }

  // Steps 1 to 10 on an opened data file.
  void analyse(std::istream& data, const std::string& data_name) {
    announce(step_message_text(1));
    read_model(data, data_name);
    announce(step_message_text(2));
    store_->equation_count = equation_count_of(store_->node_count);
    prepare_elements();
    announce(step_message_text(3));
    assemble_stiffness();
    announce(step_message_text(4));
    add_support_springs(*store_);
    announce(step_message_text(5));
    check_local_mechanism();
    form_loads();
    announce(step_message_text(6));
    solve();
    announce(step_message_text(7));
    check_global_mechanism();
    write_displacement_table();
    compute_element_results(*store_, *scratch_, console_);
    announce(step_message_text(8));
    compute_support_reactions(*store_, *scratch_, console_);
    announce(step_message_text(9));
    write_report();
    announce(step_message_text(10));
    announce(final_message_text());
  }

  // Replaces any previous report by this run's. False (after a console message) when that fails.
  bool publish_report() {
    if (report_ && !report_->publish()) {
      console_ << results_file_error_text(results_name());
      return false;
    }
    return true;
  }

 private:
  void read_model(std::istream& data, const std::string& data_name) {
    store_->title = data_name;
    store_->data_error_code = 0;
    DataFault fault;
    read_data_file(data, *store_, fault);
    if (store_->data_error_code == data_read_successfully) {
      check_results_file_name(data_name, fault);
    }
    if (store_->data_error_code != data_read_successfully) {
      announce(rejection_reason_text(fault.line, fault.reason));
      stop_with(data_error_text(store_->data_error_code));
    }
  }

  // The report must not overwrite the data file or the log.
  void check_results_file_name(const std::string& data_name, DataFault& fault) {
    const fs::path results = results_path();
    if (designates_same_file(results, environment_.folder / trimmed_name(data_name)) ||
        designates_same_file(results, environment_.folder / "ZLIXO")) {
      store_->data_error_code = results_file_name_code;
      fault.line = fault.results_name_line;
      fault.reason = "o ficheiro de resultados " + results_name() +
                     " seria o ficheiro de dados ou o ficheiro ZLIXO";
    }
  }

  void prepare_elements() {
    scratch_ = open_scratch_file();
    if (!scratch_) {
      console_ << "\n     ERRO: não foi possível criar o ficheiro temporário de resultados\n"_l1;
      throw RunStop();
    }
    gather_element_coordinates(*store_);
    build_sampling_tables(*store_);
  }

  void assemble_stiffness() {
    compute_half_bandwidth(*store_);
    if (store_->half_bandwidth > max_band) {
      stop_with(band_limit_text());
    }
    assemble_global_stiffness(*store_, console_, log_, *scratch_);
    write_scratch_record(*scratch_, store_->global_stiffness.data(), StiffnessMatrix::size);
  }

  void check_local_mechanism() {
    const int equation = find_local_mechanism(*store_);
    if (equation != 0) {
      stop_with(local_mechanism_text(equation));
    }
  }

  void form_loads() {
    store_->load_vectors.fill(0.0);
    form_load_vectors(*store_, console_);
    write_scratch_record(*scratch_, store_->load_vectors.data(), LoadMatrix::size);
  }

  void solve() {
    copy_upper_band(*store_);
    store_->singular_flag = 0;
    solve_banded(max_equations, max_band, max_load_cases, store_->equation_count,
                 store_->half_bandwidth, store_->load_case_count, store_->band_stiffness,
                 store_->load_vectors, store_->singular_flag, console_);
  }

  void check_global_mechanism() {
    if (store_->singular_flag != 0) {
      stop_with(global_mechanism_text());
    }
  }

  void write_displacement_table() {
    log_ << "\n";
    for (int i = 1; i <= store_->equation_count; ++i) {
      log_ << displacement_table_line(i, store_->load_vectors(i, 1), store_->load_vectors(i, 2));
    }
  }

  fs::path results_path() const { return environment_.folder / results_name(); }

  // The report is written in full now and put in place only once the log is known to be whole.
  void write_report() {
    const CalendarDate today = environment_.today();
    report_ = stage_file(results_path(),
                         [&](std::ostream& out) { write_results_report(*store_, today, out); });
    if (!report_) {
      stop_with(results_file_error_text(results_name()));
    }
  }

  std::string results_name() const { return trimmed_name(store_->results_file_name); }

  const RunEnvironment& environment_;
  std::ostream& console_;
  std::ostream& log_;
  std::unique_ptr<ModelStore> store_ = make_model_store();
  std::unique_ptr<std::fstream> scratch_;
  std::unique_ptr<StagedFile> report_;
};

void pause(const RunEnvironment& environment) {
  environment.console_out << pause_prompt_text() << std::flush;
  // Whatever the line holds is passed over without being kept: endless input cannot fill memory.
  environment.console_in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
}

// A name that holds a NUL byte designates no file: the system would read it only up to the NUL.
void open_data_file(const fs::path& folder, const std::string& name, std::ifstream& data) {
  const fs::path path = folder / trimmed_name(name);
  std::error_code error;
  if (name.find('\0') == std::string::npos && !fs::is_directory(path, error)) {
    data.open(path, std::ios::binary);
  }
}

std::string without_nul_bytes(std::string name) {
  std::erase(name, '\0');
  return name;
}

CalendarDate local_date() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CalendarDate{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

}  // namespace

RunEnvironment console_environment() {
  return RunEnvironment{std::cin, std::cout, fs::path("."), local_date};
}

int run_program(const RunEnvironment& environment) {
  BufferedFile<std::ofstream> log(environment.folder / "ZLIXO", std::ios::binary | std::ios::trunc);
  if (!log.is_open()) {
    environment.console_out << log_file_error_text() << std::flush;
    return 1;
  }
  Run run(environment, log);
  run.announce(banner_text());
  run.announce(title_block_text());
  const std::string data_name = run.ask_data_file_name();
  std::ifstream data;
  open_data_file(environment.folder, data_name, data);
  if (!data.is_open()) {
    run.announce(data_file_error_text(trimmed_name(without_nul_bytes(data_name))));
    return 1;
  }
  int status = 0;
  try {
    run.analyse(data, data_name);
  } catch (const RunStop&) {
    status = 1;
  }
  log.close();
  if (log.fail()) {
    // A full disk, say: the run is not a success when its log is incomplete, and its report
    // does not replace an earlier one.
    environment.console_out << log_write_error_text();
    status = 1;
  }
  if (status == 0 && !run.publish_report()) {
    status = 1;
  }
  pause(environment);
  return status;
}

}  // namespace lajefem
