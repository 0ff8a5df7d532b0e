// Owning handles for OpenSSL objects, so that every early return frees what it made.
#pragma once

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/provider.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <memory>

namespace vexamor::ossl {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};

template <typename T, void (*Free)(T*)>
using Ptr = std::unique_ptr<T, Deleter<T, Free>>;

inline void freeBio(BIO* b) { BIO_free_all(b); }
inline void freeX509Stack(STACK_OF(X509) * s) { sk_X509_pop_free(s, X509_free); }
inline void unloadProvider(OSSL_PROVIDER* p) { OSSL_PROVIDER_unload(p); }

using Bio = Ptr<BIO, freeBio>;
using X509Ptr = Ptr<X509, X509_free>;
using X509Stack = Ptr<STACK_OF(X509), freeX509Stack>;
using X509Store = Ptr<X509_STORE, X509_STORE_free>;
using X509StoreCtx = Ptr<X509_STORE_CTX, X509_STORE_CTX_free>;
using PKey = Ptr<EVP_PKEY, EVP_PKEY_free>;
using PKeyCtx = Ptr<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using MdCtx = Ptr<EVP_MD_CTX, EVP_MD_CTX_free>;
using CipherCtx = Ptr<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>;
using Cipher = Ptr<EVP_CIPHER, EVP_CIPHER_free>;
using Md = Ptr<EVP_MD, EVP_MD_free>;
using Pkcs7 = Ptr<PKCS7, PKCS7_free>;
using Pkcs12 = Ptr<PKCS12, PKCS12_free>;
using LibCtx = Ptr<OSSL_LIB_CTX, OSSL_LIB_CTX_free>;
using Provider = Ptr<OSSL_PROVIDER, unloadProvider>;

}  // namespace vexamor::ossl
