#include "files/process_guards.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace lajefem {

namespace {

// The names a signal handler must remove. A handler can reach only what is global, and may only
// read it: each slot's name is complete before its flag is raised (the fence keeps that order)
// and the flag is lowered before the name changes.
struct GuardedName {
  volatile sig_atomic_t held = 0;
  std::array<char, 4096> name{};
};

std::array<GuardedName, 4> guarded_names;

// The guarded temporary folder: its descriptor and name, and the names of the files made in it
// (each complete before the count that covers it is raised).
struct GuardedFolder {
  volatile sig_atomic_t held = 0;
  int descriptor = -1;
  std::array<char, 4096> name{};
  volatile sig_atomic_t file_count = 0;
  std::array<std::array<char, 256>, 64> files{};
};

GuardedFolder guarded_folder;

// The thread that set the handler up: the only one that holds signals (SignalsHeld) and the only
// one that cleans up. A signal sent to the process goes to any thread that does not block it, so
// while this one holds them it lands on another (a BLAS worker, say).
volatile pid_t cleaning_thread = 0;

// SIGINT, SIGTERM and SIGHUP.
sigset_t cleaned_up_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

extern "C" void remove_names_and_end(int signal_number) {
  if (gettid() != cleaning_thread) {
    // Passed on to the cleaning thread, where it waits while that thread holds signals: cleaning
    // up here would run beside the files being put in place.
    syscall(SYS_tgkill, getpid(), cleaning_thread, signal_number);
    return;
  }
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigaction(signal_number, &default_action, nullptr);
  for (const GuardedName& guarded : guarded_names) {
    if (guarded.held != 0) {
      unlink(guarded.name.data());
    }
  }
  if (guarded_folder.held != 0) {
    for (sig_atomic_t k = 0; k < guarded_folder.file_count; ++k) {
      unlinkat(guarded_folder.descriptor, guarded_folder.files[static_cast<std::size_t>(k)].data(),
               0);
    }
    rmdir(guarded_folder.name.data());
  }
  // The default action is back; the signal, blocked while this handler runs, ends the program as
  // soon as the handler returns.
  raise(signal_number);
}

}  // namespace

void open_closed_standard_descriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
      // The lowest free descriptor is this one: the lower ones are open by now.
      open("/dev/null", O_RDWR);
    }
  }
}

void clean_up_on_signals() {
  struct sigaction action {};
  action.sa_handler = remove_names_and_end;
  action.sa_mask = cleaned_up_signals();
  cleaning_thread = gettid();
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    sigaction(signal_number, nullptr, &previous);
    // A signal ignored by the parent (nohup, a background shell) stays ignored.
    if (previous.sa_handler != SIG_IGN) {
      sigaction(signal_number, &action, nullptr);
    }
  }
}

SignalsHeld::SignalsHeld() {
  const sigset_t signals = cleaned_up_signals();
  sigprocmask(SIG_BLOCK, &signals, &previous_);
}

SignalsHeld::~SignalsHeld() {
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

TemporaryNameGuard::TemporaryNameGuard(const std::filesystem::path& path) {
  const std::string name = path.string();
  for (std::size_t slot = 0; slot < guarded_names.size(); ++slot) {
    GuardedName& guarded = guarded_names[slot];
    if (guarded.held == 0 && name.size() < guarded.name.size()) {
      std::memcpy(guarded.name.data(), name.c_str(), name.size() + 1);
      std::atomic_signal_fence(std::memory_order_seq_cst);
      guarded.held = 1;
      slot_ = static_cast<int>(slot);
      return;
    }
  }
}

TemporaryNameGuard::~TemporaryNameGuard() {
  if (slot_ >= 0) {
    guarded_names[static_cast<std::size_t>(slot_)].held = 0;
  }
}

TemporaryFolderGuard::TemporaryFolderGuard(const std::filesystem::path& folder) {
  const std::string name = folder.string();
  if (guarded_folder.held != 0 || name.size() >= guarded_folder.name.size()) {
    return;
  }
  guarded_folder.descriptor = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (guarded_folder.descriptor < 0) {
    return;
  }
  std::memcpy(guarded_folder.name.data(), name.c_str(), name.size() + 1);
  guarded_folder.file_count = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  guarded_folder.held = 1;
  guarding_ = true;
}

TemporaryFolderGuard::~TemporaryFolderGuard() {
  if (guarding_) {
    guarded_folder.held = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    close(guarded_folder.descriptor);
    guarded_folder.descriptor = -1;
  }
}

void TemporaryFolderGuard::hold(const std::string& name) {
  const auto count = static_cast<std::size_t>(guarded_folder.file_count);
  if (!guarding_ || count >= guarded_folder.files.size() ||
      name.size() >= guarded_folder.files[count].size()) {
    return;
  }
  std::memcpy(guarded_folder.files[count].data(), name.c_str(), name.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  guarded_folder.file_count = static_cast<sig_atomic_t>(count + 1);
}

}  // namespace lajefem
