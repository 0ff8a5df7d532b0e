// What trust_data_fuzz and its seed writer share: the signature value that tokens cover, the
// address that the revocable test certificates name, and a token-shaped ContentInfo.
#pragma once

#include <string>
#include <string_view>

namespace vexamor::fuzzing {

inline constexpr std::string_view kSignatureValue = "the signature value that tokens cover";
inline constexpr const char* kBaseUrl = "http://127.0.0.1:9";
inline const std::string kCrlUrl = std::string(kBaseUrl) + "/ca.crl";
// An empty ContentInfo of type data: something addTimestampToken takes for a token.
inline constexpr std::string_view kAnyToken{"\x30\x0b\x06\x09\x2a\x86\x48\x86\xf7\x0d\x01\x07\x01",
                                            13};

}  // namespace vexamor::fuzzing
