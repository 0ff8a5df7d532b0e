// What a signature must be to count as valid, beyond matching its data: the note exactly as
// signing writes it, a digest that binds, and a signer's certificate that is meant for
// signing with a chain of acceptable strength. Forged blobs are built from genuine ones with
// OpenSSL's PKCS #7 API and shown to hold as signatures before they are refused.
#include <openssl/objects.h>
#include <openssl/pkcs7.h>

#include <random>

#include "platform/com/utf.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/note_text.h"
#include "signcore/crypto/signature_fixture.h"
#include "signcore/crypto/trust_chain.h"

namespace vexamor::signcore {
namespace {

using testing::CertificateSpec;
using testing::MemoryData;
using testing::TestCertificate;

PKCS7_SIGNER_INFO* firstSigner(PKCS7* p7) {
  return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
}

std::string noteOf(const std::string& blob) {
  ossl::Pkcs7 p7 = testing::decodePkcs7(blob);
  PKCS7_SIGNER_INFO* si = firstSigner(p7.get());
  if (sk_X509_ATTRIBUTE_num(si->unauth_attr) <= 0) return "";
  const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(sk_X509_ATTRIBUTE_value(si->unauth_attr, 0), 0);
  return std::string(reinterpret_cast<const char*>(value->value.octet_string->data),
                     static_cast<size_t>(value->value.octet_string->length));
}

// An unauthenticated attribute: identifier and OCTET STRING values.
struct Attribute {
  int nid;
  std::vector<std::string> values;
};

// The blob with its signer's unauthenticated attributes replaced; the signature untouched.
std::string withAttributes(const std::string& blob, const std::vector<Attribute>& attributes) {
  ossl::Pkcs7 p7 = testing::decodePkcs7(blob);
  PKCS7_SIGNER_INFO* si = firstSigner(p7.get());
  sk_X509_ATTRIBUTE_pop_free(si->unauth_attr, X509_ATTRIBUTE_free);
  si->unauth_attr = sk_X509_ATTRIBUTE_new_null();
  for (const Attribute& a : attributes) {
    X509_ATTRIBUTE* attribute = X509_ATTRIBUTE_new();
    X509_ATTRIBUTE_set1_object(attribute, OBJ_nid2obj(a.nid));
    for (const std::string& v : a.values) {
      X509_ATTRIBUTE_set1_data(attribute, V_ASN1_OCTET_STRING,
                               reinterpret_cast<const unsigned char*>(v.data()),
                               static_cast<int>(v.size()));
    }
    sk_X509_ATTRIBUTE_push(si->unauth_attr, attribute);
  }
  return testing::encodePkcs7(p7.get());
}

std::string withNote(const std::string& blob, const std::string& note) {
  if (note.empty()) return withAttributes(blob, {});
  return withAttributes(blob, {{NID_subject_key_identifier, {note}}});
}

using testing::opensslSignature;

// Whether the blob is a valid signature of `content` followed by its stored note as it
// stands: the check that a verifier trusting the stored note makes.
bool holdsOverStoredNote(const std::string& blob, const std::string& content) {
  ossl::Pkcs7 p7 = testing::decodePkcs7(blob);
  const std::string data = content + noteOf(blob);
  ossl::Bio in(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
  const int ok = PKCS7_verify(p7.get(), nullptr, nullptr, in.get(), nullptr,
                              PKCS7_NOVERIFY | PKCS7_BINARY | PKCS7_NOCHAIN);
  ERR_clear_error();
  return ok == 1;
}

std::string randomBytes(std::mt19937& random, size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class SigningRules : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    certificates_.installStandardSet();
  }

  std::pair<LONG, LONG> checkCertificate(const TestCertificate& cert) {
    LONG result = -1;
    LONG status = -1;
    EXPECT_EQ(signature_->VerifyCertificate(com::Bstr(cert.subject()).get(),
                                            com::Bstr(cert.issuer()).get(),
                                            com::Bstr(cert.serial()).get(), &result, &status),
              S_OK);
    return {result, status};
  }
};

TEST_F(SigningRules, RandomCutsWithTheTailMovedIntoTheNoteNeverVerify) {
  std::mt19937 random(20240506);
  const std::string data = randomBytes(random, 6000);
  const std::u16string comment = u"Issued for permit";
  const std::u16string timestamp = u"5/6/2024/7/8/9/time.example.com";
  std::string withBoth, bare;
  ASSERT_EQ(signWith(pki().rsaSigner, data, &withBoth, &comment, &timestamp), S_OK);
  ASSERT_EQ(signWith(pki().ecSigner, data, &bare), S_OK);

  int forged = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string& blob = round % 2 == 0 ? withBoth : bare;
    const size_t cut = random() % data.size();
    const std::string forgedBlob = withNote(blob, data.substr(cut) + noteOf(blob));
    const std::string shortened = data.substr(0, cut);
    ASSERT_TRUE(holdsOverStoredNote(forgedBlob, shortened)) << "cut at " << cut;
    LONG result = -1;
    EXPECT_NE(verify(forgedBlob, shortened, &result), S_OK) << "cut at " << cut;
    EXPECT_EQ(result, 0);
    ++forged;
  }
  EXPECT_EQ(forged, 300);
  LONG result = 0;
  EXPECT_EQ(verify(withBoth, data, &result), S_OK);
  EXPECT_EQ(verify(bare, data, &result), S_OK);
}

TEST_F(SigningRules, OnlyTheNoteThatSigningWritesIsHashed) {
  const std::string data = "drawing data";
  // Each stored note reads as parts whose note would be written otherwise; each is signed
  // as it stands, so the signature holds and only the rule refuses it.
  const std::string stored[] = {
      testing::storedNote(u"07;abcdefgcomment"),  // a leading zero
      testing::storedNote(u"3xabccomment"),       // another separator
      testing::storedNote(u"comment without a number"),
      testing::storedNote(u"0;"),                           // nothing to note
      testing::storedNote(u"5;abc"),                        // a number past the end
      testing::storedNote(u"2;ab") + std::string("zz", 2),  // bytes after the terminator
      std::string("2\0;\0a\0b", 8),                         // no terminator
      std::string("1\0;\0a\0b\0\0", 9),                     // an odd byte
      testing::storedNote(u"1;a" + std::u16string(kCommentLimit + 1, u'c')),  // too long
  };
  for (const std::string& note : stored) {
    const std::string blob = withNote(opensslSignature(pki().rsaSigner, data + note), note);
    ASSERT_TRUE(holdsOverStoredNote(blob, data));
    LONG result = -1;
    EXPECT_EQ(verify(blob, data, &result), NTE_BAD_SIGNATURE) << text::utf8ToUtf16(note).size();
    EXPECT_EQ(result, 0);
  }
  // The note that signing writes, made the same way, verifies: so do peers' notes, however
  // long their time stamp.
  for (const std::u16string& text :
       {std::u16string(u"3;abccomment"), u"1500;" + std::u16string(1500, u't')}) {
    const std::string note = testing::storedNote(text);
    const std::string blob = withNote(opensslSignature(pki().rsaSigner, data + note), note);
    LONG result = -1;
    EXPECT_EQ(verify(blob, data, &result), S_OK);
    EXPECT_EQ(result, 1);
  }
}

TEST_F(SigningRules, TheNoteIsTheOneAttributeWithItsIdentifierAndOneValue) {
  const std::string data = "drawing data";
  const std::string note = testing::storedNote(u"0;Approved");
  const std::string signedWithNote = opensslSignature(pki().rsaSigner, data + note);
  const std::string signedBare = opensslSignature(pki().rsaSigner, data);
  LONG result = -1;

  // Under another identifier, the "note" is no note: reading the signature back shows none,
  // and verification refuses an attribute that is neither the note nor a time stamp, whether
  // or not its bytes are what was signed.
  const std::string elsewhere = withAttributes(signedBare, {{NID_pkcs9_unstructuredName, {note}}});
  EXPECT_EQ(extract(elsewhere).comment, u"");
  EXPECT_EQ(verify(elsewhere, data, &result), NTE_BAD_SIGNATURE);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(
      verify(withAttributes(signedWithNote, {{NID_pkcs9_unstructuredName, {note}}}), data, &result),
      NTE_BAD_SIGNATURE);

  // Two notes, or a note of two values: none is taken.
  for (const auto& attributes : std::vector<std::vector<Attribute>>{
           {{NID_subject_key_identifier, {note}}, {NID_subject_key_identifier, {note + "x"}}},
           {{NID_subject_key_identifier, {note, note + "x"}}},
       }) {
    const std::string blob = withAttributes(signedWithNote, attributes);
    EXPECT_EQ(verify(blob, data, &result), CRYPT_E_ASN1_BADTAG);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(extract(blob).hr, CRYPT_E_ASN1_BADTAG);
  }
  // Another attribute beside the note, wherever the set's order puts it, is refused with the
  // reason; the note still reads back.
  for (const std::string& other : {std::string("t"), std::string(3000, 't')}) {
    const std::string followed = withAttributes(
        signedWithNote,
        {{NID_subject_key_identifier, {note}}, {NID_pkcs9_unstructuredName, {other}}});
    EXPECT_EQ(verify(followed, data, &result), NTE_BAD_SIGNATURE);
    const auto report = lastError();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->description,
              u"Invalid Signature. The signature carries an unsigned attribute other than its "
              u"note and time stamp (1.2.840.113549.1.9.2).");
    EXPECT_EQ(extract(followed).comment, u"Approved");
  }
}

TEST_F(SigningRules, WeakDigestsAreRefusedAndWeakCertificatesNeverSignWithThem) {
  const std::string data = "drawing data";
  LONG result = -1;
  const std::string md5 = opensslSignature(pki().rsaSigner, data, EVP_md5());
  ASSERT_TRUE(holdsOverStoredNote(md5, data));
  EXPECT_EQ(verify(md5, data, &result), NTE_BAD_ALGID);
  EXPECT_EQ(result, 0);
  const auto report = lastError();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->description,
            u"Invalid algorithm specified. The signature was made with the MD5 message digest, "
            u"for which other content with the same digest can be made.");

  // The digest given as md5WithRSAEncryption rather than md5 is the same digest.
  ossl::Pkcs7 p7 = testing::decodePkcs7(md5);
  X509_ALGOR_set0(firstSigner(p7.get())->digest_alg, OBJ_nid2obj(NID_md5WithRSAEncryption),
                  V_ASN1_NULL, nullptr);
  EXPECT_EQ(verify(testing::encodePkcs7(p7.get()), data, &result), NTE_BAD_ALGID);

  // A certificate that its authority signed with MD5 signs with SHA-256 itself.
  CertificateSpec certSpec = testing::signerSpec("Vexamor Test MD5 Signed", &pki().root, "5001");
  certSpec.digest = EVP_md5();
  const TestCertificate md5Signed = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::My, md5Signed, true);
  std::string blob;
  ASSERT_EQ(signWith(md5Signed, data, &blob), S_OK);
  ossl::Pkcs7 made = testing::decodePkcs7(blob);
  EXPECT_EQ(OBJ_obj2nid(firstSigner(made.get())->digest_alg->algorithm), NID_sha256);
  // ... and its weak chain is not trusted.
  EXPECT_EQ(verify(blob, data, &result), TRUST_E_CERT_SIGNATURE);
}

TEST_F(SigningRules, ChainsSignedWithSha1AreAcceptedButMd5AndShortKeysAreWeak) {
  CertificateSpec certSpec =
      testing::authoritySpec("Vexamor Test SHA-1 Intermediate", &pki().root, "5101");
  certSpec.digest = EVP_sha1();
  const TestCertificate sha1Ca = testing::makeCertificate(certSpec);
  certSpec = testing::signerSpec("Vexamor Test SHA-1 Signer", &sha1Ca, "5102");
  certSpec.keyKind = testing::KeyKind::kRsa2048;
  certSpec.digest = EVP_sha1();
  const TestCertificate sha1Signer = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::CA, sha1Ca, false);
  certificates_.add(StoreName::My, sha1Signer, true);

  EXPECT_EQ(checkCertificate(sha1Signer), std::make_pair(LONG{1}, CERT_TRUST_NO_ERROR));
  bool sha1 = false;
  ossl::X509Stack candidates = chainCandidates(certificates_.folder(), nullptr);
  EXPECT_EQ(
      chainTrustStatus(sha1Signer.cert.get(), candidates.get(), certificates_.folder(), &sha1),
      CERT_TRUST_NO_ERROR);
  EXPECT_TRUE(sha1);
  chainTrustStatus(pki().rsaSigner.cert.get(), candidates.get(), certificates_.folder(), &sha1);
  EXPECT_FALSE(sha1);

  // Files that peers signed with such a certificate verify; so does one signed here.
  const std::string data = "drawing data";
  LONG result = -1;
  EXPECT_EQ(verify(opensslSignature(sha1Signer, data, EVP_sha1()), data, &result), S_OK);
  std::string blob;
  ASSERT_EQ(signWith(sha1Signer, data, &blob), S_OK);
  EXPECT_EQ(verify(blob, data, &result), S_OK);
  EXPECT_EQ(result, 1);

  certSpec = testing::signerSpec("Vexamor Test Short Key", &pki().intermediate, "5103");
  certSpec.keyKind = testing::KeyKind::kRsa512;
  const TestCertificate shortKey = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::My, shortKey, true);
  EXPECT_EQ(checkCertificate(shortKey), std::make_pair(LONG{0}, CERT_TRUST_HAS_WEAK_SIGNATURE));
  certSpec = testing::signerSpec("Vexamor Test MD5 Chain", &pki().root, "5104");
  certSpec.digest = EVP_md5();
  const TestCertificate md5Chain = testing::makeCertificate(certSpec);
  certificates_.add(StoreName::My, md5Chain, true);
  EXPECT_EQ(checkCertificate(md5Chain), std::make_pair(LONG{0}, CERT_TRUST_HAS_WEAK_SIGNATURE));
}

TEST_F(SigningRules, OnlyCertificatesMeantForSigningAreValid) {
  struct Case {
    const char* name;
    std::string keyUsage, extendedKeyUsage;
    LONG status;
  };
  const Case cases[] = {
      {"tls server", "critical,digitalSignature,keyEncipherment", "serverAuth,clientAuth",
       CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
      {"key encipherment", "critical,keyEncipherment", "", CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
      {"time stamping", "", "timeStamping", CERT_TRUST_IS_NOT_VALID_FOR_USAGE},
      {"no extensions", "", "", CERT_TRUST_NO_ERROR},
      {"non-repudiation", "nonRepudiation", "", CERT_TRUST_NO_ERROR},
      {"e-mail", "digitalSignature", "emailProtection", CERT_TRUST_NO_ERROR},
      {"code signing", "", "codeSigning", CERT_TRUST_NO_ERROR},
      {"document signing", "", "1.3.6.1.5.5.7.3.36", CERT_TRUST_NO_ERROR},
      {"platform document signing", "", "serverAuth,1.3.6.1.4.1.311.10.3.12", CERT_TRUST_NO_ERROR},
      {"any usage", "", "anyExtendedKeyUsage", CERT_TRUST_NO_ERROR},
  };
  int serial = 0x5200;
  for (const Case& c : cases) {
    CertificateSpec certSpec = testing::signerSpec(std::string("Vexamor Test Usage ") + c.name,
                                                   &pki().intermediate, std::to_string(++serial));
    certSpec.keyUsage = c.keyUsage;
    certSpec.extendedKeyUsage = c.extendedKeyUsage;
    const TestCertificate cert = testing::makeCertificate(certSpec);
    certificates_.add(StoreName::My, cert, true);
    EXPECT_EQ(checkCertificate(cert), std::make_pair(LONG{c.status == 0 ? 1 : 0}, c.status))
        << c.name;
    const std::string data = "drawing data";
    LONG result = -1;
    EXPECT_EQ(verify(opensslSignature(cert, data), data, &result),
              c.status == 0 ? S_OK : TRUST_E_CERT_SIGNATURE)
        << c.name;
  }
}

}  // namespace
}  // namespace vexamor::signcore
