#include "signcore/handlers/byte_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/com/last_error.h"

namespace vexamor::signcore {

Result<bool> ByteSource::readExactly(uint64_t offset, std::span<uint8_t> out,
                                     Fault shortRead) const {
  Result<size_t> got = readAt(offset, out);
  if (!got.ok()) return got.fault();
  if (*got != out.size()) return shortRead;
  return true;
}

Result<size_t> FileSource::readAt(uint64_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return systemFault(win32::errorFromErrno(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

Result<size_t> MemorySource::readAt(uint64_t offset, std::span<uint8_t> out) const {
  if (offset >= bytes_.size()) return size_t{0};
  const size_t n = static_cast<size_t>(std::min<uint64_t>(out.size(), bytes_.size() - offset));
  if (n > 0) std::memcpy(out.data(), bytes_.data() + offset, n);
  return n;
}

uint32_t loadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void storeLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace vexamor::signcore
