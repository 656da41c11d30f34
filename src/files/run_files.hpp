// The files of a run besides the console: the results scratch file and the results file.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace lajefem {

// The buffer of a BufferedFile, a base of it so that it outlives the stream, which flushes into
// it when it closes.
struct FileBuffer {
  std::vector<char> bytes = std::vector<char>(256 * 1024);
};

// A file stream with a 256 KiB buffer of its own: the log, the report and the scratch records
// reach the file in a few large writes instead of thousands of 8 KiB ones.
template <typename FileStream>
class BufferedFile : private FileBuffer, public FileStream {
 public:
  BufferedFile(const std::filesystem::path& path, std::ios::openmode mode) {
    this->rdbuf()->pubsetbuf(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    this->open(path, mode);
  }
};

// A new, empty binary file outside the working folder that nobody else can name: made without a
// name where the system allows (nothing is left even if the process is killed), otherwise removed
// from the file system at once; it disappears when the stream is closed, however the run ends.
// Returns nullptr when no such file can be made.
std::unique_ptr<std::fstream> open_scratch_file();

// Name as typed (12 characters, blank padded) without its trailing blanks.
std::string trimmed_name(const std::string& name);

// True when path designates the same file as one of the others (links and "./" included).
bool designates_same_file(const std::filesystem::path& path, const std::filesystem::path& other);

class TemporaryNameGuard;

// A file written in full but not yet in place: it has no name (where the system allows) or a
// hidden temporary one beside its target. Publishing puts it in place in one step; a staged file
// destroyed unpublished leaves nothing behind, and any previous file stays whole.
class StagedFile {
 public:
  StagedFile(std::filesystem::path target, int descriptor, std::filesystem::path temporary);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Replaces the target by the staged file. False when that fails; the target is then unchanged.
  bool publish();

 private:
  std::filesystem::path target_;
  int descriptor_ = -1;              // the unnamed file, -1 when the file has a temporary name
  std::filesystem::path temporary_;  // the temporary name, empty once published or when unnamed
  std::unique_ptr<TemporaryNameGuard> guard_;
};

// Whether an existing file may be replaced by a written one: a plain file its owner may write.
bool is_replaceable_file(const std::filesystem::file_status& status);

// Writes a file for path without touching path itself. A path that is a link, dangling or not, is
// written through to the file it leads to (created when absent), so that the link stays a link;
// the file keeps the permissions of the one it will replace. nullptr on any failure (the target
// is not a writable regular file, the links loop, a write failed).
std::unique_ptr<StagedFile> stage_file(const std::filesystem::path& path,
                                       const std::function<void(std::ostream&)>& write);

// stage_file and publish at once: a failed write keeps any previous file whole.
bool write_file_atomically(const std::filesystem::path& path,
                           const std::function<void(std::ostream&)>& write);

}  // namespace lajefem
