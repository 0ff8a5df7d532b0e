// Time-stamping a signature as it is made: the signer's signature value sent to
// time-stamping authorities (RFC 3161) and the token they give kept in the blob, after the
// note.
#pragma once

#include <string>

#include "platform/com/win32_types.h"
#include "signcore/crypto/timestamp_token.h"

namespace vexamor::signcore {

// `blob` with a token from the first authority of `order` that gives a good one, its
// certificate chaining to the trust anchors of `certificateFolder` (issuers also looked for
// among its intermediate authorities). E_INVALIDARG for a blob without a note (the token would
// take the note's place for readers that know only the note); when no authority gives a
// token, the failure of the last one, with `reason` telling what each of them did.
HRESULT stampSignature(const std::string& blob, const TimestampOrder& order,
                       const std::string& certificateFolder, std::string* stamped,
                       std::u16string* reason);

}  // namespace vexamor::signcore
