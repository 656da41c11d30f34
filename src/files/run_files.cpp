#include "files/run_files.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

#include "files/process_guards.hpp"

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

// A new file in folder that has no name (Linux's O_TMPFILE), reached through /proc; -1 where the
// system or the file system cannot make one.
int open_unnamed_file(const fs::path& folder) {
#ifdef O_TMPFILE
  std::error_code error;
  if (!fs::is_directory("/proc/self/fd", error)) {
    return -1;
  }
  return open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
  static_cast<void>(folder);
  return -1;
#endif
}

// The name under which the system reopens or links the file open on a descriptor.
fs::path descriptor_path(int descriptor) {
  return fs::path("/proc/self/fd") / std::to_string(descriptor);
}

fs::path folder_of(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// Where a file named path goes: a path that is a link, dangling or not, leads to the file the
// link names, followed link by link, so that the links stay links. Empty when the links loop.
fs::path through_links(const fs::path& named) {
  constexpr int deepest = 40;  // as the system's own limit on links followed
  fs::path path = named;
  for (int depth = 0; depth < deepest; ++depth) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) {
      return path;
    }
    const fs::path target = fs::read_symlink(path, error);
    if (error) {
      return {};
    }
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return {};
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

std::unique_ptr<std::fstream> open_scratch_at(const fs::path& path) {
  // The file is new and empty: opened without truncation, which on some file systems would have
  // its pages written out to disk when it is closed.
  auto scratch = std::make_unique<BufferedFile<std::fstream>>(
      path, std::ios::in | std::ios::out | std::ios::binary);
  if (!scratch->is_open()) {
    return nullptr;
  }
  return scratch;
}

std::unique_ptr<std::fstream> open_unnamed_scratch(const fs::path& folder) {
  const int descriptor = open_unnamed_file(folder);
  if (descriptor < 0) {
    return nullptr;
  }
  auto scratch = open_scratch_at(descriptor_path(descriptor));
  close(descriptor);
  return scratch;
}

// The name exists only while the signals are held.
std::unique_ptr<std::fstream> open_named_scratch(const fs::path& folder) {
  const SignalsHeld held;
  const fs::path path = make_unique_file((folder / "lajefem-").string());
  if (path.empty()) {
    return nullptr;
  }
  auto scratch = open_scratch_at(path);
  std::error_code error;
  fs::remove(path, error);
  return scratch;
}

// Links the unnamed file into folder under a new hidden name ".NAME.<pid>-<n>"; empty on failure.
fs::path link_unnamed_file(int descriptor, const fs::path& target) {
  const std::string prefix = "." + target.filename().string() + "." + std::to_string(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path name = folder_of(target) / (prefix + "-" + std::to_string(attempt));
    if (linkat(AT_FDCWD, descriptor_path(descriptor).c_str(), AT_FDCWD, name.c_str(),
               AT_SYMLINK_FOLLOW) == 0) {
      return name;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return {};
}

bool write_whole(const fs::path& path, const std::function<void(std::ostream&)>& write) {
  BufferedFile<std::ofstream> out(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!out.is_open()) {
    return false;
  }
  write(out);
  out.flush();
  const bool written = out.good();
  out.close();
  return written && !out.fail();
}

}  // namespace

std::unique_ptr<std::fstream> open_scratch_file() {
  std::error_code error;
  const fs::path folder = fs::temp_directory_path(error);
  const fs::path place = error ? fs::path("/tmp") : folder;
  if (auto scratch = open_unnamed_scratch(place)) {
    return scratch;
  }
  return open_named_scratch(place);
}

std::string trimmed_name(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

bool designates_same_file(const fs::path& path, const fs::path& other) {
  std::error_code error;
  return fs::equivalent(path, other, error) && !error;
}

StagedFile::StagedFile(fs::path target, int descriptor, fs::path temporary)
    : target_(std::move(target)), descriptor_(descriptor), temporary_(std::move(temporary)) {
  if (!temporary_.empty()) {
    guard_ = std::make_unique<TemporaryNameGuard>(temporary_);
  }
}

StagedFile::~StagedFile() {
  if (descriptor_ >= 0) {
    close(descriptor_);
  }
  if (!temporary_.empty()) {
    std::error_code error;
    fs::remove(temporary_, error);
  }
}

bool StagedFile::publish() {
  std::error_code error;
  if (descriptor_ < 0) {
    fs::rename(temporary_, target_, error);
    if (!error) {
      temporary_.clear();
    }
    return !error;
  }
  // Between the link and the rename the file has a name: no signal may end the run there.
  const SignalsHeld held;
  const fs::path linked = link_unnamed_file(descriptor_, target_);
  if (linked.empty()) {
    return false;
  }
  fs::rename(linked, target_, error);
  if (error) {
    fs::remove(linked, error);
    return false;
  }
  return true;
}

bool is_replaceable_file(const fs::file_status& status) {
  return fs::is_regular_file(status) &&
         (status.permissions() & fs::perms::owner_write) != fs::perms::none;
}

std::unique_ptr<StagedFile> stage_file(const fs::path& path,
                                       const std::function<void(std::ostream&)>& write) {
  const fs::path target = through_links(path);
  if (target.empty()) {
    return nullptr;
  }
  std::error_code error;
  const fs::file_status existing = fs::status(target, error);
  if (fs::exists(existing) && !is_replaceable_file(existing)) {
    return nullptr;
  }
  std::unique_ptr<StagedFile> staged;
  fs::path written_at;
  const int descriptor = open_unnamed_file(folder_of(target));
  if (descriptor >= 0) {
    staged = std::make_unique<StagedFile>(target, descriptor, fs::path());
    written_at = descriptor_path(descriptor);
  } else {
    const SignalsHeld held;
    written_at =
        make_unique_file((folder_of(target) / ("." + target.filename().string() + ".")).string());
    if (written_at.empty()) {
      return nullptr;
    }
    staged = std::make_unique<StagedFile>(target, -1, written_at);
  }
  if (!write_whole(written_at, write)) {
    return nullptr;
  }
  fs::permissions(written_at, report_permissions(existing), error);
  return staged;
}

bool write_file_atomically(const fs::path& path, const std::function<void(std::ostream&)>& write) {
  const std::unique_ptr<StagedFile> staged = stage_file(path, write);
  return staged && staged->publish();
}

}  // namespace lajefem
