// Atomic writes and the scratch file: a failed write keeps the old file whole and leaves nothing
// beside it, the target appears only once written in full, links stay links, the scratch file has
// no name and reads back what was written.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "files/run_files.hpp"
#include "tests/common/temp_folder.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

using Folder = testing::TempFolder;

void write_plain(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const auto new_text = [](std::ostream& out) { out << "new report\n"; };

// Each way a write can fail leaves the old report as it was and no temporary file beside it.
TEST(AtomicWrite, FailureKeepsTheOldFileWhole) {
  const struct {
    const char* what;
    fs::perms permissions;
    std::function<void(std::ostream&)> write;
  } rows[] = {
      {"the stream fails midway", fs::perms::owner_read | fs::perms::owner_write,
       [](std::ostream& out) {
         out << "half a rep";
         out.setstate(std::ios::badbit);
       }},
      {"the old file is read-only", fs::perms::owner_read, new_text},
  };
  for (const auto& row : rows) {
    const Folder folder;
    write_plain(folder / "d01.res", "old report\n");
    fs::permissions(folder / "d01.res", row.permissions);
    EXPECT_FALSE(write_file_atomically(folder / "d01.res", row.write)) << row.what;
    EXPECT_EQ(testing::read_file(folder / "d01.res"), "old report\n") << row.what;
    EXPECT_EQ(folder.names(), std::set<std::string>{"d01.res"}) << row.what;
  }
}

TEST(AtomicWrite, AFolderInTheWayIsNotReplaced) {
  const Folder folder;
  fs::create_directory(folder / "d01.res");
  EXPECT_FALSE(write_file_atomically(folder / "d01.res", new_text));
  EXPECT_TRUE(fs::is_directory(folder / "d01.res"));
  EXPECT_EQ(folder.names(), std::set<std::string>{"d01.res"});
}

// While the text is written, and after a staged file is dropped, the name shows the old file
// (or nothing); only publishing puts the new one in place, with the old one's permissions.
TEST(AtomicWrite, TargetAppearsOnlyWhenComplete) {
  for (const bool existing : {false, true}) {
    const Folder folder;
    const fs::path target = folder / "d01.res";
    if (existing) {
      write_plain(target, "old report\n");
      fs::permissions(target,
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
    const std::string before = existing ? "old report\n" : "";
    const auto write_and_look = [&](std::ostream& out) {
      out << "new report\n";
      out.flush();
      EXPECT_EQ(fs::exists(target), existing);
      EXPECT_EQ(testing::read_file(target), before);
    };
    stage_file(target, write_and_look).reset();
    EXPECT_EQ(testing::read_file(target), before) << existing;
    EXPECT_EQ(folder.names().size(), existing ? 1u : 0u) << existing;
    auto staged = stage_file(target, write_and_look);
    ASSERT_TRUE(staged);
    ASSERT_TRUE(staged->publish());
    EXPECT_EQ(testing::read_file(target), "new report\n");
    EXPECT_EQ(folder.names(), std::set<std::string>{"d01.res"});
    if (existing) {
      EXPECT_EQ(fs::status(target).permissions(),
                fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
  }
}

// A report name that is a link, to a file or to none yet, relative or absolute: the file it leads
// to gets the text and the link stays a link. A loop of links is refused.
TEST(AtomicWrite, LinksAreWrittenThrough) {
  const struct {
    const char* what;
    bool target_exists;
    bool absolute;
  } rows[] = {
      {"to a file", true, false}, {"dangling", false, false}, {"absolute, dangling", false, true}};
  for (const auto& row : rows) {
    const Folder folder;
    fs::create_directory(folder / "out");
    if (row.target_exists) {
      write_plain(folder / "out" / "real.res", "old report\n");
    }
    fs::create_symlink(row.absolute ? folder / "out" / "real.res" : fs::path("out/real.res"),
                       folder / "d01.res");
    ASSERT_TRUE(write_file_atomically(folder / "d01.res", new_text)) << row.what;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "d01.res"))) << row.what;
    EXPECT_EQ(testing::read_file(folder / "out" / "real.res"), "new report\n") << row.what;
  }
  const Folder folder;
  fs::create_symlink("b.res", folder / "a.res");
  fs::create_symlink("a.res", folder / "b.res");
  EXPECT_FALSE(write_file_atomically(folder / "a.res", new_text));
  EXPECT_EQ(folder.names(), (std::set<std::string>{"a.res", "b.res"}));
}

// The report must never replace the data file: the same file under other names is seen as such.
TEST(AtomicWrite, SameFileUnderOtherNames) {
  const Folder folder;
  write_plain(folder / "d01", "data\n");
  write_plain(folder / "d02", "data\n");
  fs::create_symlink("d01", folder / "link");
  fs::create_hard_link(folder / "d01", folder / "hard");
  const struct {
    fs::path other;
    bool same;
  } rows[] = {{folder / "." / "d01", true},
              {folder / "link", true},
              {folder / "hard", true},
              {folder / "d02", false},
              {folder / "none", false}};
  for (const auto& row : rows) {
    EXPECT_EQ(designates_same_file(folder / "d01", row.other), row.same) << row.other;
  }
}

// The scratch file leaves no name in the temporary folder, even while open, and reads back what
// was written once rewound.
TEST(ScratchFile, HasNoNameAndReadsBack) {
  const Folder temporary;
  const char* previous = getenv("TMPDIR");
  const std::string kept = previous == nullptr ? "" : previous;
  setenv("TMPDIR", (temporary / "").c_str(), 1);
  auto scratch = open_scratch_file();
  previous == nullptr ? unsetenv("TMPDIR") : setenv("TMPDIR", kept.c_str(), 1);
  ASSERT_TRUE(scratch);
  EXPECT_TRUE(temporary.names().empty());
  const std::string records(100000, 'r');
  scratch->write(records.data(), static_cast<std::streamsize>(records.size()));
  scratch->seekg(0);
  std::string read_back(records.size(), '\0');
  scratch->read(read_back.data(), static_cast<std::streamsize>(read_back.size()));
  EXPECT_TRUE(scratch->good());
  EXPECT_EQ(read_back, records);
  EXPECT_TRUE(temporary.names().empty());
}

}  // namespace
}  // namespace lajefem
