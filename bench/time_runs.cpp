// Wall time and peak resident memory of complete runs.
// Usage: time_runs PROGRAM FOLDER RUNS MODEL...
// Each run starts PROGRAM in FOLDER with the model's name and an empty line on standard input.
// The wall time goes from the start of the process to its end; the peak memory is the run's
// maximum resident set, as the kernel reports it for the finished child.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct Measure {
  double wall_ms = 0.0;
  double user_ms = 0.0;
  double system_ms = 0.0;
  long peak_kb = 0;
  int status = -1;
};

Measure time_run(const char* program, const char* folder, const std::string& model) {
  const std::string answers = model + "\n\n";
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) {
    std::perror("pipe");
    std::exit(2);
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipe_ends[0], STDIN_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (chdir(folder) != 0) {
      _exit(127);
    }
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_ends[0]);
  if (write(pipe_ends[1], answers.data(), answers.size()) < 0) {
    std::perror("write");
  }
  close(pipe_ends[1]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  Measure measure;
  measure.wall_ms = std::chrono::duration<double, std::milli>(end - start).count();
  measure.user_ms = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3;
  measure.system_ms = usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
  measure.peak_kb = usage.ru_maxrss;
  measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return measure;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s PROGRAM FOLDER RUNS MODEL...\n", argv[0]);
    return 2;
  }
  char* program = realpath(argv[1], nullptr);
  if (program == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  const int runs = std::atoi(argv[3]);
  for (int m = 4; m < argc; ++m) {
    std::vector<double> walls;
    double user = 0.0;
    double system = 0.0;
    long peak = 0;
    bool complete = true;
    for (int r = 0; r < runs; ++r) {
      const Measure measure = time_run(program, argv[2], argv[m]);
      walls.push_back(measure.wall_ms);
      user += measure.user_ms / runs;
      system += measure.system_ms / runs;
      peak = std::max(peak, measure.peak_kb);
      complete = complete && measure.status == 0;
    }
    std::sort(walls.begin(), walls.end());
    const double mean = std::accumulate(walls.begin(), walls.end(), 0.0) / runs;
    std::printf(
        "%s: wall %.1f ms median, %.1f ms mean, %.1f ms max (%d runs); CPU %.1f ms user, %.1f ms "
        "system (mean); peak RSS %ld kB; %s\n",
        argv[m], walls[walls.size() / 2], mean, walls.back(), runs, user, system, peak,
        complete ? "complete" : "stopped");
  }
  std::free(program);
  return 0;
}
