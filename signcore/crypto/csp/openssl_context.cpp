#include "signcore/crypto/csp/openssl_context.h"

#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::csp {
namespace {

struct Context {
  Context() : libctx(OSSL_LIB_CTX_new()) {
    if (libctx == nullptr) return;
    defaultProvider.reset(OSSL_PROVIDER_load(libctx.get(), "default"));
    legacyProvider.reset(OSSL_PROVIDER_load(libctx.get(), "legacy"));
  }
  // Members are freed in reverse order: the providers before the context that holds them.
  ossl::LibCtx libctx;
  ossl::Provider defaultProvider;
  ossl::Provider legacyProvider;
};

}  // namespace

OSSL_LIB_CTX* opensslContext() {
  static Context context;
  return context.libctx.get();
}

}  // namespace vexamor::csp
