#include "signcore/handlers/testing/forgery.h"

#include <openssl/objects.h>
#include <openssl/pkcs7.h>

#include <algorithm>
#include <cstring>

#include "container.h"
#include "recognition.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace vexamor::signcore::testing {
namespace {

using container::Container;
using container::Disposition;
using container::kAccessRead;
using container::kAccessWrite;

constexpr uint32_t kShareAll = 3;

std::unique_ptr<Container> openContainer(const std::string& path, bool forWriting) {
  auto offset = container::findContainerHeader(path);
  auto c = Container::create();
  if (!offset || c->setHeaderOffset(*offset) != 0) return nullptr;
  const uint32_t access = forWriting ? kAccessRead | kAccessWrite : kAccessRead;
  if (c->open(path, access, kShareAll, Disposition::kOpenExisting, 0x80) != 0) return nullptr;
  return c;
}

std::optional<std::vector<uint8_t>> readStream(Container& c, uint32_t id) {
  auto info = c.info();
  if (!info.ok()) return std::nullopt;
  for (uint32_t i = 0; i < info->streamCount; ++i) {
    auto s = c.streamInfo(i);
    if (!s.ok() || !s->present || s->identifier != id) continue;
    auto stream = c.openStream(s->name, s->identifier, kAccessRead, Disposition::kOpenExisting);
    if (!stream.ok()) return std::nullopt;
    std::vector<uint8_t> data;
    for (;;) {
      auto piece = stream->nextPiece();
      if (!piece.ok()) return std::nullopt;
      if (piece->empty()) return data;
      data.insert(data.end(), piece->begin(), piece->end());
    }
  }
  return std::nullopt;
}

std::optional<std::string> streamName(Container& c, uint32_t id) {
  auto info = c.info();
  if (!info.ok()) return std::nullopt;
  for (uint32_t i = 0; i < info->streamCount; ++i) {
    auto s = c.streamInfo(i);
    if (s.ok() && s->present && s->identifier == id) return s->name;
  }
  return std::nullopt;
}

std::optional<signature_stream::Content> signatureStream(const std::string& path) {
  for (auto& [name, data] : readContainerStreams(path)) {
    if (name != signature_stream::kName || data.size() < 16) continue;
    signature_stream::Content content;
    const uint32_t n = loadLe32(&data[12]);
    if (data.size() < 16 + uint64_t{4} * n) return std::nullopt;
    for (uint32_t i = 0; i < n; ++i) content.identifiers.push_back(loadLe32(&data[16 + 4 * i]));
    content.blob.assign(data.begin() + 16 + 4 * n, data.end());
    return content;
  }
  return std::nullopt;
}

// Where the appended trailer's length field lies, and the blob behind it.
std::optional<std::pair<uint64_t, std::vector<uint8_t>>> appendedTrailer(
    const std::vector<uint8_t>& bytes) {
  Result<uint64_t> behind = appended::findMarker(MemorySource(bytes));
  if (!behind.ok() || *behind == 0) return std::nullopt;
  Result<std::vector<uint8_t>> blob = appended::readBlob(MemorySource(bytes), *behind);
  if (!blob.ok()) return std::nullopt;
  return std::make_pair(*behind, std::move(*blob));
}

std::string asString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> asBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

bool writeClassic(const std::string& path, std::vector<uint8_t> data, uint32_t at,
                  const std::string& blob) {
  data.resize(at);
  storeLe32(&data[classic::kPointerOffset], at);
  const auto block = classic::encodeBlock(at, asBytes(blob));
  data.insert(data.end(), block.begin(), block.end());
  return writeFile(path, data);
}

bool writeAppended(const std::string& path, std::vector<uint8_t> data, uint64_t end,
                   const std::string& blob) {
  data.resize(end);
  const auto trailer = appended::encodeTrailer(asBytes(blob));
  data.insert(data.end(), trailer.begin(), trailer.end());
  return writeFile(path, data);
}

bool writeSignatureStream(const std::string& path, signature_stream::Content content,
                          const std::string& blob) {
  content.blob = asBytes(blob);
  return rewriteContainerStream(path, std::string(signature_stream::kName),
                                signature_stream::encode(content)) == 0;
}

}  // namespace

SignedLayout layoutOf(const std::string& path) {
  const auto bytes = readFile(path);
  if (bytes.size() >= classic::kVersionText.size() &&
      std::equal(classic::kVersionText.begin(), classic::kVersionText.end(), bytes.begin())) {
    return SignedLayout::kClassic;
  }
  if (container::findContainerHeader(path)) return SignedLayout::kContainer;
  return SignedLayout::kAppended;
}

std::optional<SignedParts> signedPartsOf(const std::string& path) {
  const auto bytes = readFile(path);
  switch (layoutOf(path)) {
    case SignedLayout::kClassic: {
      Result<uint32_t> pointer = classic::readPointer(MemorySource(bytes));
      if (!pointer.ok() || *pointer == 0) return std::nullopt;
      Result<classic::Block> block = classic::readBlock(MemorySource(bytes), *pointer);
      if (!block.ok()) return std::nullopt;
      SignedParts parts{{bytes.begin(), bytes.begin() + *pointer}, asString(block->blob)};
      std::fill_n(parts.content.begin() + classic::kPointerOffset, classic::kPointerSize, 0);
      return parts;
    }
    case SignedLayout::kAppended: {
      auto trailer = appendedTrailer(bytes);
      if (!trailer) return std::nullopt;
      const uint64_t end = trailer->first - appended::kMarker.size();
      return SignedParts{{bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end)},
                         asString(trailer->second)};
    }
    case SignedLayout::kContainer: {
      auto content = signatureStream(path);
      auto c = openContainer(path, false);
      if (!content || !c) return std::nullopt;
      SignedParts parts{{}, asString(content->blob)};
      for (uint32_t id : content->identifiers) {
        auto data = readStream(*c, id);
        if (!data) return std::nullopt;
        parts.content.insert(parts.content.end(), data->begin(), data->end());
      }
      return parts;
    }
  }
  return std::nullopt;
}

bool replaceBlob(const std::string& path, const std::string& blob) {
  auto bytes = readFile(path);
  switch (layoutOf(path)) {
    case SignedLayout::kClassic: {
      Result<uint32_t> pointer = classic::readPointer(MemorySource(bytes));
      return pointer.ok() && *pointer != 0 && writeClassic(path, bytes, *pointer, blob);
    }
    case SignedLayout::kAppended: {
      auto trailer = appendedTrailer(bytes);
      return trailer && writeAppended(path, bytes, trailer->first - appended::kMarker.size(), blob);
    }
    case SignedLayout::kContainer: {
      auto content = signatureStream(path);
      return content && writeSignatureStream(path, *content, blob);
    }
  }
  return false;
}

bool moveTailIntoNote(const std::string& path, uint64_t tailLength) {
  auto parts = signedPartsOf(path);
  if (!parts || tailLength > parts->content.size()) return false;
  const uint64_t cut = parts->content.size() - tailLength;
  const std::string tail(parts->content.begin() + static_cast<ptrdiff_t>(cut),
                         parts->content.end());
  const std::string forgedBlob = withNote(parts->blob, tail + noteOf(parts->blob).value_or(""));
  auto bytes = readFile(path);
  switch (layoutOf(path)) {
    case SignedLayout::kClassic:
      if (cut < classic::kHeaderEnd || cut > UINT32_MAX) return false;
      return writeClassic(path, bytes, static_cast<uint32_t>(cut), forgedBlob);
    case SignedLayout::kAppended:
      return writeAppended(path, bytes, cut, forgedBlob);
    case SignedLayout::kContainer: {
      auto content = signatureStream(path);
      if (!content || content->identifiers.empty()) return false;
      std::optional<std::string> name;
      std::optional<std::vector<uint8_t>> last;
      if (auto c = openContainer(path, false)) {
        name = streamName(*c, content->identifiers.back());
        last = readStream(*c, content->identifiers.back());
      }
      if (!name || !last || tailLength > last->size()) return false;
      last->resize(last->size() - tailLength);
      return rewriteContainerStream(path, *name, *last) == 0 &&
             writeSignatureStream(path, *content, forgedBlob);
    }
  }
  return false;
}

bool addContainerStream(const std::string& path, const std::string& name,
                        const std::vector<uint8_t>& data) {
  auto c = openContainer(path, true);
  if (!c) return false;
  auto s = c->openStream(name, 0, kAccessRead | kAccessWrite, Disposition::kCreateNew);
  return s.ok() && s->write(data) == 0 && s->close() == 0 && c->close() == 0;
}

std::optional<std::string> noteOf(const std::string& blob) {
  ossl::Pkcs7 p7 = decodePkcs7(blob);
  if (!p7 || !PKCS7_type_is_signed(p7.get())) return std::nullopt;
  PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0);
  if (si == nullptr || sk_X509_ATTRIBUTE_num(si->unauth_attr) <= 0) return std::nullopt;
  const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(sk_X509_ATTRIBUTE_value(si->unauth_attr, 0), 0);
  if (value == nullptr || value->type != V_ASN1_OCTET_STRING) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(value->value.octet_string->data),
                     static_cast<size_t>(value->value.octet_string->length));
}

std::string withNote(const std::string& blob, const std::string& note) {
  ossl::Pkcs7 p7 = decodePkcs7(blob);
  if (!p7) return blob;
  PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0);
  sk_X509_ATTRIBUTE_pop_free(si->unauth_attr, X509_ATTRIBUTE_free);
  si->unauth_attr = nullptr;
  if (!note.empty()) {
    ASN1_OCTET_STRING* value = ASN1_OCTET_STRING_new();
    ASN1_OCTET_STRING_set(value, reinterpret_cast<const unsigned char*>(note.data()),
                          static_cast<int>(note.size()));
    PKCS7_add_attribute(si, NID_subject_key_identifier, V_ASN1_OCTET_STRING, value);
  }
  return encodePkcs7(p7.get());
}

bool signatureHoldsOverStoredNote(const std::string& blob, const std::vector<uint8_t>& content) {
  ossl::Pkcs7 p7 = decodePkcs7(blob);
  if (!p7) return false;
  std::string data = asString(content) + noteOf(blob).value_or("");
  ossl::Bio in(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
  const int ok = PKCS7_verify(p7.get(), nullptr, nullptr, in.get(), nullptr,
                              PKCS7_NOVERIFY | PKCS7_BINARY | PKCS7_NOCHAIN);
  ERR_clear_error();
  return ok == 1;
}

}  // namespace vexamor::signcore::testing
