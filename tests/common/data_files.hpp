// The data files that tests read through both engines or both readers: the examples, and the
// reference corpus's when it is at hand (LAJEFEM_SOURCE_DIR and LAJEFEM_REFERENCE_RUNS are the
// test target's definitions).
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace lajefem::test {

inline std::vector<std::filesystem::path> example_and_corpus_files() {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(LAJEFEM_SOURCE_DIR) / "examples")) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && extension != ".msh" && extension != ".geo") {
      files.push_back(entry.path());
    }
  }
  const fs::path corpus = fs::path(LAJEFEM_REFERENCE_RUNS) / "corpus";
  if (fs::is_directory(corpus)) {
    for (const auto& entry : fs::directory_iterator(corpus)) {
      files.push_back(entry.path() / (entry.path().filename().string() + ".dat"));
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace lajefem::test
