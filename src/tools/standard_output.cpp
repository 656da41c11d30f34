#include "tools/standard_output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lajefem::tools {

CheckedOutput::CheckedOutput(bool closed) : closed_(closed) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool CheckedOutput::send(const char* bytes, std::size_t size) {
  if (failure_ != 0) {
    return false;
  }
  if (size > 0 && closed_) {
    failure_ = EBADF;
    return false;
  }
  while (size > 0) {
    const ssize_t written = write(1, bytes, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      failure_ = written < 0 ? errno : ENOSPC;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
  const bool sent = send(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (!sent) {
    return traits_type::eof();
  }
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int CheckedOutput::sync() {
  const bool sent = send(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return sent ? 0 : -1;
}

std::string CheckedOutput::finish() {
  sync();
  return failure_ == 0 ? std::string() : std::strerror(failure_);
}

bool standard_output_closed() {
  return fcntl(1, F_GETFD) == -1 && errno == EBADF;
}

}  // namespace lajefem::tools
