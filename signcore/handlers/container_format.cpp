#include "signcore/handlers/container_format.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "container.h"
#include "platform/fileio/replace_file.h"
#include "signcore/handlers/file_access.h"
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

std::mutex gOpenerMutex;
container::FileOpener gOpener;  // empty: plain files

std::unique_ptr<Container> createContainer() {
  std::lock_guard lock(gOpenerMutex);
  return gOpener ? Container::create(gOpener) : Container::create();
}

Result<std::shared_ptr<Container>> openContainer(const std::string& path, uint64_t headerOffset,
                                                 bool forWriting) {
  std::shared_ptr<Container> c = createContainer();
  if (c == nullptr) return systemFault(ERROR_NOT_ENOUGH_MEMORY);
  if (auto rc = c->setHeaderOffset(headerOffset); rc != container::kErrorSuccess) {
    return systemFault(rc);
  }
  const uint32_t access = forWriting ? kAccessRead | kAccessWrite : kAccessRead;
  if (auto rc = c->open(path, access, kShareReadWrite, Disposition::kOpenExisting,
                        kNormalAttributes);
      rc != container::kErrorSuccess) {
    return systemFault(rc);
  }
  return c;
}

struct Listing {
  std::vector<StreamRef> signable;  // in container order
  std::optional<StreamRef> signature;
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

HRESULT isSigned(const std::string& path, uint64_t headerOffset, bool* isSigned) {
  Result<std::shared_ptr<Container>> c = openContainer(path, headerOffset, false);
  if (!c.ok()) return c.hr();
  Result<Listing> listing = listStreams(**c);
  if (!listing.ok()) return listing.hr();
  *isSigned = listing->signature.has_value();
  return S_OK;
}

HRESULT readSignature(const std::string& path, uint64_t headerOffset, bool withData,
                      StoredSignature* out) {
  Result<std::shared_ptr<Container>> c = openContainer(path, headerOffset, false);
  if (!c.ok()) return c.hr();
  Result<Listing> listing = listStreams(**c);
  if (!listing.ok()) return listing.hr();
  if (!listing->signature) return S_FALSE;
  Result<signature_stream::Content> content = readSignatureStream(**c, *listing->signature);
  if (!content.ok()) return content.hr();
  if (withData) {
    // Exactly the streams that were signed, in the order they were signed; one that is no
    // longer there contributes nothing, and so fails the comparison unless it was empty.
    std::vector<StreamRef> signedStreams;
    for (uint32_t id : content->identifiers) {
      for (const StreamRef& ref : listing->present) {
        if (ref.identifier == id) {
          signedStreams.push_back(ref);
          break;
        }
      }
    }
    if (signedStreams.empty()) return E_UNEXPECTED;
    const HRESULT hr =
        createContainerStreamData(*c, std::move(signedStreams), out->signedData.out());
    if (FAILED(hr)) return hr;
  }
  out->blob = std::move(content->blob);
  return S_OK;
}

HRESULT sign(const std::string& path, uint64_t headerOffset, const ComputeBlob& compute) {
  Result<OpenedFile> opened = openUserFile(path, true);
  if (!opened.ok()) return opened.hr();

  // The streams are signed as they are in the file while it is copied; the copy, identical
  // unless the file changes (which the replacement refuses), then gets the signature stream.
  signature_stream::Content content;
  auto signStreams = [&]() -> HRESULT {
    Result<std::shared_ptr<Container>> c = openContainer(path, headerOffset, false);
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
  auto storeSignature = [&](int, const std::string& copy) -> HRESULT {
    Result<std::shared_ptr<Container>> c = openContainer(copy, headerOffset, true);
    if (!c.ok()) return c.hr();
    Result<Listing> listing = listStreams(**c);
    if (!listing.ok()) return listing.hr();
    if (listing->signature) {
      auto rc = (*c)->removeStream(listing->signature->name, listing->signature->identifier);
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
  return replaceSignedFileCopying(path, opened->identity, opened->fd.get(),
                                  opened->identity.size, signStreams, storeSignature);
}

void setFileOpenerForTesting(container::FileOpener opener) {
  std::lock_guard lock(gOpenerMutex);
  gOpener = std::move(opener);
}

}  // namespace vexamor::signcore::container_format
