// A set of files that appears together or not at all. The files are written into a hidden
// temporary folder on the same file system: beside the target folder when that does not exist
// yet (the temporary folder is then renamed into it), inside it when it does (each file then
// takes the place of its namesake, all under held signals, and any failure puts back the files
// already replaced). A signal, a failed write or a failure to put the files in place leaves the
// target as it was and removes the temporary folder.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace lajefem {

class TemporaryFolderGuard;

class StagedFolder {
 public:
  // The temporary folder for target, its missing parents made; nullptr when it cannot be made.
  static std::unique_ptr<StagedFolder> make(const std::filesystem::path& target);

  StagedFolder(std::filesystem::path target, std::filesystem::path temporary, bool target_exists,
               std::vector<std::filesystem::path> made_parents);
  ~StagedFolder();
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  // Writes the file `name` of the set; false when it cannot be written in full.
  bool write(const std::string& name, const std::function<void(std::ostream&)>& write);

  // Puts the whole set in place; false when that fails, the target then as it was.
  bool publish();

 private:
  bool replace_files();

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  bool target_exists_ = false;
  std::vector<std::filesystem::path> made_parents_;  // folders made for the target, outermost first
  std::vector<std::string> names_;
  std::unique_ptr<TemporaryFolderGuard> guard_;
  bool published_ = false;
};

}  // namespace lajefem
