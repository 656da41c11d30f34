#include "run/run_program.hpp"

#include <ctime>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <string>

#include "files/run_files.hpp"
#include "model/data_reader.hpp"
#include "model/model_store.hpp"
#include "model/scratch_records.hpp"
#include "report/results_report.hpp"
#include "run/log_tables.hpp"
#include "run/messages.hpp"
#include "solver/banded_solver.hpp"
#include "steps/analysis_steps.hpp"
#include "steps/results_name.hpp"

namespace lajefem {

namespace fs = std::filesystem;

namespace {

// One run in progress: the store, the console and the files, and the step sequence. It listens
// to the analysis steps to announce each one and to write the log's tables.
class Run final : public StepListener {
 public:
  Run(const RunEnvironment& environment, std::ostream& log)
      : environment_(environment), console_(environment.console_out), log_(log) {}

  void announce(const std::string& text) {
    console_ << text;
    log_ << text;
  }

  std::string ask_data_file_name() {
    console_ << file_name_prompt_text();
    std::string name = "d01" + std::string(limits::name_length - 3, ' ');
    read_file_name_answer(environment_.console_in, name);
    return name;
  }

  // Steps 1 to 10 on an opened data file; false when the run stopped.
  bool analyse(std::istream& data, const std::string& data_name) {
    announce(step_message_text(1));
    if (!read_model(data, data_name)) {
      return false;
    }
    announce(step_message_text(2));
    scratch_ = open_scratch_file();
    if (!scratch_) {
      console_ << scratch_file_error_text();
      return false;
    }
    try {
      if (const auto stop = run_analysis_steps(*store_, *scratch_, *this)) {
        return show_stop(*stop);
      }
    } catch (const ScratchFileError&) {
      console_ << scratch_read_error_text();
      return false;
    }
    if (!write_report()) {
      announce(results_file_error_text(results_name()));
      return false;
    }
    announce(step_message_text(10));
    announce(final_message_text());
    return true;
  }

  // Replaces any previous report by this run's. False (after a console message) when that fails.
  bool publish_report() {
    if (report_ && !report_->publish()) {
      console_ << results_file_error_text(results_name());
      return false;
    }
    return true;
  }

  void step_completed(int step) override { announce(step_message_text(step)); }

  void element_formed(const ModelStore& store, int element) override {
    write_element_log(log_, store, element);
  }

  void pivot_failed(double largest_candidate) override {
    write_pivot_failure_line(console_, largest_candidate);
  }

  void displacements_found(const ModelStore& store) override {
    write_displacement_table(log_, store);
  }

 private:
  bool show_stop(const AnalysisStop& stop) { return show_stop_message(stop_message(stop)); }

  bool show_stop_message(const StopMessage& message) {
    console_ << message.text;
    if (message.logged) {
      log_ << message.text;
    }
    return false;
  }

  // False (after the data-error message) when the data file is not read whole.
  bool read_model(std::istream& data, const std::string& data_name) {
    store_->title = data_name;
    store_->data_error_code = 0;
    DataFault fault;
    read_data_file(data, *store_, fault);
    if (store_->data_error_code == data_read_successfully) {
      refuse_results_name_of_inputs(environment_.folder, data_name, *store_, fault);
    }
    if (store_->data_error_code != data_read_successfully) {
      return show_stop_message(
          data_error_message(store_->data_error_code, fault.line, fault.reason));
    }
    return true;
  }

  fs::path results_path() const { return environment_.folder / results_name(); }

  // The report is written in full now and put in place only once the log is known to be whole.
  bool write_report() {
    const CalendarDate today = environment_.today();
    report_ = stage_file(results_path(),
                         [&](std::ostream& out) { write_results_report(*store_, today, out); });
    return report_ != nullptr;
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
  int status = run.analyse(data, data_name) ? 0 : 1;
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
