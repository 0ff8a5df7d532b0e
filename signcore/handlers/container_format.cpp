#include "signcore/handlers/container_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "container.h"
#include "platform/com/last_error.h"
#include "platform/fileio/replace_file.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/handlers/r18_get_data.h"
#include "signcore/handlers/signature_stream.h"

namespace vexamor::signcore::container_format {
namespace {

using container::Container;
using container::Disposition;
using container::kAccessRead;
using container::kAccessWrite;

constexpr uint32_t kShareReadWrite = 3;
constexpr uint32_t kNormalAttributes = 0x80;

// A container's file over a descriptor the handler already holds (its own duplicate), so
// that the container read or written is the file that was opened, whatever its path names
// by now.
class DescriptorFile final : public container::ContainerFile {
 public:
  explicit DescriptorFile(int fd) : fd_(fd) {}
  ~DescriptorFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  DescriptorFile(const DescriptorFile&) = delete;
  DescriptorFile& operator=(const DescriptorFile&) = delete;

  container::Expected<uint64_t> size() const override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return container::Failure{win32::errorFromErrno(errno)};
    return static_cast<uint64_t>(st.st_size);
  }
  container::Win32Code readAt(uint64_t position, std::span<uint8_t> out) const override {
    size_t done = 0;
    while (done < out.size()) {
      if (position + done > kMaxOffset) return container::kErrorHandleEof;
      const ssize_t n =
          ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(position + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return win32::errorFromErrno(errno);
      if (n == 0) return container::kErrorHandleEof;
      done += static_cast<size_t>(n);
    }
    return container::kErrorSuccess;
  }
  container::Win32Code writeAt(uint64_t position, std::span<const uint8_t> bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      if (position + bytes.size() > kMaxOffset) return container::kErrorDiskFull;
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(position + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return win32::errorFromErrno(errno);
      if (n == 0) return container::kErrorDiskFull;
      done += static_cast<size_t>(n);
    }
    return container::kErrorSuccess;
  }
  container::Win32Code truncate(uint64_t length) override {
    if (length > kMaxOffset) return container::kErrorDiskFull;
    return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? container::kErrorSuccess
                                                             : win32::errorFromErrno(errno);
  }
  container::Win32Code sync() override {
    return ::fdatasync(fd_) == 0 ? container::kErrorSuccess : win32::errorFromErrno(errno);
  }

 private:
  static constexpr auto kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  int fd_;
};

std::mutex gWrapperMutex;
FileWrapper gWrapper;  // empty: plain files

// Opens a container over a duplicate of `fd`; the path is only a name for the engine.
Result<std::shared_ptr<Container>> openContainer(int fd, uint64_t headerOffset, bool forWriting) {
  FileWrapper wrapper;
  {
    std::lock_guard lock(gWrapperMutex);
    wrapper = gWrapper;
  }
  auto opener = [fd, wrapper](
                    const std::string&, uint32_t,
                    Disposition) -> container::Expected<std::unique_ptr<container::ContainerFile>> {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return container::Failure{win32::errorFromErrno(errno)};
    std::unique_ptr<container::ContainerFile> file = std::make_unique<DescriptorFile>(copy);
    if (wrapper) file = wrapper(std::move(file));
    return file;
  };
  std::shared_ptr<Container> c = Container::create(opener);
  if (c == nullptr) return systemFault(ERROR_NOT_ENOUGH_MEMORY);
  if (auto rc = c->setHeaderOffset(headerOffset); rc != container::kErrorSuccess) {
    return systemFault(rc);
  }
  const uint32_t access = forWriting ? kAccessRead | kAccessWrite : kAccessRead;
  if (auto rc = c->open("container", access, kShareReadWrite, Disposition::kOpenExisting,
                        kNormalAttributes);
      rc != container::kErrorSuccess) {
    return systemFault(rc);
  }
  return c;
}

struct Listing {
  std::vector<StreamRef> signable;  // in container order
  std::optional<StreamRef> signature;
  size_t signatureStreams = 0;
  std::vector<StreamRef> present;
};

Result<Listing> listStreams(const Container& c) {
  auto info = c.info();
  if (!info.ok()) return systemFault(info.error());
  Listing listing;
  for (uint32_t i = 0; i < info->streamCount; ++i) {
    auto stream = c.streamInfo(i);
    if (!stream.ok()) return systemFault(stream.error());
    if (!stream->present) continue;
    StreamRef ref{stream->identifier, stream->name};
    listing.present.push_back(ref);
    if (ref.name == signature_stream::kName) {
      ++listing.signatureStreams;
      if (!listing.signature) listing.signature = std::move(ref);
    } else {
      listing.signable.push_back(std::move(ref));
    }
  }
  return listing;
}

// Reads a container stream through the signature stream's reader interface.
class StreamReader final : public signature_stream::Reader {
 public:
  StreamReader(container::Stream& stream, uint64_t size) : stream_(stream), size_(size) {}
  uint64_t size() const override { return size_; }
  Result<size_t> read(std::span<uint8_t> out) override {
    auto got = stream_.read(out);
    if (!got.ok()) return systemFault(got.error());
    return *got;
  }

 private:
  container::Stream& stream_;
  uint64_t size_;
};

Result<signature_stream::Content> readSignatureStream(Container& c, const StreamRef& ref) {
  auto stream = c.openStream(ref.name, ref.identifier, kAccessRead, Disposition::kOpenExisting);
  if (!stream.ok()) return systemFault(stream.error());
  auto size = stream->size();
  if (!size.ok()) return systemFault(size.error());
  StreamReader reader(*stream, *size);
  return signature_stream::read(reader);
}

}  // namespace

HRESULT isSigned(const OpenedFile& file, uint64_t headerOffset, bool* isSigned) {
  Result<std::shared_ptr<Container>> c = openContainer(file.fd(), headerOffset, false);
  if (!c.ok()) return c.hr();
  Result<Listing> listing = listStreams(**c);
  if (!listing.ok()) return listing.hr();
  *isSigned = listing->signature.has_value();
  return S_OK;
}

HRESULT readSignature(const OpenedFile& file, uint64_t headerOffset, bool withData,
                      StoredSignature* out) {
  Result<std::shared_ptr<Container>> c = openContainer(file.fd(), headerOffset, false);
  if (!c.ok()) return c.hr();
  Result<Listing> listing = listStreams(**c);
  if (!listing.ok()) return listing.hr();
  if (!listing->signature) return S_FALSE;
  Result<signature_stream::Content> content = readSignatureStream(**c, *listing->signature);
  if (!content.ok()) return content.hr();
  if (withData) {
    // Exactly the streams that were signed, in the order they were signed, each once; a
    // recorded stream that is gone means the drawing is not the one that was signed.
    std::vector<StreamRef> signedStreams;
    std::set<uint32_t> recorded;
    for (uint32_t id : content->identifiers) {
      if (!recorded.insert(id).second) return E_UNEXPECTED;
      const StreamRef* found = nullptr;
      for (const StreamRef& ref : listing->signable) {
        if (ref.identifier == id) found = &ref;
      }
      if (found == nullptr) return E_UNEXPECTED;
      signedStreams.push_back(*found);
    }
    // Anything else in the container was put there after signing and is covered by nothing.
    if (listing->signatureStreams > 1 || signedStreams.size() != listing->signable.size()) {
      out->reason = u"The drawing holds a stream that its signature does not cover.";
      return NTE_BAD_SIGNATURE;
    }
    const HRESULT hr =
        createContainerStreamData(*c, std::move(signedStreams), out->signedData.out());
    if (FAILED(hr)) return hr;
  }
  out->blob = std::move(content->blob);
  return S_OK;
}

HRESULT sign(const OpenedFile& file, uint64_t headerOffset, const ComputeBlob& compute) {
  // The streams are signed as they are in the file while it is copied; the copy, identical
  // unless the file changes (which the replacement refuses), then gets the signature stream.
  signature_stream::Content content;
  auto signStreams = [&]() -> HRESULT {
    Result<std::shared_ptr<Container>> c = openContainer(file.fd(), headerOffset, false);
    if (!c.ok()) return c.hr();
    Result<Listing> listing = listStreams(**c);
    if (!listing.ok()) return listing.hr();
    if (listing->signable.empty()) return E_UNEXPECTED;
    for (const StreamRef& ref : listing->signable) content.identifiers.push_back(ref.identifier);
    com::ComPtr<IVexaGetData> data;
    const HRESULT hr = createContainerStreamData(*c, listing->signable, data.out());
    if (FAILED(hr)) return hr;
    return compute(data.get(), &content.blob);
  };
  auto storeSignature = [&](int copy, const std::string&) -> HRESULT {
    Result<std::shared_ptr<Container>> c = openContainer(copy, headerOffset, true);
    if (!c.ok()) return c.hr();
    Result<Listing> listing = listStreams(**c);
    if (!listing.ok()) return listing.hr();
    // Every earlier signature stream goes, so that the signed copy holds exactly one.
    for (const StreamRef& ref : listing->present) {
      if (ref.name != signature_stream::kName) continue;
      auto rc = (*c)->removeStream(ref.name, ref.identifier);
      if (rc != container::kErrorSuccess) return HRESULT_FROM_WIN32(rc);
    }
    auto stream = (*c)->openStream(signature_stream::kName, 0, kAccessRead | kAccessWrite,
                                   Disposition::kCreateNew);
    if (!stream.ok()) return HRESULT_FROM_WIN32(stream.error());
    const std::vector<uint8_t> bytes = signature_stream::encode(content);
    if (auto rc = stream->write(bytes); rc != container::kErrorSuccess) {
      return HRESULT_FROM_WIN32(rc);
    }
    if (auto rc = stream->close(); rc != container::kErrorSuccess) return HRESULT_FROM_WIN32(rc);
    if (auto rc = (*c)->close(); rc != container::kErrorSuccess) return HRESULT_FROM_WIN32(rc);
    return S_OK;
  };
  return replaceSignedFileCopying(file, file.identity.size, signStreams, storeSignature);
}

void setFileWrapperForTesting(FileWrapper wrapper) {
  std::lock_guard lock(gWrapperMutex);
  gWrapper = std::move(wrapper);
}

}  // namespace vexamor::signcore::container_format
