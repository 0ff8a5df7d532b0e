// The real file beneath a container: a file descriptor owner whose errors
// are the Win32 codes of the platform's errno map.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "container_file.h"
#include "win32_codes.h"

namespace vexamor::container {

class PosixFile final : public ContainerFile {
 public:
  PosixFile() = default;
  ~PosixFile() override { close(); }
  PosixFile(PosixFile&& other) noexcept;
  PosixFile& operator=(PosixFile&& other) noexcept;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  // The FileOpener of real files.
  static Expected<std::unique_ptr<ContainerFile>> openFile(const std::string& path, uint32_t access,
                                                           Disposition disposition);

  // Opens `path`; anything that is not a regular file gives 50 (not supported).
  Win32Code open(const std::string& path, uint32_t access, Disposition disposition);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  Expected<uint64_t> size() const override;
  Win32Code readAt(uint64_t position, std::span<uint8_t> out) const override;
  Win32Code writeAt(uint64_t position, std::span<const uint8_t> bytes) override;
  Win32Code truncate(uint64_t length) override;
  Win32Code sync() override;

 private:
  int fd_ = -1;
};

}  // namespace vexamor::container
