#include "recognition.h"

#include <array>

#include "file_header.h"
#include "format.h"
#include "posix_file.h"

namespace vexamor::container {

std::optional<uint64_t> findContainerHeader(std::span<const uint8_t> leading) {
  for (uint64_t offset = 0; offset <= header::kLastOffset; offset += header::kOffsetStep) {
    if (leading.size() < offset + header::kRecognitionSize) break;
    if (isContainerSignature(leading.subspan(offset).first<header::kRecognitionSize>()))
      return offset;
  }
  return std::nullopt;
}

std::optional<uint64_t> findContainerHeader(const std::string& path) {
  PosixFile file;
  if (file.open(path, kAccessRead, Disposition::kOpenExisting) != kErrorSuccess)
    return std::nullopt;
  Expected<uint64_t> size = file.size();
  if (!size.ok()) return std::nullopt;
  std::array<uint8_t, header::kLastOffset + header::kRecognitionSize> leading{};
  const size_t length = static_cast<size_t>(std::min<uint64_t>(*size, leading.size()));
  if (file.readAt(0, std::span(leading.data(), length)) != kErrorSuccess) return std::nullopt;
  return findContainerHeader(std::span<const uint8_t>(leading.data(), length));
}

}  // namespace vexamor::container
