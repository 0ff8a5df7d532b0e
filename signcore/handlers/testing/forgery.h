// Forged files made from genuinely signed ones, as an attacker without the signer's key
// makes them: the signed bytes taken apart, the blob re-encoded with OpenSSL's PKCS #7 API,
// and the file put together again in its layout. A test helper for showing what the
// verifier refuses; nothing here is part of the product.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexamor::signcore::testing {

enum class SignedLayout { kClassic, kAppended, kContainer };

// The layout of a signed file, from its bytes: "DX1015" at the start, a container header,
// else an appended trailer.
SignedLayout layoutOf(const std::string& path);

// What a signed file's signature covers, exactly as the handler feeds it to the verifier
// (the note not included), and the blob stored in the file.
struct SignedParts {
  std::vector<uint8_t> content;
  std::string blob;
};
std::optional<SignedParts> signedPartsOf(const std::string& path);

// Writes `blob` in place of the file's stored blob, the signed bytes untouched. False when
// the file is not signed in its layout.
bool replaceBlob(const std::string& path, const std::string& blob);

// Cuts the last `tailLength` signed bytes off the file (the end of the drawing data, of the
// file's own bytes, or of the last signed stream) and puts them in front of the note, so that
// what is hashed stays the same: the forgery the note rule exists for.
bool moveTailIntoNote(const std::string& path, uint64_t tailLength);

// Adds a stream to a container drawing, as a program that knows nothing of signatures
// would. False when the container does not take it.
bool addContainerStream(const std::string& path, const std::string& name,
                        const std::vector<uint8_t>& data);

// The blob's note bytes (the first unauthenticated attribute's value), if it has one.
std::optional<std::string> noteOf(const std::string& blob);
// The blob with its unauthenticated attributes replaced by one note attribute holding
// `note` (none when `note` is empty).
std::string withNote(const std::string& blob, const std::string& note);

// Whether OpenSSL finds `blob` a valid signature of `content` followed by its stored note
// bytes as they stand (the check a verifier that trusts the stored note makes), chain not
// looked at: proof that a forgery is cryptographically intact.
bool signatureHoldsOverStoredNote(const std::string& blob, const std::vector<uint8_t>& content);

}  // namespace vexamor::signcore::testing
