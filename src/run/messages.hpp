// The catalogue of the run's messages, each as the Latin-1 text of its lines (every line ends
// with '\n'), the stops of the analysis among them.
#pragma once

#include <string>

#include "model/analysis_stop.hpp"

namespace lajefem {

// How the console program shows a stop: the text, on the console and, when logged, in the log.
struct StopMessage {
  std::string text;
  bool logged = false;
};

StopMessage stop_message(const AnalysisStop& stop);
// The data-error stop of statement code, failed at line for reason.
StopMessage data_error_message(int code, long long line, const std::string& reason);

std::string banner_text();
std::string title_block_text();
std::string file_name_prompt_text();
std::string step_message_text(int step);
std::string data_error_text(int data_error_code);
std::string rejection_reason_text(long long line, const std::string& reason);
std::string local_mechanism_text(int equation);
std::string global_mechanism_text();
std::string band_limit_text();
std::string displacement_table_line(int equation, double case_1, double case_2);
std::string final_message_text();
std::string pause_prompt_text();
std::string data_file_error_text(const std::string& name);
std::string log_file_error_text();
std::string log_write_error_text();
std::string results_file_error_text(const std::string& name);
std::string scratch_file_error_text();
std::string scratch_read_error_text();

}  // namespace lajefem
