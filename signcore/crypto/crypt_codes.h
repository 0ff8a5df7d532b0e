// The certificate and message failure codes that VexaSignature returns, with the values that
// clients test for. Their texts live in the system message table.
#pragma once

#include "platform/com/win32_types.h"

namespace vexamor::signcore {

inline constexpr HRESULT NTE_BAD_SIGNATURE = makeHresult(0x80090006);
inline constexpr HRESULT NTE_BAD_ALGID = makeHresult(0x80090008);
inline constexpr HRESULT CRYPT_E_UNKNOWN_ALGO = makeHresult(0x80091002);
inline constexpr HRESULT CRYPT_E_INVALID_MSG_TYPE = makeHresult(0x80091004);
inline constexpr HRESULT CRYPT_E_HASH_VALUE = makeHresult(0x80091007);
inline constexpr HRESULT CRYPT_E_SIGNER_NOT_FOUND = makeHresult(0x8009100E);
inline constexpr HRESULT CRYPT_E_NOT_FOUND = makeHresult(0x80092004);
inline constexpr HRESULT CRYPT_E_NO_SIGNER = makeHresult(0x8009200E);
inline constexpr HRESULT CRYPT_E_ASN1_EOD = makeHresult(0x80093102);
inline constexpr HRESULT CRYPT_E_ASN1_BADTAG = makeHresult(0x8009310B);

}  // namespace vexamor::signcore
