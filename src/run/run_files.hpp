// The files of a run besides the console: the results scratch file and the results file.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace lajefem {

// A new, empty binary file outside the working folder that nobody else can name: it is removed
// from the file system at once and disappears when the stream is closed, however the run ends.
// Returns nullptr when no such file can be made.
std::unique_ptr<std::fstream> open_scratch_file();

// Name as typed (12 characters, blank padded) without its trailing blanks.
std::string trimmed_name(const std::string& name);

// True when path designates the same file as one of the others (links and "./" included).
bool designates_same_file(const std::filesystem::path& path, const std::filesystem::path& other);

// Writes the report through a temporary file in the same folder, renamed over path only once
// complete, so a failed write keeps any previous report whole. Returns false on any failure.
bool write_file_atomically(const std::filesystem::path& path,
                           const std::function<void(std::ostream&)>& write);

}  // namespace lajefem
