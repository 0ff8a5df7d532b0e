// Time-stamp tokens from a time-stamping authority that the test runs on the loopback address
// (`openssl ts -reply`), checked by our code and by the openssl command; forged tokens built
// from genuine ones; tokens kept in a signature blob after its note.
#include "signcore/crypto/timestamp_token.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <ctime>
#include <functional>

#include "signcore/crypto/crypt_codes.h"
#include "signcore/crypto/signed_data.h"
#include "signcore/crypto/testing/openssl_authorities.h"
#include "signcore/crypto/testing/run_command.h"
#include "signcore/crypto/testing/signed_token.h"
#include "signcore/crypto/trust_chain.h"

namespace vexamor::signcore {
namespace {

using testing::CertificateSpec;
using testing::LocalTrustServices;
using testing::OpensslTsa;
using testing::ScratchFolder;
using testing::TestCertificate;
using testing::TestPki;
using Behaviour = testing::LoopbackHttpServer::Behaviour;

const std::string kSignatureValue = "the signature value that a token is requested over";

std::string tstInfoDer(TS_TST_INFO* tst) {
  unsigned char* out = nullptr;
  const int n = i2d_TS_TST_INFO(tst, &out);
  std::string bytes(reinterpret_cast<char*>(out), static_cast<size_t>(n > 0 ? n : 0));
  OPENSSL_free(out);
  return bytes;
}

// A token made here, not by the authority: the TSTInfo of a genuine token, changed by
// `change`, signed with `signer`'s key, its signing-certificate attribute naming `named`, and
// carrying `signer` and the test intermediate.
std::string forgeToken(const std::string& genuine, const TestCertificate& signer,
                       const TestCertificate& named,
                       const std::function<void(TS_TST_INFO*)>& change = {}) {
  ossl::Pkcs7 original = testing::decodePkcs7(genuine);
  ossl::Ptr<TS_TST_INFO, TS_TST_INFO_free> tst(PKCS7_to_TS_TST_INFO(original.get()));
  if (!tst) return {};
  // A forger names the certificate that signs, as a genuine authority does.
  GENERAL_NAME* name = GENERAL_NAME_new();
  name->type = GEN_DIRNAME;
  name->d.directoryName = X509_NAME_dup(X509_get_subject_name(signer.cert.get()));
  TS_TST_INFO_set_tsa(tst.get(), name);
  GENERAL_NAME_free(name);
  if (change) change(tst.get());
  return testing::signTimestampContent(tstInfoDer(tst.get()), signer, named,
                                       {&TestPki::get().intermediate});
}

class Timestamps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(services_.server.listening());
    anchors_.reset(X509_STORE_new());
    X509_STORE_add_cert(anchors_.get(), TestPki::get().root.cert.get());
    order_.urls = {services_.server.url("/tsa")};
    order_.limits.timeoutMs = 5000;
  }

  // A genuine token over kSignatureValue from the local authority.
  std::string genuineToken() {
    const TimestampOutcome outcome = requestTimestamp(kSignatureValue, order_, anchors_.get());
    EXPECT_EQ(outcome.hr, S_OK) << (outcome.failures.empty() ? "" : outcome.failures[0]);
    return outcome.token;
  }

  TimestampCheck verify(const std::string& token, const std::string& data = kSignatureValue) {
    return verifyTimestampToken(token, data, anchors_.get(), nullptr);
  }

  LocalTrustServices services_;
  ossl::X509Store anchors_;
  TimestampOrder order_;
};

TEST_F(Timestamps, ATokenFromTheAuthorityVerifiesHereAndWithOpenssl) {
  const int64_t before = std::time(nullptr);
  const TimestampOutcome outcome = requestTimestamp(kSignatureValue, order_, anchors_.get());
  const int64_t after = std::time(nullptr);
  ASSERT_EQ(outcome.hr, S_OK) << (outcome.failures.empty() ? "" : outcome.failures[0]);
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_GE(outcome.info.time, before - 1);
  EXPECT_LE(outcome.info.time, after + 1);
  EXPECT_EQ(outcome.info.policy, OpensslTsa::kDefaultPolicy);
  EXPECT_EQ(outcome.info.tsaName, "C=US; O=Vexamor Test; CN=Vexamor Test Time Stamping");
  EXPECT_EQ(outcome.info.signerName, "Vexamor Test Time Stamping");
  EXPECT_FALSE(outcome.info.serial.empty());

  const TimestampCheck check = verify(outcome.token);
  EXPECT_EQ(check.hr, S_OK) << check.problem;
  EXPECT_EQ(check.info.time, outcome.info.time);
  EXPECT_EQ(check.info.serial, outcome.info.serial);
  EXPECT_EQ(check.trustStatus, CERT_TRUST_NO_ERROR);
  ASSERT_NE(check.signer, nullptr);
  EXPECT_EQ(X509_cmp(check.signer.get(), TestPki::get().tsa.cert.get()), 0);

  const std::string root = TestPki::get().root.certificatePem();
  const testing::CommandOutcome accepted =
      testing::opensslVerifyToken(outcome.token, kSignatureValue, root);
  EXPECT_EQ(accepted.status, 0) << accepted.out;
  EXPECT_NE(accepted.out.find("Verification: OK"), std::string::npos) << accepted.out;
  EXPECT_NE(testing::opensslVerifyToken(outcome.token, kSignatureValue + ".", root).status, 0);
}

TEST_F(Timestamps, APolicyIsAskedForAndChecked) {
  order_.policy = OpensslTsa::kOtherPolicy;
  const TimestampOutcome other = requestTimestamp(kSignatureValue, order_, anchors_.get());
  ASSERT_EQ(other.hr, S_OK) << (other.failures.empty() ? "" : other.failures[0]);
  EXPECT_EQ(other.info.policy, OpensslTsa::kOtherPolicy);

  order_.policy = "1.3.6.1.4.1.99999.77";  // the authority does not serve it
  const TimestampOutcome refused = requestTimestamp(kSignatureValue, order_, anchors_.get());
  EXPECT_EQ(refused.hr, TRUST_E_TIME_STAMP);
  ASSERT_EQ(refused.failures.size(), 1u);
  EXPECT_EQ(refused.failures[0], order_.urls[0] + ": the authority refused the request (status 2)");

  order_.policy = "policy one";
  EXPECT_EQ(requestTimestamp(kSignatureValue, order_, anchors_.get()).hr, E_INVALIDARG);
  EXPECT_EQ(services_.server.requests("/tsa"), 2);
}

TEST_F(Timestamps, ATokenOverOtherBytesIsRefused) {
  const std::string token = genuineToken();
  for (const std::string& other :
       {kSignatureValue + ".", std::string(), kSignatureValue.substr(1)}) {
    const TimestampCheck check = verify(token, other);
    EXPECT_EQ(check.hr, TRUST_E_TIME_STAMP);
    EXPECT_EQ(check.problem, "the token is over other data");
  }
  EXPECT_EQ(verify("not a token").problem, "not a time-stamp token");
  EXPECT_EQ(verify(token.substr(0, token.size() - 1)).problem, "not a time-stamp token");
}

// Each forgery starts from a genuine token and changes one thing that a forger would.
TEST_F(Timestamps, ForgedTokensAreRefused) {
  const std::string genuine = genuineToken();
  const TestPki& pki = TestPki::get();

  // Made again by the authority's own key, the forger's build is accepted: the forgeries
  // below fail for what they change, not for how they are made.
  const std::string remade = forgeToken(genuine, pki.tsa, pki.tsa);
  ASSERT_FALSE(remade.empty());
  EXPECT_EQ(verify(remade).hr, S_OK) << verify(remade).problem;

  // The content changed after signing: one digit of the time.
  // The first GeneralizedTime of the token is the TSTInfo's, ahead of its certificates.
  std::string altered = genuine;
  const size_t time = altered.find(std::string("\x18\x0f", 2));
  ASSERT_NE(time, std::string::npos);
  char& digit = altered[time + 2 + 3];  // the last digit of the year
  digit = digit == '9' ? '0' : static_cast<char>(digit + 1);
  EXPECT_EQ(verify(altered).problem, "the token's signature does not verify");

  // Signed by a certificate that chains to the root but is not for time stamping.
  const TimestampCheck usage = verify(forgeToken(genuine, pki.rsaSigner, pki.rsaSigner));
  EXPECT_EQ(usage.hr, TRUST_E_TIME_STAMP);
  EXPECT_NE(usage.trustStatus & CERT_TRUST_IS_NOT_VALID_FOR_USAGE, 0) << usage.problem;

  // Signed by a time-stamping certificate of its own making.
  CertificateSpec selfMade = testing::signerSpec("Vexamor Test Time Stamping", nullptr, "1006");
  selfMade.extendedKeyUsage = "critical,timeStamping";
  const TestCertificate impostor = testing::makeCertificate(selfMade);
  const TimestampCheck untrusted = verify(forgeToken(genuine, impostor, impostor));
  EXPECT_EQ(untrusted.hr, TRUST_E_TIME_STAMP);
  EXPECT_NE(untrusted.trustStatus & CERT_TRUST_IS_UNTRUSTED_ROOT, 0) << untrusted.problem;

  // The authority's key, but the signing-certificate attribute names another certificate.
  EXPECT_EQ(verify(forgeToken(genuine, pki.tsa, pki.rsaSigner)).problem,
            "the token's signing-certificate attribute does not name its signer");

  // The authority's key over a TSTInfo that names another authority.
  const std::string renamed = forgeToken(genuine, pki.tsa, pki.tsa, [&](TS_TST_INFO* tst) {
    GENERAL_NAME* name = GENERAL_NAME_new();
    name->type = GEN_DIRNAME;
    name->d.directoryName = X509_NAME_dup(X509_get_subject_name(pki.rsaSigner.cert.get()));
    TS_TST_INFO_set_tsa(tst, name);
    GENERAL_NAME_free(name);
  });
  EXPECT_EQ(verify(renamed).problem,
            "the token names another authority than the one that signed it");

  // The authority's key over an imprint made with SHA-1.
  const std::string sha1 = forgeToken(genuine, pki.tsa, pki.tsa, [](TS_TST_INFO* tst) {
    unsigned char md[20];
    SHA1(reinterpret_cast<const unsigned char*>(kSignatureValue.data()), kSignatureValue.size(),
         md);
    TS_MSG_IMPRINT* imprint = TS_TST_INFO_get_msg_imprint(tst);
    X509_ALGOR* algorithm = X509_ALGOR_new();
    X509_ALGOR_set0(algorithm, OBJ_nid2obj(NID_sha1), V_ASN1_NULL, nullptr);
    TS_MSG_IMPRINT_set_algo(imprint, algorithm);
    X509_ALGOR_free(algorithm);
    TS_MSG_IMPRINT_set_msg(imprint, md, sizeof md);
  });
  EXPECT_EQ(verify(sha1).problem,
            "the token's imprint is made with a hash that is not accepted (1.3.14.3.2.26)");

  // A time-stamping certificate is trusted only within its validity, at the token's time.
  CertificateSpec future =
      testing::signerSpec("Vexamor Test Future TSA", &pki.intermediate, "1007");
  future.extendedKeyUsage = "critical,timeStamping";
  future.notBefore = "20900101000000Z";
  const TestCertificate early = testing::makeCertificate(future);
  const TimestampCheck notYet = verify(forgeToken(genuine, early, early));
  EXPECT_NE(notYet.trustStatus & CERT_TRUST_IS_NOT_TIME_VALID, 0) << notYet.problem;
  EXPECT_EQ(notYet.hr, TRUST_E_TIME_STAMP);
}

// Answers that do not answer this request are refused, however genuine.
TEST_F(Timestamps, AnswersAreMatchedToTheirRequest) {
  TimestampRequest first;
  TimestampRequest second;
  ASSERT_EQ(first.build(kSignatureValue, ""), S_OK);
  ASSERT_EQ(second.build(kSignatureValue, ""), S_OK);
  EXPECT_NE(first.der(), second.der());  // the nonces differ
  const HttpResponse answer = httpPost(services_.server.url("/tsa"), "application/timestamp-query",
                                       first.der(), order_.limits);
  ASSERT_TRUE(answer.ok()) << answer.problem;

  std::string token;
  EXPECT_TRUE(first.check(answer.body, anchors_.get(), &token).ok());
  EXPECT_FALSE(token.empty());
  std::string replayed;
  EXPECT_EQ(second.check(answer.body, anchors_.get(), &replayed).problem,
            "the token answers another request (its nonce differs)");
  EXPECT_TRUE(replayed.empty());

  TimestampRequest otherData;
  ASSERT_EQ(otherData.build(kSignatureValue + ".", ""), S_OK);
  EXPECT_FALSE(otherData.check(answer.body, anchors_.get(), &replayed).ok());
  EXPECT_EQ(first.check("garbage", anchors_.get(), &replayed).problem,
            "the answer is not a time-stamp response");

  // Without the root among the anchors, the authority is not trusted.
  ossl::X509Store none(X509_STORE_new());
  const TimestampCheck untrusted = first.check(answer.body, none.get(), &replayed);
  EXPECT_EQ(untrusted.hr, TRUST_E_TIME_STAMP);
  EXPECT_NE(untrusted.trustStatus, CERT_TRUST_NO_ERROR);
}

TEST_F(Timestamps, ASlowAuthorityIsAbandonedForTheNext) {
  services_.server.setBehaviour("/slow", Behaviour::kNeverAnswer);
  services_.server.setBehaviour("/down", Behaviour::kHangUp);
  services_.server.handle("/garbage", [](const auto&) {
    return testing::LoopbackHttpServer::Reply{200, "application/timestamp-reply", "garbage"};
  });
  order_.urls = {services_.server.url("/slow"), services_.server.url("/down"),
                 services_.server.url("/garbage"), services_.server.url("/tsa")};
  order_.limits.timeoutMs = 400;
  const auto start = std::chrono::steady_clock::now();
  const TimestampOutcome outcome = requestTimestamp(kSignatureValue, order_, anchors_.get());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  ASSERT_EQ(outcome.hr, S_OK);
  EXPECT_LT(ms, 10000);
  ASSERT_EQ(outcome.failures.size(), 3u);
  EXPECT_EQ(outcome.failures[0], order_.urls[0] + ": timed out after 400 ms");
  EXPECT_EQ(outcome.failures[2], order_.urls[2] + ": the answer is not a time-stamp response");
  EXPECT_EQ(services_.server.requests("/slow"), 1);
  EXPECT_EQ(services_.server.requests("/tsa"), 1);
  EXPECT_TRUE(verify(outcome.token).ok());

  order_.urls.pop_back();
  const TimestampOutcome none = requestTimestamp(kSignatureValue, order_, anchors_.get());
  EXPECT_EQ(none.hr, TRUST_E_TIME_STAMP);  // the last one's
  EXPECT_TRUE(none.token.empty());
  order_.urls = {order_.urls[0]};
  EXPECT_EQ(requestTimestamp(kSignatureValue, order_, anchors_.get()).hr,
            HRESULT_FROM_WIN32(ERROR_TIMEOUT));
}

// ----- The token in the signature blob -----

class TokenInBlob : public Timestamps {
 protected:
  // A blob as VexaSignature makes it, over kContent and the note.
  std::string blob(const std::u16string& comment) {
    const TestCertificate& signer = TestPki::get().rsaSigner;
    SignatureWriter writer;
    note_ =
        comment.empty() ? std::string() : noteBytes(makeNote(u"12/8/2026/10/15/2/local", comment));
    std::string der;
    EXPECT_EQ(writer.begin(signer.cert.get(), signer.key.get()), S_OK);
    EXPECT_EQ(writer.update(reinterpret_cast<const BYTE*>(kContent.data()), kContent.size()), S_OK);
    EXPECT_EQ(writer.finish(note_, &der), S_OK);
    return der;
  }

  static PKCS7_SIGNER_INFO* signerOf(const ossl::Pkcs7& p7) {
    return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7.get()), 0);
  }

  // The blob still verifies over the content, note last, as before the token was added.
  void expectVerifies(const std::string& der) {
    SignatureBlob parsed;
    ASSERT_EQ(parsed.parse(reinterpret_cast<const BYTE*>(der.data()), der.size()), S_OK);
    std::optional<std::string> note;
    EXPECT_EQ(parsed.note(&note), S_OK);
    EXPECT_EQ(note.value_or(""), note_);
    ASSERT_EQ(parsed.beginVerify(), S_OK);
    ASSERT_EQ(parsed.update(reinterpret_cast<const BYTE*>(kContent.data()), kContent.size()), S_OK);
    EXPECT_EQ(parsed.finishVerify(), S_OK);
  }

  const std::string kContent = "the bytes of a signed drawing";
  std::string note_;
};

TEST_F(TokenInBlob, TheTokenFollowsTheNoteWhateverTheirLengths) {
  // A short note sorts before the token in DER; a note longer than the token would sort after
  // it, and must stay first all the same.
  for (const std::u16string& comment : {std::u16string(u"short"), std::u16string(6000, u'c')}) {
    const std::string signedBlob = blob(comment);
    ossl::Pkcs7 before = testing::decodePkcs7(signedBlob);
    const std::string value = signatureValue(signerOf(before));
    const TimestampOutcome outcome = requestTimestamp(value, order_, anchors_.get());
    ASSERT_EQ(outcome.hr, S_OK);

    std::string stamped;
    ASSERT_EQ(addTimestampToken(signedBlob, outcome.token, &stamped), S_OK);
    ossl::Pkcs7 after = testing::decodePkcs7(stamped);
    ASSERT_NE(after, nullptr);
    PKCS7_SIGNER_INFO* si = signerOf(after);
    STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_attributes(si);
    ASSERT_EQ(sk_X509_ATTRIBUTE_num(attributes), 2);
    EXPECT_EQ(OBJ_obj2nid(X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, 0))),
              NID_subject_key_identifier);
    EXPECT_EQ(OBJ_obj2nid(X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(attributes, 1))),
              NID_id_smime_aa_timeStampToken);
    EXPECT_EQ(signatureValue(si), value);
    expectVerifies(stamped);

    std::optional<std::string> token;
    ASSERT_EQ(storedTimestampToken(si, &token), S_OK);
    ASSERT_TRUE(token.has_value());
    EXPECT_EQ(*token, outcome.token);
    EXPECT_TRUE(verify(*token, signatureValue(si)).ok());

    std::string twice;
    EXPECT_EQ(addTimestampToken(stamped, outcome.token, &twice), E_INVALIDARG);
  }
}

// Another reader of the blob, the openssl command, still verifies it with the token inside.
TEST_F(TokenInBlob, OpensslStillVerifiesTheStampedBlob) {
  const std::string signedBlob = blob(std::u16string(3000, u'n'));
  ossl::Pkcs7 p7 = testing::decodePkcs7(signedBlob);
  const TimestampOutcome outcome =
      requestTimestamp(signatureValue(signerOf(p7)), order_, anchors_.get());
  ASSERT_EQ(outcome.hr, S_OK);
  std::string stamped;
  ASSERT_EQ(addTimestampToken(signedBlob, outcome.token, &stamped), S_OK);

  const testing::CommandOutcome verified = testing::opensslVerifySignature(
      stamped, kContent + note_,
      TestPki::get().root.certificatePem() + TestPki::get().intermediate.certificatePem());
  EXPECT_EQ(verified.status, 0) << verified.out;
}

TEST_F(TokenInBlob, StoredTokensMustBeOneAndWellFormed) {
  std::string stamped;
  EXPECT_EQ(addTimestampToken("not a blob", genuineToken(), &stamped), CRYPT_E_ASN1_BADTAG);
  EXPECT_EQ(addTimestampToken(blob(u"c"), "not a token", &stamped), E_INVALIDARG);
  // Without a note the token would be the first attribute, where peers read the note.
  EXPECT_EQ(addTimestampToken(blob(u""), genuineToken(), &stamped), E_INVALIDARG);

  ASSERT_EQ(addTimestampToken(blob(u"c"), genuineToken(), &stamped), S_OK);
  ossl::Pkcs7 p7 = testing::decodePkcs7(stamped);
  PKCS7_SIGNER_INFO* si = signerOf(p7);
  std::optional<std::string> token;
  ASSERT_EQ(storedTimestampToken(si, &token), S_OK);

  // A second token attribute: which one counts would be the forger's choice.
  X509_ATTRIBUTE* again = X509_ATTRIBUTE_dup(sk_X509_ATTRIBUTE_value(si->unauth_attr, 1));
  ASSERT_GT(sk_X509_ATTRIBUTE_push(si->unauth_attr, again), 0);
  EXPECT_EQ(storedTimestampToken(si, &token), CRYPT_E_ASN1_BADTAG);

  // A token attribute whose value is not a SEQUENCE.
  ossl::Pkcs7 other = testing::decodePkcs7(blob(u"c"));
  ASN1_OCTET_STRING* octets = ASN1_OCTET_STRING_new();
  ASN1_OCTET_STRING_set(octets, reinterpret_cast<const unsigned char*>("x"), 1);
  PKCS7_add_attribute(signerOf(other), NID_id_smime_aa_timeStampToken, V_ASN1_OCTET_STRING, octets);
  EXPECT_EQ(storedTimestampToken(signerOf(other), &token), CRYPT_E_ASN1_BADTAG);

  ossl::Pkcs7 plain = testing::decodePkcs7(blob(u"c"));
  EXPECT_EQ(storedTimestampToken(signerOf(plain), &token), S_OK);
  EXPECT_FALSE(token.has_value());
}

}  // namespace
}  // namespace vexamor::signcore
