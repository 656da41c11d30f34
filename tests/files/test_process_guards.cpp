// Signal guards, each in a child process: a signal removes the guarded temporary name and still
// ends the process by that signal; a signal the parent ignores stays ignored; a held signal
// arrives only when the hold ends; closed standard descriptors are not taken by the next file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "files/process_guards.hpp"
#include "tests/common/temp_folder.hpp"

namespace lajefem {
namespace {

namespace fs = std::filesystem;

// A file in a fresh folder of its own, removed with the folder.
class TemporaryFile {
 public:
  TemporaryFile() { std::ofstream(path()) << "partial report\n"; }

  fs::path path() const { return folder_.path() / ".d01.res.tmp"; }
  fs::path marker() const { return folder_.path() / "reached"; }

 private:
  testing::TempFolder folder_;
};

// Runs body in a child process with the three signals at their default actions; the child's
// wait status (exit status 0 when body returns).
int in_child(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      signal(signal_number, SIG_DFL);
    }
    body();
    _exit(0);
  }
  int wait_status = 0;
  waitpid(child, &wait_status, 0);
  return wait_status;
}

bool ended_by(int wait_status, int signal_number) {
  return WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == signal_number;
}

TEST(SignalGuards, SignalRemovesTheGuardedNameAndEndsTheProcess) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const TemporaryFile file;
    const int wait_status = in_child([&] {
      clean_up_on_signals();
      const TemporaryNameGuard guard(file.path());
      raise(signal_number);
    });
    EXPECT_TRUE(ended_by(wait_status, signal_number)) << signal_number << " " << wait_status;
    EXPECT_FALSE(fs::exists(file.path())) << signal_number;
  }
}

// Under nohup SIGHUP is ignored: the run goes on and its file stays. A name whose guard has ended
// is no longer removed.
TEST(SignalGuards, IgnoredSignalStaysIgnoredAndEndedGuardsRemoveNothing) {
  const TemporaryFile ignored;
  const int ignored_status = in_child([&] {
    signal(SIGHUP, SIG_IGN);
    clean_up_on_signals();
    const TemporaryNameGuard guard(ignored.path());
    raise(SIGHUP);
  });
  EXPECT_TRUE(WIFEXITED(ignored_status) && WEXITSTATUS(ignored_status) == 0) << ignored_status;
  EXPECT_TRUE(fs::exists(ignored.path()));
  const TemporaryFile released;
  const int released_status = in_child([&] {
    clean_up_on_signals();
    { const TemporaryNameGuard guard(released.path()); }
    raise(SIGTERM);
  });
  EXPECT_TRUE(ended_by(released_status, SIGTERM)) << released_status;
  EXPECT_TRUE(fs::exists(released.path()));
}

// With a second thread (as the BLAS library starts one), a signal sent to the process while the
// first one holds signals lands on the second: it must still wait for the hold to end.
TEST(SignalGuards, HeldSignalArrivesWhenTheHoldEnds) {
  for (const bool second_thread : {false, true}) {
    const TemporaryFile file;
    const int wait_status = in_child([&] {
      clean_up_on_signals();
      const TemporaryNameGuard guard(file.path());
      std::thread idle;
      if (second_thread) {
        idle = std::thread([] { pause(); });
      }
      {
        const SignalsHeld held;
        kill(getpid(), SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ofstream(file.marker()) << "still running\n";
      }
      _exit(3);  // not reached: the signal ends the process when the hold ends
    });
    EXPECT_TRUE(ended_by(wait_status, SIGINT)) << second_thread << " " << wait_status;
    EXPECT_TRUE(fs::exists(file.marker())) << second_thread;
    EXPECT_FALSE(fs::exists(file.path())) << second_thread;
  }
}

// A log opened while descriptor 1 is closed would receive what the program writes to the console.
TEST(StandardDescriptors, ClosedOnesAreNotTakenByTheNextFile) {
  const TemporaryFile file;
  const int wait_status = in_child([&] {
    close(1);
    close(2);
    open_closed_standard_descriptors();
    const int log = open(file.path().c_str(), O_WRONLY);
    _exit(log > 2 && fcntl(1, F_GETFD) != -1 && fcntl(2, F_GETFD) != -1 ? 0 : 1);
  });
  EXPECT_TRUE(WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0) << wait_status;
}

}  // namespace
}  // namespace lajefem
