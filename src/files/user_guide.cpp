#include "files/user_guide.hpp"

#include <system_error>

namespace lajefem {

namespace fs = std::filesystem;

fs::path installed_guide(const fs::path& program, const fs::path& doc_from_bin) {
  std::error_code error;
  const fs::path guide = (program.parent_path() / doc_from_bin / "README.md").lexically_normal();
  if (program.empty() || !fs::is_regular_file(guide, error)) {
    return {};
  }
  return guide;
}

std::string user_guide_line() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  const fs::path guide = error ? fs::path() : installed_guide(program, LAJEFEM_DOC_FROM_BIN);
  if (guide.empty()) {
    return "User guide: docs/README.md in the sources\n";
  }
  return "User guide: " + guide.string() + "\n";
}

}  // namespace lajefem
