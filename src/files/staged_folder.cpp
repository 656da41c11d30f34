#include "files/staged_folder.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "files/process_guards.hpp"
#include "files/run_files.hpp"

namespace lajefem {

namespace fs = std::filesystem;

namespace {

// mkdtemp on "<prefix>XXXXXX"; empty on failure.
fs::path make_unique_folder(const fs::path& prefix) {
  std::string name = prefix.string() + "XXXXXX";
  if (mkdtemp(name.data()) == nullptr) {
    return {};
  }
  return name;
}

// The folders of path that do not exist, outermost first.
std::vector<fs::path> missing_folders(const fs::path& path) {
  std::vector<fs::path> missing;
  std::error_code error;
  for (fs::path folder = path; !folder.empty() && !fs::exists(folder, error);
       folder = folder.parent_path()) {
    missing.insert(missing.begin(), folder);
    if (folder == folder.parent_path()) {
      break;
    }
  }
  return missing;
}

// The moves of one file into the target folder, and their undoing.
enum class Move { added, exchanged, replaced };

bool move_in(const fs::path& staged, const fs::path& target, Move& move) {
  std::error_code error;
  const bool exists = fs::exists(fs::symlink_status(target, error));
  const unsigned flags = exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
  if (renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), flags) == 0) {
    move = exists ? Move::exchanged : Move::added;
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  // A file system without these renames: a plain one, which cannot be undone.
  move = Move::replaced;
  return rename(staged.c_str(), target.c_str()) == 0;
}

void move_back(const fs::path& staged, const fs::path& target, Move move) {
  if (move == Move::exchanged) {
    renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
  } else if (move == Move::added) {
    rename(target.c_str(), staged.c_str());
  }
}

}  // namespace

std::unique_ptr<StagedFolder> StagedFolder::make(const fs::path& target_path) {
  const fs::path target = target_path.has_filename() ? target_path : target_path.parent_path();
  std::error_code error;
  const bool exists = fs::is_directory(target, error);
  const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::vector<fs::path> made = exists ? std::vector<fs::path>() : missing_folders(parent);
  fs::create_directories(parent, error);
  const SignalsHeld held;
  const fs::path temporary =
      exists ? make_unique_folder(target / ".lajefem-export-")
             : make_unique_folder(parent / ("." + target.filename().string() + "."));
  if (temporary.empty()) {
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
      fs::remove(*folder, error);
    }
    return nullptr;
  }
  if (!exists) {
    // The folder it will become gets the permissions of any new folder.
    const mode_t mask = umask(0);
    umask(mask);
    fs::permissions(temporary, static_cast<fs::perms>(0777 & ~mask), error);
  }
  return std::make_unique<StagedFolder>(target, temporary, exists, std::move(made));
}

StagedFolder::StagedFolder(fs::path target, fs::path temporary, bool target_exists,
                           std::vector<fs::path> made_parents)
    : target_(std::move(target)),
      temporary_(std::move(temporary)),
      target_exists_(target_exists),
      made_parents_(std::move(made_parents)),
      guard_(std::make_unique<TemporaryFolderGuard>(temporary_)) {}

StagedFolder::~StagedFolder() {
  if (published_) {
    return;
  }
  const SignalsHeld held;
  std::error_code error;
  fs::remove_all(temporary_, error);
  guard_.reset();
  for (auto folder = made_parents_.rbegin(); folder != made_parents_.rend(); ++folder) {
    fs::remove(*folder, error);
  }
}

bool StagedFolder::write(const std::string& name, const std::function<void(std::ostream&)>& write) {
  guard_->hold(name);
  names_.push_back(name);
  return write_file_atomically(temporary_ / name, write);
}

bool StagedFolder::replace_files() {
  for (const std::string& name : names_) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(target_ / name, error))) {
      return false;  // a folder of that name is in the way; it is not replaced
    }
  }
  std::vector<Move> moves;
  for (const std::string& name : names_) {
    Move move = Move::added;
    if (!move_in(temporary_ / name, target_ / name, move)) {
      for (std::size_t k = moves.size(); k-- > 0;) {
        move_back(temporary_ / names_[k], target_ / names_[k], moves[k]);
      }
      return false;
    }
    moves.push_back(move);
  }
  return true;
}

bool StagedFolder::publish() {
  const SignalsHeld held;
  std::error_code error;
  if (!target_exists_) {
    fs::rename(temporary_, target_, error);
    published_ = !error;
  } else if (replace_files()) {
    // What remains in the temporary folder are the files replaced.
    fs::remove_all(temporary_, error);
    published_ = true;
  }
  if (published_) {
    guard_.reset();
  }
  return published_;
}

}  // namespace lajefem
