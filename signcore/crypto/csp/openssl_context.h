// The OpenSSL library context of the provider emulation: its own context with OpenSSL's
// default provider and its legacy provider (RC2, RC4 and DES live there), so that loading the
// legacy algorithms never changes the OpenSSL of the process that loaded the module.
#pragma once

#include <openssl/types.h>

namespace vexamor::csp {

// Made on first use, thread-safe; null when OpenSSL cannot make a context at all. Without
// the legacy provider (an OpenSSL built without it) RC2, RC4 and DES simply cannot be fetched.
OSSL_LIB_CTX* opensslContext();

}  // namespace vexamor::csp
