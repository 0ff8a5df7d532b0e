#include "stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "container_core.h"

namespace vexamor::container {
namespace {

// Largest stream a handle writes: its block count must fit the 32-bit entry
// count of the section information.
uint64_t maxStreamSize(const Section& section) {
  return uint64_t{std::numeric_limits<uint32_t>::max()} * section.pageSize;
}

}  // namespace

Stream::Stream(std::shared_ptr<ContainerCore> core, std::shared_ptr<Section> section,
               uint32_t access)
    : core_(std::move(core)),
      section_(std::move(section)),
      access_(access),
      generation_(core_->generation) {
  ++section_->handles;
}

Stream::~Stream() {
  (void)close();
}

Stream& Stream::operator=(Stream&& other) noexcept {
  if (this != &other) {
    (void)close();
    core_ = std::move(other.core_);
    section_ = std::move(other.section_);
    access_ = other.access_;
    generation_ = other.generation_;
    position_ = other.position_;
  }
  return *this;
}

Win32Code Stream::usable() const {
  if (!core_->isOpen || core_->generation != generation_ || !section_->present)
    return kErrorInvalidHandle;
  return kErrorSuccess;
}

Expected<std::span<const uint8_t>> Stream::nextPiece() {
  if (core_ == nullptr) return Failure{kErrorInvalidHandle};
  std::lock_guard lock(core_->mutex);
  return guardedChange(*core_, [&]() -> Expected<std::span<const uint8_t>> {
    if (Win32Code rc = usable(); rc != kErrorSuccess) return Failure{rc};
    Section& s = *section_;
    if (position_ >= s.size) return std::span<const uint8_t>();
    const uint64_t index = position_ / s.pageSize;
    const uint64_t within = position_ % s.pageSize;
    if (Win32Code rc = core_->loadBlock(s, index); rc != kErrorSuccess) return Failure{rc};
    const uint64_t length = std::min<uint64_t>(s.pageSize - within, s.size - position_);
    position_ += length;
    return std::span<const uint8_t>(s.cache.data() + within, length);
  });
}

Expected<size_t> Stream::read(std::span<uint8_t> out) {
  if (core_ == nullptr) return Failure{kErrorInvalidHandle};
  std::lock_guard lock(core_->mutex);
  return guardedChange(*core_, [&]() -> Expected<size_t> {
    if (Win32Code rc = usable(); rc != kErrorSuccess) return Failure{rc};
    Section& s = *section_;
    size_t done = 0;
    while (done < out.size() && position_ < s.size) {
      const uint64_t index = position_ / s.pageSize;
      const uint64_t within = position_ % s.pageSize;
      if (Win32Code rc = core_->loadBlock(s, index); rc != kErrorSuccess) return Failure{rc};
      const size_t length = static_cast<size_t>(
          std::min<uint64_t>({out.size() - done, s.pageSize - within, s.size - position_}));
      std::memcpy(out.data() + done, s.cache.data() + within, length);
      done += length;
      position_ += length;
    }
    return done;
  });
}

Win32Code Stream::write(std::span<const uint8_t> bytes) {
  if (core_ == nullptr) return kErrorInvalidHandle;
  std::lock_guard lock(core_->mutex);
  return guardedChange(*core_, [&]() -> Win32Code {
    if (Win32Code rc = usable(); rc != kErrorSuccess) return rc;
    if ((access_ & kAccessWrite) == 0 || !core_->writable) return kErrorAccessDenied;
    Section& s = *section_;
    if (position_ > maxStreamSize(s) || bytes.size() > maxStreamSize(s) - position_)
      return kErrorDiskFull;
    size_t done = 0;
    while (done < bytes.size()) {
      const uint64_t index = position_ / s.pageSize;
      const uint64_t within = position_ % s.pageSize;
      if (Win32Code rc = core_->loadBlock(s, index); rc != kErrorSuccess) return rc;
      const size_t length =
          static_cast<size_t>(std::min<uint64_t>(bytes.size() - done, s.pageSize - within));
      std::memcpy(s.cache.data() + within, bytes.data() + done, length);
      s.cacheDirty = true;
      core_->dirty = true;
      done += length;
      position_ += length;
      s.size = std::max(s.size, position_);
    }
    return kErrorSuccess;
  });
}

Expected<uint64_t> Stream::size() const {
  if (core_ == nullptr) return Failure{kErrorInvalidHandle};
  std::lock_guard lock(core_->mutex);
  if (Win32Code rc = usable(); rc != kErrorSuccess) return Failure{rc};
  return section_->size;
}

Win32Code Stream::close() {
  if (core_ == nullptr) return kErrorSuccess;
  Win32Code rc = kErrorSuccess;
  {
    std::lock_guard lock(core_->mutex);
    Section& s = *section_;
    if (--s.handles == 0) {
      if (usable() == kErrorSuccess) {
        rc = guardedChange(*core_, [&] { return core_->flushBlock(s); });
      }
      // A block that could not be written stays cached for the commit.
      if (!s.cacheDirty) {
        s.cache.reset();
        s.cacheValid = false;
      }
      s.outgrownCaches.clear();
    }
  }
  core_.reset();
  section_.reset();
  return rc;
}

}  // namespace vexamor::container
