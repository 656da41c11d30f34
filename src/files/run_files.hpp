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

// A new, empty binary file outside the working folder that nobody else can name: it is removed
// from the file system at once and disappears when the stream is closed, however the run ends.
// Returns nullptr when no such file can be made.
std::unique_ptr<std::fstream> open_scratch_file();

// Name as typed (12 characters, blank padded) without its trailing blanks.
std::string trimmed_name(const std::string& name);

// True when path designates the same file as one of the others (links and "./" included).
bool designates_same_file(const std::filesystem::path& path, const std::filesystem::path& other);

// Writes the report through a temporary file in the same folder, renamed over path only once
// complete, so a failed write keeps any previous report whole. A path that is a link is written
// through to the file it leads to; the report keeps the permissions of the file it replaces.
// Returns false on any failure.
bool write_file_atomically(const std::filesystem::path& path,
                           const std::function<void(std::ostream&)>& write);

}  // namespace lajefem
