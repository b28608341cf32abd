#pragma once
// A fuzz input as the stream's input file: the bytes in an unnamed in-memory file that the
// stream opens by its /proc path, output and messages to /dev/null.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "batch/stream.h"

namespace vantrel::batch {

class MemoryRun {
 public:
  explicit MemoryRun(std::string_view bytes) : fd_(memfd_create("fuzz_input", 0)) {
    static const int devNull = ::open("/dev/null", O_WRONLY);
    for (std::string_view left = bytes; fd_ >= 0 && !left.empty();) {
      const ssize_t w = ::write(fd_, left.data(), left.size());
      if (w <= 0) break;
      left.remove_prefix(static_cast<std::size_t>(w));
    }
    options.inputs = {"/proc/self/fd/" + std::to_string(fd_)};
    options.outputFd = devNull;
    options.errorFd = devNull;
  }
  ~MemoryRun() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryRun(const MemoryRun&) = delete;
  MemoryRun& operator=(const MemoryRun&) = delete;

  bool ok() const { return fd_ >= 0; }
  RunOptions options;

 private:
  int fd_;
};

}  // namespace vantrel::batch
