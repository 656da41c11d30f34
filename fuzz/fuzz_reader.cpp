// Any byte sequence as a data file, and as the answer at the file-name prompt.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/data_reader.hpp"
#include "model/model_store.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  // One store for every input: reading over what an earlier input left is a case in itself.
  static const auto store = lajefem::make_model_store();
  std::istringstream data(text);
  lajefem::DataFault fault;
  lajefem::read_data_file(data, *store, fault);
  const bool names_whole = store->title.size() == 12 && store->results_file_name.size() == 12;
  if (!names_whole || (store->data_error_code == 600) != fault.reason.empty() ||
      (store->data_error_code != 600 && fault.line < 1)) {
    __builtin_trap();
  }
  std::istringstream console(text);
  std::string name = "d01         ";
  lajefem::read_file_name_answer(console, name);
  if (name.size() != 12) {
    __builtin_trap();
  }
  return 0;
}
