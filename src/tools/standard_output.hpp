// Standard output as the commands write it: through a buffer of its own onto descriptor 1, every
// write checked, so that a full disk, /dev/full or a closed output is reported instead of being
// taken for success.
#pragma once

#include <array>
#include <streambuf>
#include <string>

namespace lajefem::tools {

class CheckedOutput : public std::streambuf {
 public:
  // closed: descriptor 1 was closed when the program started (and has since been given the null
  // device, so that no file takes its place); every write then fails.
  explicit CheckedOutput(bool closed);
  CheckedOutput(const CheckedOutput&) = delete;
  CheckedOutput& operator=(const CheckedOutput&) = delete;

  // Sends what is buffered. The reason of the first failed write, empty while every write has
  // succeeded.
  std::string finish();

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool send(const char* bytes, std::size_t size);

  std::array<char, 64 * 1024> buffer_{};
  bool closed_ = false;
  int failure_ = 0;  // errno of the first failed write, 0 while none failed
};

// True when descriptor 1 is closed.
bool standard_output_closed();

}  // namespace lajefem::tools
