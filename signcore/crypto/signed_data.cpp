#include "signcore/crypto/signed_data.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "platform/com/utf.h"
#include "signcore/crypto/crypt_codes.h"

namespace vexamor::signcore {
namespace {

// The note travels as the attribute that carries this identifier.
constexpr int kNoteAttribute = NID_subject_key_identifier;  // 2.5.29.14
// A time-stamp token (RFC 3161) of the signature value, after the note.
constexpr int kTokenAttribute = NID_id_smime_aa_timeStampToken;  // 1.2.840.113549.1.9.16.2.14

// The identifier of the first unauthenticated attribute that is neither the note nor a
// time-stamp token; empty when there is none. Nothing signs those attributes, so one that no
// reader here understands could only mislead a reader elsewhere.
std::string foreignAttribute(PKCS7_SIGNER_INFO* signer) {
  STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_attributes(signer);
  for (int i = 0; i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
    const ASN1_OBJECT* object = X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, i));
    const int nid = OBJ_obj2nid(object);
    if (nid == kNoteAttribute || nid == kTokenAttribute) continue;
    char text[128] = "?";
    OBJ_obj2txt(text, sizeof text, object, 1);
    return text;
  }
  return {};
}

// Takes the errors of the thread's queue: whether one of them is of library `lib` with one
// of `reasons`.
class DrainedErrors {
 public:
  DrainedErrors() {
    while (const unsigned long e = ERR_get_error()) errors_.push_back(e);
  }
  bool holds(int lib, std::initializer_list<int> reasons) const {
    return std::any_of(errors_.begin(), errors_.end(), [&](unsigned long e) {
      return ERR_GET_LIB(e) == lib &&
             std::find(reasons.begin(), reasons.end(), ERR_GET_REASON(e)) != reasons.end();
    });
  }

 private:
  std::vector<unsigned long> errors_;
};

HRESULT writeDigest(BIO* bio, const BYTE* data, size_t size) {
  while (size > 0) {
    const int chunk = static_cast<int>(std::min<size_t>(size, INT_MAX));
    if (BIO_write(bio, data, chunk) != chunk) {
      ERR_clear_error();
      return E_OUTOFMEMORY;
    }
    data += chunk;
    size -= static_cast<size_t>(chunk);
  }
  return S_OK;
}

// Messages parsed before, by their bytes, each lent whole to one reader at a time (reading a
// message changes nothing in it that the next reader would see, but two readers at once
// would both write its detached flag).
struct ParsedMessages {
  static constexpr size_t kCapacity = 32;
  std::mutex mutex;
  std::deque<std::pair<std::string, ossl::Pkcs7>> entries;  // the newest last
};

ParsedMessages& parsedMessages() {
  static auto* messages = new ParsedMessages;  // never destroyed: threads may outlive exit
  return *messages;
}

ossl::Pkcs7 takeParsed(const std::string& bytes) {
  ParsedMessages& m = parsedMessages();
  std::lock_guard lock(m.mutex);
  for (auto it = m.entries.rbegin(); it != m.entries.rend(); ++it) {
    if (it->first == bytes) {
      ossl::Pkcs7 p7 = std::move(it->second);
      m.entries.erase(std::next(it).base());
      return p7;
    }
  }
  return {};
}

void keepParsed(std::string bytes, ossl::Pkcs7 p7) {
  ParsedMessages& m = parsedMessages();
  ossl::Pkcs7 dropped;  // freed after the lock is let go
  std::lock_guard lock(m.mutex);
  for (const auto& entry : m.entries) {
    if (entry.first == bytes) return;  // another reader's copy is kept already
  }
  if (m.entries.size() >= ParsedMessages::kCapacity) {
    dropped = std::move(m.entries.front().second);
    m.entries.pop_front();
  }
  m.entries.emplace_back(std::move(bytes), std::move(p7));
}

}  // namespace

bool isWeakDigest(int digestNid) {
  return digestNid == NID_md2 || digestNid == NID_md4 || digestNid == NID_md5 ||
         digestNid == NID_md5_sha1;
}

const EVP_MD* signingDigest(X509* cert) {
  int digestNid = NID_undef;
  int keyNid = NID_undef;
  // A certificate that an authority still signed with MD5 does not make its holder's
  // signatures MD5 ones: no verifier accepts those.
  if (OBJ_find_sigid_algs(X509_get_signature_nid(cert), &digestNid, &keyNid) == 1 &&
      digestNid != NID_undef && !isWeakDigest(digestNid)) {
    if (const EVP_MD* md = EVP_get_digestbynid(digestNid)) return md;
  }
  return EVP_sha256();
}

// ----- SignatureWriter -----

HRESULT SignatureWriter::begin(X509* cert, EVP_PKEY* key) {
  ERR_clear_error();
  p7_.reset(PKCS7_new());
  if (!p7_ || PKCS7_set_type(p7_.get(), NID_pkcs7_signed) != 1) return E_OUTOFMEMORY;
  if (X509_check_private_key(cert, key) != 1) {
    ERR_clear_error();
    return NTE_BAD_KEYSET;
  }
  signer_ = PKCS7_add_signature(p7_.get(), cert, key, signingDigest(cert));
  if (signer_ == nullptr) {  // a key type that PKCS #7 cannot sign with
    ERR_clear_error();
    return NTE_BAD_KEYSET;
  }
  if (PKCS7_add_certificate(p7_.get(), cert) != 1 ||
      PKCS7_content_new(p7_.get(), NID_pkcs7_data) != 1) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  PKCS7_set_detached(p7_.get(), 1);
  // Detached: the digest BIOs end in a null sink, so nothing of the content is kept.
  digest_.reset(PKCS7_dataInit(p7_.get(), nullptr));
  if (!digest_) {
    ERR_clear_error();
    return NTE_BAD_KEYSET;
  }
  return S_OK;
}

HRESULT SignatureWriter::update(const BYTE* data, size_t size) {
  return writeDigest(digest_.get(), data, size);
}

HRESULT SignatureWriter::finish(const std::string& note, std::string* der) {
  if (!note.empty()) {
    if (HRESULT hr = update(reinterpret_cast<const BYTE*>(note.data()), note.size()); FAILED(hr)) {
      return hr;
    }
    ASN1_OCTET_STRING* value = ASN1_OCTET_STRING_new();
    if (value == nullptr ||
        ASN1_OCTET_STRING_set(value, reinterpret_cast<const unsigned char*>(note.data()),
                              static_cast<int>(note.size())) != 1 ||
        PKCS7_add_attribute(signer_, kNoteAttribute, V_ASN1_OCTET_STRING, value) != 1) {
      ASN1_OCTET_STRING_free(value);
      ERR_clear_error();
      return E_OUTOFMEMORY;
    }
  }
  if (PKCS7_dataFinal(p7_.get(), digest_.get()) != 1) {
    ERR_clear_error();
    return NTE_BAD_KEYSET;
  }
  const int size = i2d_PKCS7(p7_.get(), nullptr);
  if (size <= 0) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  der->resize(static_cast<size_t>(size));
  auto* out = reinterpret_cast<unsigned char*>(der->data());
  if (i2d_PKCS7(p7_.get(), &out) != size) {
    ERR_clear_error();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// ----- SignatureBlob -----

SignatureBlob::~SignatureBlob() {
  digest_.reset();
  if (p7_) {
    try {
      keepParsed(std::move(bytes_), std::move(p7_));
    } catch (const std::bad_alloc&) {  // not kept: the next reader parses it again
    }
  }
}

HRESULT SignatureBlob::parse(const BYTE* data, size_t size) {
  ERR_clear_error();
  digest_.reset();
  p7_.reset();
  signer_ = nullptr;
  signerCert_ = nullptr;
  if (size == 0 || size > LONG_MAX) return CRYPT_E_ASN1_EOD;
  constexpr BYTE kSequence = 0x30;  // a ContentInfo is a SEQUENCE, whatever follows
  if (data[0] != kSequence) return CRYPT_E_ASN1_BADTAG;
  bytes_.assign(reinterpret_cast<const char*>(data), size);
  p7_ = takeParsed(bytes_);
  if (!p7_) {
    const unsigned char* p = data;
    p7_.reset(d2i_PKCS7(nullptr, &p, static_cast<long>(size)));
  }
  if (!p7_) {
    const DrainedErrors errors;
    return errors.holds(ERR_LIB_ASN1,
                        {ASN1_R_TOO_LONG, ASN1_R_HEADER_TOO_LONG, ASN1_R_NOT_ENOUGH_DATA})
               ? CRYPT_E_ASN1_EOD
               : CRYPT_E_ASN1_BADTAG;
  }
  if (!PKCS7_type_is_signed(p7_.get()) || p7_->d.sign == nullptr ||
      p7_->d.sign->contents == nullptr) {
    p7_.reset();
    return CRYPT_E_INVALID_MSG_TYPE;
  }
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7_.get());
  if (sk_PKCS7_SIGNER_INFO_num(signers) > 0) {
    signer_ = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    if (signer_->issuer_and_serial != nullptr) {
      signerCert_ = X509_find_by_issuer_and_serial(
          certificates(), signer_->issuer_and_serial->issuer, signer_->issuer_and_serial->serial);
    }
  }
  return S_OK;
}

STACK_OF(X509) * SignatureBlob::certificates() const {
  return p7_ ? p7_->d.sign->cert : nullptr;
}

X509* SignatureBlob::signerCertificate() const {
  if (signerCert_ != nullptr) return signerCert_;
  return sk_X509_num(certificates()) > 0 ? sk_X509_value(certificates(), 0) : nullptr;
}

HRESULT SignatureBlob::note(std::optional<std::string>* bytes) const {
  bytes->reset();
  if (signer_ == nullptr) return S_OK;
  // The note is the attribute with the note's identifier, wherever DER's ordering of the set
  // puts it among others (time-stamp tokens); a second one could make a reader show one
  // note while another is verified.
  STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_attributes(signer_);
  X509_ATTRIBUTE* found = nullptr;
  for (int i = 0; i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
    if (OBJ_obj2nid(X509_ATTRIBUTE_get0_object(attribute)) != kNoteAttribute) continue;
    if (found != nullptr) return CRYPT_E_ASN1_BADTAG;
    found = attribute;
  }
  if (found == nullptr) return S_OK;
  const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(found, 0);
  if (X509_ATTRIBUTE_count(found) != 1 || value == nullptr || value->type != V_ASN1_OCTET_STRING) {
    return CRYPT_E_ASN1_BADTAG;
  }
  const ASN1_OCTET_STRING* text = value->value.octet_string;
  bytes->emplace(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                 static_cast<size_t>(ASN1_STRING_length(text)));
  return S_OK;
}

HRESULT SignatureBlob::beginVerify() {
  reason_.clear();
  if (signer_ == nullptr) return CRYPT_E_NO_SIGNER;
  if (signerCert_ == nullptr) return CRYPT_E_SIGNER_NOT_FOUND;
  if (!PKCS7_type_is_data(p7_->d.sign->contents)) return CRYPT_E_INVALID_MSG_TYPE;
  // The signature covers the caller's bytes, never bytes of its own.
  if (p7_->d.sign->contents->d.data != nullptr) {
    reason_ = u"The signature carries content of its own instead of signing the file's.";
    return CRYPT_E_INVALID_MSG_TYPE;
  }
  int digestNid = OBJ_obj2nid(signer_->digest_alg->algorithm);
  int keyNid = NID_undef;
  if (int named = NID_undef; OBJ_find_sigid_algs(digestNid, &named, &keyNid) == 1) {
    digestNid = named;  // a signature algorithm given where the digest belongs
  }
  if (isWeakDigest(digestNid)) {
    reason_ = u"The signature was made with the " + text::utf8ToUtf16(OBJ_nid2sn(digestNid)) +
              u" message digest, for which other content with the same digest can be made.";
    return NTE_BAD_ALGID;
  }
  if (const std::string other = foreignAttribute(signer_); !other.empty()) {
    reason_ = u"The signature carries an unsigned attribute other than its note and time stamp (" +
              text::utf8ToUtf16(other) + u").";
    return NTE_BAD_SIGNATURE;
  }
  // Detached: the digest BIOs end in a null sink, so nothing of the content is kept.
  PKCS7_set_detached(p7_.get(), 1);
  digest_.reset(PKCS7_dataInit(p7_.get(), nullptr));
  if (!digest_) {
    ERR_clear_error();
    return CRYPT_E_UNKNOWN_ALGO;
  }
  return S_OK;
}

HRESULT SignatureBlob::update(const BYTE* data, size_t size) {
  return writeDigest(digest_.get(), data, size);
}

HRESULT SignatureBlob::finishVerify() {
  std::optional<std::string> noteBytes;
  if (HRESULT hr = note(&noteBytes); FAILED(hr)) return hr;
  if (noteBytes) {
    // Only the note that signing would have stored for these parts was signed; any other
    // bytes (a tail of the content moved in front of it, a note no signer writes) are not
    // hashed at all.
    if (noteBytes->empty() || rebuiltNote(*noteBytes) != *noteBytes) {
      reason_ = u"The comment and time stamp stored with it are not the ones that were signed.";
      return NTE_BAD_SIGNATURE;
    }
    if (HRESULT hr = update(reinterpret_cast<const BYTE*>(noteBytes->data()), noteBytes->size());
        FAILED(hr)) {
      return hr;
    }
  }
  ERR_clear_error();
  if (PKCS7_signatureVerify(digest_.get(), p7_.get(), signer_, signerCert_) == 1) return S_OK;
  const DrainedErrors errors;
  if (errors.holds(ERR_LIB_PKCS7, {PKCS7_R_DIGEST_FAILURE})) return CRYPT_E_HASH_VALUE;
  if (errors.holds(ERR_LIB_PKCS7,
                   {PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST, PKCS7_R_UNKNOWN_DIGEST_TYPE})) {
    return CRYPT_E_UNKNOWN_ALGO;
  }
  return NTE_BAD_SIGNATURE;
}

}  // namespace vexamor::signcore
