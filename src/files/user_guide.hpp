// Where the user guide is for the program that runs: beside its installed copy (the guide is
// installed under the documentation folder that sits at a fixed place from the programs' folder,
// whatever the prefix), or in the sources' docs folder for a program run from its build folder.
#pragma once

#include <filesystem>
#include <string>

namespace lajefem {

// The guide's index below the documentation folder found from `program` by `doc_from_bin` (the
// documentation folder relative to the folder of the programs, "../share/doc/lajefem"), when it
// is there; empty otherwise.
std::filesystem::path installed_guide(const std::filesystem::path& program,
                                      const std::filesystem::path& doc_from_bin);

// The help texts' line that names the guide: the installed index of the running program, or the
// sources' docs/README.md. It reads the program's own path and looks for one file; it opens none.
std::string user_guide_line();

}  // namespace lajefem
