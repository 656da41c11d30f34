// What the process arranges before a run opens any file: standard descriptors that cannot be
// taken by the run's files, and temporary names that no signal leaves behind.
#pragma once

#include <signal.h>

#include <filesystem>
#include <string>

namespace lajefem {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, so that no file of the
// run takes the place of the console (a log opened as descriptor 1 would receive the banner).
void open_closed_standard_descriptors();

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary names held at that moment and then end
// the program by the signal's default action, so that the parent still sees the signal. The
// calling thread does that work; a signal that lands on any other thread is passed on to it.
void clean_up_on_signals();

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, around the few system calls during which
// a temporary name exists that no guard could name beforehand; they arrive when it ends.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_{};
};

// A temporary name that exists while the guard lives: a signal removes it (see
// clean_up_on_signals). Names longer than the guard's room are not guarded.
class TemporaryNameGuard {
 public:
  explicit TemporaryNameGuard(const std::filesystem::path& path);
  ~TemporaryNameGuard();
  TemporaryNameGuard(const TemporaryNameGuard&) = delete;
  TemporaryNameGuard& operator=(const TemporaryNameGuard&) = delete;

 private:
  int slot_ = -1;
};

// A temporary folder that exists while the guard lives: a signal removes the files held in it
// (after the guarded names above) and then the folder itself. One folder is guarded at a time;
// a second guard, or a name beyond the guard's room, is not guarded.
class TemporaryFolderGuard {
 public:
  explicit TemporaryFolderGuard(const std::filesystem::path& folder);
  ~TemporaryFolderGuard();
  TemporaryFolderGuard(const TemporaryFolderGuard&) = delete;
  TemporaryFolderGuard& operator=(const TemporaryFolderGuard&) = delete;

  // A file about to be made in the folder, by its name there.
  void hold(const std::string& name);

 private:
  bool guarding_ = false;
};

}  // namespace lajefem
