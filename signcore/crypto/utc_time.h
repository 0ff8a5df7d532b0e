// Times of certificates, time-stamp tokens and revocation data as this half compares and shows
// them: seconds since 1970, UTC.
#pragma once

#include <cstdint>
#include <string>

#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// False for a time that cannot be read. Fractions of a second are dropped.
bool asn1Seconds(const ASN1_TIME* time, int64_t* seconds);

// "2026-12-08 10:15:02 UTC"
std::string utcTimeText(int64_t seconds);

// Whether `seconds` lies within the certificate's validity, both ends included.
bool withinValidity(X509* cert, int64_t seconds);

}  // namespace vexamor::signcore
