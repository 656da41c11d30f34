// The run's messages, each as the Latin-1 text of its lines (every line ends with '\n').
#pragma once

#include <string>

namespace lajefem {

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

}  // namespace lajefem
