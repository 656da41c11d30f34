// Writing a block of bytes to a file stream so that it joins the stream's buffer. The standard
// file buffer sends any single write of 1 KiB or more straight to the file, past its buffer: the
// element loop's few-kilobyte blocks would each cost a system call. Blocks up to 64 KiB are
// therefore handed over in pieces below that limit; larger ones go out directly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string_view>

namespace lajefem {

inline void write_through_buffer(std::ostream& out, const char* bytes, std::size_t size) {
  constexpr std::size_t piece = 512;
  constexpr std::size_t direct = 64 * 1024;
  if (size >= direct) {
    out.write(bytes, static_cast<std::streamsize>(size));
    return;
  }
  for (std::size_t done = 0; done < size; done += piece) {
    out.write(bytes + done, static_cast<std::streamsize>(std::min(piece, size - done)));
  }
}

inline void write_through_buffer(std::ostream& out, std::string_view text) {
  write_through_buffer(out, text.data(), text.size());
}

}  // namespace lajefem
