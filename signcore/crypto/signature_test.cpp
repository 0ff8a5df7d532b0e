// ComputeSignature, VerifySignature and ExtractSignatureInfo through COM: the blob's form,
// the note, the signer's chain, and what bad blobs and bad enumerators give.
#include <openssl/objects.h>

#include "platform/com/last_error.h"
#include "platform/com/utf.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/signature_fixture.h"

namespace vexamor::signcore {
namespace {

using testing::MemoryData;
using testing::TestCertificate;

// 10,000 bytes of every value, so blocks of 4096 end in the middle of the data.
std::string sampleData() {
  std::string data(10000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 256);
  return data;
}

ossl::Pkcs7 decode(const std::string& blob) {
  return testing::decodePkcs7(blob);
}

std::string encode(PKCS7* p7) {
  return testing::encodePkcs7(p7);
}

PKCS7_SIGNER_INFO* firstSigner(PKCS7* p7) {
  return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
}

// The blob with the first signer's unsigned attributes replaced by one note attribute whose
// value has the given type and bytes. The signature itself is left as it was.
std::string withNoteValue(const std::string& blob, int type, const std::string& bytes) {
  ossl::Pkcs7 p7 = decode(blob);
  PKCS7_SIGNER_INFO* si = firstSigner(p7.get());
  sk_X509_ATTRIBUTE_pop_free(si->unauth_attr, X509_ATTRIBUTE_free);
  si->unauth_attr = nullptr;
  ASN1_STRING* value = ASN1_STRING_type_new(type);
  ASN1_STRING_set(value, bytes.data(), static_cast<int>(bytes.size()));
  PKCS7_add_attribute(si, NID_subject_key_identifier, type, value);
  return encode(p7.get());
}

std::string note(std::u16string_view text) {
  return testing::storedNote(text);
}

class Signatures : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    certificates_.installStandardSet();
  }

  static void expectReported(const std::u16string& description) {
    const auto report = lastError();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->description, description);
    EXPECT_EQ(report->source, u"DxSignCore.VexaSignature.1");
  }

  const std::string data_ = sampleData();
};

TEST_F(Signatures, SignedDataVerifiesAndReadsBackTheSignersTexts) {
  const std::u16string comment = u"Checked by J. Roe";
  const std::u16string timestamp = u"2/12/2003/21/27/7/time.example.com";
  for (const TestCertificate* signer : {&pki().rsaSigner, &pki().ecSigner}) {
    std::string blob;
    ASSERT_EQ(signWith(*signer, data_, &blob, &comment, &timestamp), S_OK);
    LONG result = 0;
    EXPECT_EQ(verify(blob, data_, &result), S_OK);
    EXPECT_EQ(result, 1);

    const Extracted info = extract(blob);
    ASSERT_EQ(info.hr, S_OK);
    EXPECT_EQ(info.subject, signer->subject());
    EXPECT_EQ(info.issuer, u"Vexamor Test Intermediate");
    EXPECT_EQ(info.serial, signer->serial());
    EXPECT_EQ(info.email, u"");
    EXPECT_EQ(info.x500, u"C=US; O=Vexamor Test; CN=" + signer->subject());
    EXPECT_EQ(info.comment, comment);
    EXPECT_EQ(info.timestamp, timestamp);
    EXPECT_EQ(info.notBefore, "2020-01-01 00:00:00");
    EXPECT_EQ(info.notAfter, "2099-12-31 23:59:59");
  }
}

TEST_F(Signatures, TheBlobIsDetachedDerWithOneSignerAndTheNoteUnsigned) {
  const std::u16string comment = u"ok";
  const std::u16string timestamp = u"1/2/2003/4/5/6/time";  // 19 characters
  for (const TestCertificate* signer : {&pki().rsaSigner, &pki().ecSigner}) {
    std::string blob;
    ASSERT_EQ(signWith(*signer, data_, &blob, &comment, &timestamp), S_OK);
    ossl::Pkcs7 p7 = decode(blob);
    ASSERT_TRUE(p7);
    EXPECT_EQ(encode(p7.get()), blob);  // definite-length DER reads back to the same bytes
    ASSERT_TRUE(PKCS7_type_is_signed(p7.get()));
    EXPECT_EQ(p7->d.sign->contents->d.data, nullptr);  // detached
    EXPECT_EQ(OBJ_obj2nid(p7->d.sign->contents->type), NID_pkcs7_data);
    ASSERT_EQ(sk_X509_num(p7->d.sign->cert), 1);
    EXPECT_EQ(X509_cmp(sk_X509_value(p7->d.sign->cert, 0), signer->cert.get()), 0);
    EXPECT_EQ(sk_X509_CRL_num(p7->d.sign->crl), -1);  // none at all, not an empty set
    ASSERT_EQ(sk_PKCS7_SIGNER_INFO_num(PKCS7_get_signer_info(p7.get())), 1);

    PKCS7_SIGNER_INFO* si = firstSigner(p7.get());
    EXPECT_LE(sk_X509_ATTRIBUTE_num(si->auth_attr), 0);
    EXPECT_EQ(OBJ_obj2nid(si->digest_alg->algorithm),
              signer == &pki().ecSigner ? NID_sha384 : NID_sha256);
    ASSERT_EQ(sk_X509_ATTRIBUTE_num(si->unauth_attr), 1);
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(si->unauth_attr, 0);
    char oid[32];
    OBJ_obj2txt(oid, sizeof oid, X509_ATTRIBUTE_get0_object(attribute), 1);
    EXPECT_STREQ(oid, "2.5.29.14");
    ASSERT_EQ(X509_ATTRIBUTE_count(attribute), 1);
    const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    ASSERT_EQ(value->type, V_ASN1_OCTET_STRING);
    const std::string stored(reinterpret_cast<const char*>(value->value.octet_string->data),
                             static_cast<size_t>(value->value.octet_string->length));
    EXPECT_EQ(stored, note(u"19;1/2/2003/4/5/6/timeok"));
  }
}

TEST_F(Signatures, WithoutANoteTheDataAloneIsSignedWhateverTheBlocks) {
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob), S_OK);
  ossl::Pkcs7 p7 = decode(blob);
  ASSERT_TRUE(p7);
  EXPECT_LE(sk_X509_ATTRIBUTE_num(firstSigner(p7.get())->unauth_attr), 0);
  ossl::Bio content(BIO_new_mem_buf(data_.data(), static_cast<int>(data_.size())));
  EXPECT_EQ(PKCS7_verify(p7.get(), nullptr, nullptr, content.get(), nullptr,
                         PKCS7_NOVERIFY | PKCS7_BINARY),
            1);

  // RSA signatures are deterministic: the same bytes in other blocks sign to the same blob.
  MemoryData bytewise(data_, 1);
  bytewise.withEmptyBlocks();
  std::string again;
  ASSERT_EQ(signFrom(pki().rsaSigner.subject(), pki().rsaSigner.issuer(), pki().rsaSigner.serial(),
                     &bytewise, &again),
            S_OK);
  EXPECT_EQ(again, blob);
  EXPECT_TRUE(bytewise.finished());
  EXPECT_EQ(extract(blob).comment, u"");
  EXPECT_EQ(extract(blob).timestamp, u"");

  std::string empty;
  ASSERT_EQ(signWith(pki().rsaSigner, "", &empty), S_OK);
  LONG result = 0;
  EXPECT_EQ(verify(empty, "", &result), S_OK);
}

TEST_F(Signatures, AChangedCommentOrChangedDataFailsVerification) {
  const std::u16string comment = u"Approved";
  std::string blob;
  ASSERT_EQ(signWith(pki().ecSigner, data_, &blob, &comment), S_OK);

  std::string changed = blob;
  const std::string approved = note(u"Approved").substr(0, 16);
  const size_t at = changed.find(approved);
  ASSERT_NE(at, std::string::npos);
  changed[at] = 'B';
  LONG result = -1;
  EXPECT_EQ(verify(changed, data_, &result), NTE_BAD_SIGNATURE);
  EXPECT_EQ(result, 0);
  expectReported(u"Invalid Signature.");
  EXPECT_EQ(extract(changed).comment, u"Bpproved");  // reading it back does not verify

  std::string otherData = data_;
  otherData[5000] ^= 1;
  EXPECT_EQ(verify(blob, otherData, &result), NTE_BAD_SIGNATURE);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(verify(blob, data_.substr(0, 9999), &result), NTE_BAD_SIGNATURE);
  EXPECT_EQ(verify(blob, data_, &result), S_OK);
}

TEST_F(Signatures, SignersWhoseCertificateMerelyExpiredStillVerify) {
  for (const TestCertificate* signer : {&pki().expired, &pki().notYetValid}) {
    std::string blob;
    ASSERT_EQ(signWith(*signer, data_, &blob), S_OK);
    LONG result = 0;
    EXPECT_EQ(verify(blob, data_, &result), S_OK) << signer->subjectUtf8();
    EXPECT_EQ(result, 1);
  }
}

TEST_F(Signatures, ABrokenChainMatchesButIsNotTrusted) {
  std::string blob;
  ASSERT_EQ(signWith(pki().brokenChain, data_, &blob), S_OK);
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), TRUST_E_CERT_SIGNATURE);
  EXPECT_EQ(result, 1);
  expectReported(u"The signature of the certificate cannot be verified.");
}

TEST_F(Signatures, AVerifierNeedsTheTrustAnchorButNotTheSignersCertificate) {
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob), S_OK);
  LONG result = 0;
  {
    testing::TempCertificateFolder elsewhere;  // trusts the root and knows the intermediate
    elsewhere.add(StoreName::Root, pki().root, false);
    elsewhere.add(StoreName::CA, pki().intermediate, false);
    EXPECT_EQ(verify(blob, data_, &result), S_OK);
  }
  {
    testing::TempCertificateFolder stranger;  // trusts nothing of ours
    EXPECT_EQ(verify(blob, data_, &result), TRUST_E_CERT_SIGNATURE);
    EXPECT_EQ(result, 1);
  }
}

TEST_F(Signatures, CommentsAreCutToTheirFirst8192Characters) {
  std::u16string comment(9000, u'c');
  for (size_t i = 0; i < comment.size(); i += 100) comment[i] = u'0' + (i / 100) % 10;
  std::string blob;
  ASSERT_EQ(signWith(pki().ecSigner, data_, &blob, &comment), S_OK);
  EXPECT_EQ(extract(blob).comment, comment.substr(0, 8192));
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), S_OK);
}

TEST_F(Signatures, TheNoteIsReadAsANumberASeparatorThatManyCharactersAndTheRest) {
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob), S_OK);
  struct Case {
    std::u16string stored, timestamp, comment;
  };
  const Case cases[] = {
      {u"3;abcdef", u"abc", u"def"},
      {u"3xabcdef", u"abc", u"def"},  // the separator is skipped whatever it is
      {u"0;only a comment", u"", u"only a comment"},
      {u"9;abc", u"abc", u""},  // a number larger than the text takes what there is
      {u"99999999999999999999;ab", u"ab", u""},
      {u"no number", u"", u"no number"},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    const Extracted info = extract(withNoteValue(blob, V_ASN1_OCTET_STRING, note(c.stored)));
    EXPECT_EQ(info.hr, S_OK);
    EXPECT_EQ(info.timestamp, c.timestamp) << text::utf16ToUtf8(c.stored);
    EXPECT_EQ(info.comment, c.comment) << text::utf16ToUtf8(c.stored);
  }
  // An odd byte and bytes after the terminator are not text.
  EXPECT_EQ(
      extract(withNoteValue(blob, V_ASN1_OCTET_STRING, std::string("2\0;\0a\0b\0c\0\0\0zz\0x", 17)))
          .comment,
      u"c");
}

TEST_F(Signatures, ALongTimeStampIsReadBackShortButStillVerifies) {
  const std::u16string timestamp(1500, u't');
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob, nullptr, &timestamp), S_OK);
  const Extracted info = extract(blob);
  EXPECT_EQ(info.timestamp, timestamp.substr(0, 1024));
  EXPECT_EQ(info.comment, u"");
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), S_OK);  // the stored note is what was signed
}

TEST_F(Signatures, ANoteThatIsNotAnOctetStringIsAnError) {
  const std::u16string comment = u"x";
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob, &comment), S_OK);
  const std::string bad = withNoteValue(blob, V_ASN1_UTF8STRING, "x");
  EXPECT_EQ(extract(bad).hr, CRYPT_E_ASN1_BADTAG);
  expectReported(u"ASN1 bad tag value met.");
  LONG result = -1;
  EXPECT_EQ(verify(bad, data_, &result), CRYPT_E_ASN1_BADTAG);
  EXPECT_EQ(result, 0);
}

TEST_F(Signatures, BlobsThatAreNoSignatureGiveTheirErrors) {
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob), S_OK);
  LONG result = -1;

  std::string noise(700, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131 + 17) % 251);
  EXPECT_EQ(verify(noise, data_, &result), CRYPT_E_ASN1_BADTAG);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(extract(noise).hr, CRYPT_E_ASN1_BADTAG);

  const std::string cut = blob.substr(0, blob.size() / 2);
  EXPECT_EQ(verify(cut, data_, &result), CRYPT_E_ASN1_EOD);
  EXPECT_EQ(extract(cut).hr, CRYPT_E_ASN1_EOD);
  expectReported(u"ASN1 unexpected end of data.");

  // A length field that claims 2 GB of content.
  const std::string lie("\x30\x84\x7f\xff\xff\xff\x06\x09", 8);
  EXPECT_EQ(verify(lie, data_, &result), CRYPT_E_ASN1_EOD);

  ossl::Pkcs7 plain(PKCS7_new());
  PKCS7_set_type(plain.get(), NID_pkcs7_data);
  EXPECT_EQ(verify(encode(plain.get()), data_, &result), CRYPT_E_INVALID_MSG_TYPE);

  std::string bytes = blob;
  EXPECT_EQ(signature_->VerifySignature(nullptr, 1, reinterpret_cast<BYTE*>(bytes.data()), &result),
            E_POINTER);
  MemoryData source(data_);
  EXPECT_EQ(signature_->VerifySignature(&source, 0, reinterpret_cast<BYTE*>(bytes.data()), &result),
            E_INVALIDARG);
  SIGNPARAMS params{};
  IVexaSystemTime* times[2] = {};
  EXPECT_EQ(signature_->ExtractSignatureInfo(0, reinterpret_cast<BYTE*>(bytes.data()), &params,
                                             &times[0], &times[1]),
            E_INVALIDARG);
  EXPECT_EQ(signature_->ExtractSignatureInfo(static_cast<LONG>(bytes.size()),
                                             reinterpret_cast<BYTE*>(bytes.data()), &params,
                                             nullptr, &times[1]),
            E_POINTER);
}

TEST_F(Signatures, SignersAreCountedAndTheFirstOneIsChecked) {
  std::string blob;
  ASSERT_EQ(signWith(pki().rsaSigner, data_, &blob), S_OK);

  ossl::Pkcs7 none = decode(blob);
  sk_PKCS7_SIGNER_INFO_pop_free(none->d.sign->signer_info, PKCS7_SIGNER_INFO_free);
  none->d.sign->signer_info = sk_PKCS7_SIGNER_INFO_new_null();
  const std::string unsigned_ = encode(none.get());
  LONG result = -1;
  EXPECT_EQ(verify(unsigned_, data_, &result), CRYPT_E_NO_SIGNER);
  const Extracted carried = extract(unsigned_);  // the certificate is still there to read
  EXPECT_EQ(carried.hr, S_OK);
  EXPECT_EQ(carried.subject, pki().rsaSigner.subject());

  // Two signers: the first is verified and named.
  ossl::Bio content(BIO_new_mem_buf(data_.data(), static_cast<int>(data_.size())));
  const int flags = PKCS7_DETACHED | PKCS7_BINARY | PKCS7_NOATTR | PKCS7_PARTIAL;
  ossl::Pkcs7 two(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, flags));
  ASSERT_TRUE(PKCS7_sign_add_signer(two.get(), pki().ecSigner.cert.get(), pki().ecSigner.key.get(),
                                    EVP_sha256(), flags));
  ASSERT_TRUE(PKCS7_sign_add_signer(two.get(), pki().rsaSigner.cert.get(),
                                    pki().rsaSigner.key.get(), EVP_sha256(), flags));
  ASSERT_EQ(PKCS7_final(two.get(), content.get(), flags), 1);
  const std::string twoSigners = encode(two.get());
  EXPECT_EQ(verify(twoSigners, data_, &result), S_OK);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(extract(twoSigners).subject, pki().ecSigner.subject());

  // Another certificate in front of the signer's does not change who signed.
  ossl::Pkcs7 reordered = decode(blob);
  X509_up_ref(pki().ecSigner.cert.get());
  sk_X509_insert(reordered->d.sign->cert, pki().ecSigner.cert.get(), 0);
  EXPECT_EQ(extract(encode(reordered.get())).subject, pki().rsaSigner.subject());
}

TEST_F(Signatures, AFailingEnumeratorAbandonsTheWholeCall) {
  const TestCertificate& signer = pki().ecSigner;
  std::string blob;
  MemoryData failing(data_);
  failing.failAt(1, E_FAIL, ERROR_READ_FAULT);
  EXPECT_EQ(signFrom(signer.subject(), signer.issuer(), signer.serial(), &failing, &blob),
            HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  expectReported(u"The system cannot read from the specified device.");

  // Without a last error the call's own result stands, and nothing is signed either.
  MemoryData silent(data_);
  silent.failAt(2, E_UNEXPECTED, ERROR_SUCCESS);
  EXPECT_EQ(signFrom(signer.subject(), signer.issuer(), signer.serial(), &silent, &blob),
            E_UNEXPECTED);

  ASSERT_EQ(signWith(signer, data_, &blob), S_OK);
  MemoryData failingVerify(data_);
  failingVerify.failAt(2, E_FAIL, ERROR_READ_FAULT);
  LONG result = -1;
  EXPECT_EQ(verifyFrom(blob, &failingVerify, &result), HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  EXPECT_EQ(result, 0);

  MemoryData withEmptyBlocks(data_, 3000);
  withEmptyBlocks.withEmptyBlocks();
  EXPECT_EQ(verifyFrom(blob, &withEmptyBlocks, &result), S_OK);
  EXPECT_EQ(result, 1);
}

TEST_F(Signatures, SigningChecksItsArgumentsAndTheCertificateFirst) {
  const TestCertificate& rsa = pki().rsaSigner;
  std::string blob;
  MemoryData untouched(data_);
  EXPECT_EQ(signFrom(rsa.subject(), u"Someone Else", rsa.serial(), &untouched, &blob),
            CRYPT_E_NOT_FOUND);
  expectReported(u"Cannot find object or property.");
  EXPECT_EQ(untouched.calls(), 0u);  // nothing is read for a certificate that is not there
  EXPECT_EQ(signWith(pki().noKey, data_, &blob), NTE_BAD_KEYSET);
  expectReported(u"Keyset does not exist");

  SIGNPARAMS params{};
  params.cbSize = kSignParamsSize - 1;
  LONG size = 0;
  BYTE* bytes = nullptr;
  EXPECT_EQ(signature_->ComputeSignature(&params, &untouched, &size, &bytes), E_INVALIDARG);
  params.cbSize = kSignParamsSize;
  EXPECT_EQ(signature_->ComputeSignature(&params, nullptr, &size, &bytes), E_POINTER);
  EXPECT_EQ(signature_->ComputeSignature(nullptr, &untouched, &size, &bytes), E_POINTER);
}

TEST_F(Signatures, AnIssuerAlgorithmWithoutADigestOfItsOwnSignsWithSha256) {
  testing::CertificateSpec rootSpec =
      testing::authoritySpec("Vexamor Test Edwards Root", nullptr, "3001");
  rootSpec.keyKind = testing::KeyKind::kEd25519;
  const TestCertificate edwardsRoot = testing::makeCertificate(rootSpec);
  testing::CertificateSpec leafSpec =
      testing::signerSpec("Vexamor Test Edwards Child", &edwardsRoot, "3002");
  leafSpec.keyKind = testing::KeyKind::kRsa2048;
  const TestCertificate child = testing::makeCertificate(leafSpec);
  certificates_.add(StoreName::Root, edwardsRoot, false);
  certificates_.add(StoreName::My, child, true);

  std::string blob;
  ASSERT_EQ(signWith(child, data_, &blob), S_OK);
  ossl::Pkcs7 p7 = decode(blob);
  EXPECT_EQ(OBJ_obj2nid(firstSigner(p7.get())->digest_alg->algorithm), NID_sha256);
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), S_OK);
}

TEST_F(Signatures, ALongNameIsCutAndItsEmailComesFromTheAlternativeNames) {
  std::string blob;
  ASSERT_EQ(signWith(pki().longName, data_, &blob), S_OK);
  const Extracted info = extract(blob);
  ASSERT_EQ(info.hr, S_OK);
  EXPECT_EQ(info.subject, std::u16string(63, u'L'));
  EXPECT_EQ(info.email, u"long.name@example.org");
  EXPECT_EQ(info.x500, u"C=US; O=Vexamor Test; CN=" + std::u16string(10000, u'L') +
                           u"; E=long.name@example.com");
  LONG result = 0;
  EXPECT_EQ(verify(blob, data_, &result), S_OK);
}

}  // namespace
}  // namespace vexamor::signcore
