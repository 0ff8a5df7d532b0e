// Time-stamp tokens made by a test itself rather than by an authority, for tests that forge
// them from genuine ones and for the fuzz target that signs what it is fed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "signcore/crypto/testing/test_pki.h"

namespace vexamor::signcore::testing {

// A token: `tstInfo` (DER) as the content of a SignedData signed with `signer`'s key, whose
// signing-certificate attribute names `named`, carrying `signer` and `others`. Empty when
// OpenSSL cannot make it.
std::string signTimestampContent(std::string_view tstInfo, const TestCertificate& signer,
                                 const TestCertificate& named,
                                 const std::vector<const TestCertificate*>& others);

}  // namespace vexamor::signcore::testing
