// A record on the scratch file: its value count, then runs that cover the values in order, each a
// count of zeros followed by a count of values written as they are. Long runs of exact zeros (the
// element-only stiffness is mostly zeros outside its band) are not written out; every value,
// −0.0 and NaN included, reads back bit for bit.
#include "model/scratch_records.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>

#include "files/buffered_write.hpp"

namespace lajefem {

namespace {

// Shorter runs of zeros stay among the values written out: a run costs as much as one value.
constexpr std::size_t shortest_zero_run = 2;

struct Run {
  std::uint32_t zeros;
  std::uint32_t values;
};

bool is_zero_bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits == 0;
}

std::size_t zeros_from(const double* values, std::size_t first, std::size_t count) {
  std::size_t end = first;
  while (end < count && is_zero_bits(values[end])) {
    ++end;
  }
  return end - first;
}

// The values from first up to the next run of zeros long enough to leave out (or the end).
std::size_t values_from(const double* values, std::size_t first, std::size_t count) {
  std::size_t end = first;
  while (end < count) {
    const std::size_t zeros = zeros_from(values, end, count);
    if (zeros >= shortest_zero_run || end + zeros == count) {
      break;
    }
    end += zeros == 0 ? 1 : zeros;
  }
  return end - first;
}

template <typename T>
void write_item(std::ostream& scratch, const T& item) {
  scratch.write(reinterpret_cast<const char*>(&item), sizeof item);
}

template <typename T>
bool read_item(std::istream& scratch, T& item) {
  return static_cast<bool>(scratch.read(reinterpret_cast<char*>(&item), sizeof item));
}

bool read_runs(std::istream& scratch, double* values, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    Run run{};
    if (!read_item(scratch, run) || run.zeros > count - done ||
        run.values > count - done - run.zeros || run.zeros + run.values == 0) {
      return false;
    }
    std::fill(values + done, values + done + run.zeros, 0.0);
    done += run.zeros;
    if (!scratch.read(reinterpret_cast<char*>(values + done),
                      static_cast<std::streamsize>(run.values * sizeof(double)))) {
      return false;
    }
    done += run.values;
  }
  return true;
}

}  // namespace

void write_scratch_record(std::ostream& scratch, const double* values, std::size_t count) {
  write_item(scratch, static_cast<std::uint64_t>(count));
  for (std::size_t done = 0; done < count;) {
    const std::size_t zeros = zeros_from(values, done, count);
    const std::size_t written = values_from(values, done + zeros, count);
    write_item(scratch,
               Run{static_cast<std::uint32_t>(zeros), static_cast<std::uint32_t>(written)});
    write_through_buffer(scratch, reinterpret_cast<const char*>(values + done + zeros),
                         written * sizeof(double));
    done += zeros + written;
  }
}

void read_scratch_record(std::istream& scratch, double* values, std::size_t count) {
  std::uint64_t header = 0;
  if (!read_item(scratch, header) || header != count || !read_runs(scratch, values, count)) {
    throw ScratchFileError();
  }
}

void rewind_scratch(std::iostream& scratch) {
  scratch.clear();
  scratch.seekg(0);
}

}  // namespace lajefem
