#include "files/run_files.hpp"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>
#include <vector>

namespace lajefem {

namespace fs = std::filesystem;

namespace {

// mkstemp on a template "<prefix>XXXXXX"; returns the path made, empty on failure.
fs::path make_unique_file(const std::string& prefix) {
  std::vector<char> name(prefix.begin(), prefix.end());
  for (char c : std::string("XXXXXX")) {
    name.push_back(c);
  }
  name.push_back('\0');
  const int descriptor = mkstemp(name.data());
  if (descriptor < 0) {
    return {};
  }
  close(descriptor);
  return fs::path(name.data());
}

// Where the report goes: a results name that is a link names the file the link leads to, so
// that the link stays a link.
fs::path through_links(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) {
    return path;
  }
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target;
}

// A replaced report keeps the permissions of the old one; a new one gets those of any new file,
// 0666 less the user's umask.
fs::perms report_permissions(const fs::file_status& existing) {
  if (fs::exists(existing)) {
    return existing.permissions();
  }
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<fs::perms>(0666 & ~mask);
}

}  // namespace

std::unique_ptr<std::fstream> open_scratch_file() {
  std::error_code error;
  const fs::path folder = fs::temp_directory_path(error);
  const fs::path path = make_unique_file((error ? fs::path("/tmp") : folder) / "lajefem-");
  if (path.empty()) {
    return nullptr;
  }
  // The file is new and empty: opened without truncation, which on some file systems would have
  // its pages written out to disk when it is closed.
  auto scratch = std::make_unique<BufferedFile<std::fstream>>(
      path, std::ios::in | std::ios::out | std::ios::binary);
  fs::remove(path, error);
  if (!scratch->is_open()) {
    return nullptr;
  }
  return scratch;
}

std::string trimmed_name(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

bool designates_same_file(const fs::path& path, const fs::path& other) {
  std::error_code error;
  return fs::equivalent(path, other, error) && !error;
}

bool write_file_atomically(const fs::path& named, const std::function<void(std::ostream&)>& write) {
  const fs::path path = through_links(named);
  std::error_code error;
  const fs::file_status existing = fs::status(path, error);
  if (fs::exists(existing)) {
    const bool writable_file = fs::is_regular_file(existing) &&
                               (existing.permissions() & fs::perms::owner_write) != fs::perms::none;
    if (!writable_file) {
      return false;
    }
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const fs::path temporary =
      make_unique_file((folder / ("." + path.filename().string() + ".")).string());
  if (temporary.empty()) {
    return false;
  }
  bool written = false;
  {
    BufferedFile<std::ofstream> out(temporary, std::ios::in | std::ios::out | std::ios::binary);
    if (out.is_open()) {
      write(out);
      out.flush();
      written = out.good();
      out.close();
      written = written && !out.fail();
    }
  }
  if (written) {
    fs::permissions(temporary, report_permissions(existing), error);
    fs::rename(temporary, path, error);
    written = !error;
  }
  if (!written) {
    fs::remove(temporary, error);
  }
  return written;
}

}  // namespace lajefem
