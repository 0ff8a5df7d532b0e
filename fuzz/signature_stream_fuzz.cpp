// Reads the bytes as the signature stream of a container drawing, delivered in pieces of
// every size as a container stream delivers them; what reads must encode back to the same
// bytes it was read from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "signcore/handlers/signature_stream.h"

using namespace vexamor::signcore;

namespace {

class PieceReader final : public signature_stream::Reader {
 public:
  PieceReader(const uint8_t* data, size_t size, size_t piece)
      : data_(data), size_(size), piece_(piece) {}
  uint64_t size() const override { return size_; }
  Result<size_t> read(std::span<uint8_t> out) override {
    // Short reads only at the end, like a stream; but copied a piece at a time.
    size_t done = 0;
    while (done < out.size() && at_ < size_) {
      const size_t n = std::min({piece_, out.size() - done, size_ - at_});
      std::memcpy(out.data() + done, data_ + at_, n);
      at_ += n;
      done += n;
    }
    return done;
  }
  size_t position() const { return at_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t piece_;
  size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  PieceReader reader(data, size, piece);
  Result<signature_stream::Content> content = signature_stream::read(reader);
  if (!content.ok()) return 0;
  if (content->identifiers.empty()) __builtin_trap();
  const auto encoded = signature_stream::encode(*content);
  if (encoded.size() != reader.position() || std::memcmp(encoded.data(), data, encoded.size()) != 0) {
    __builtin_trap();
  }
  return 0;
}
