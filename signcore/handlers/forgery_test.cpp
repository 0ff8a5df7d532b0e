// Forgeries built from genuinely signed files of the three layouts, each refused by
// VerifySign through CoCreateInstance, and the hostile files that must not cost the overlay
// its memory or a signer their data.
#include <openssl/pkcs7.h>
#include <sys/resource.h>
#include <unistd.h>

#include <random>

#include "container.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/signing_fixture.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/testing/forgery.h"

namespace vexamor::signcore::testing {
namespace {

using container::Container;
using container::Disposition;

constexpr SignedLayout kLayouts[] = {SignedLayout::kClassic, SignedLayout::kAppended,
                                     SignedLayout::kContainer};

const char* nameOf(SignedLayout layout) {
  switch (layout) {
    case SignedLayout::kClassic:
      return "classic";
    case SignedLayout::kAppended:
      return "appended";
    case SignedLayout::kContainer:
      return "container";
  }
  return "?";
}

std::string opensslSignature(const TestCertificate& signer, const std::vector<uint8_t>& content,
                             const EVP_MD* digest, bool detached = true) {
  return testing::opensslSignature(
      signer, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()),
      digest, detached);
}

class Forgeries : public SigningTest {
 protected:
  // A genuinely signed file of the layout, with a comment and a time stamp unless `bare`.
  std::string signedFile(SignedLayout layout, bool bare = false) {
    std::string path;
    switch (layout) {
      case SignedLayout::kClassic:
        path = file("plan.drx");
        EXPECT_TRUE(writeFile(path, makeClassicDrawing(30000).bytes));
        break;
      case SignedLayout::kAppended:
        path = file("bundle.zip");
        EXPECT_TRUE(writeFile(path, sampleBytes(20000, 5)));
        break;
      case SignedLayout::kContainer:
        path = file("site.drs");
        EXPECT_EQ(writeContainerDrawing(path, dozenStreams()), 0u);
        break;
    }
    ClientTime stamp(2024, 5, 6, 7, 8, 9);
    EXPECT_EQ(
        sign(handlerOf(layout).get(), path, pki().rsaSigner, bare ? nullptr : "Issued for permit",
             bare ? nullptr : "time.example.com", bare ? nullptr : &stamp),
        S_OK);
    EXPECT_EQ(verify(handlerOf(layout).get(), path), std::make_pair(S_OK, LONG{1}));
    return path;
  }

  com::ComPtr<IVexaSignFile> handlerOf(SignedLayout layout) const {
    return layout == SignedLayout::kAppended ? append() : drx();
  }

  struct Refusal {
    HRESULT hr = S_OK;
    LONG result = -1;
    std::string description, source;
  };
  // VerifySign must not answer valid: its code, flag and the error it reported.
  Refusal refusal(SignedLayout layout, const std::string& path) {
    Refusal r;
    std::tie(r.hr, r.result) = verify(handlerOf(layout).get(), path);
    EXPECT_TRUE(FAILED(r.hr)) << nameOf(layout) << std::hex << " 0x" << r.hr;
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) == S_OK) {
      com::Bstr text, source;
      info->GetDescription(text.out());
      info->GetSource(source.out());
      r.description = text.utf8();
      r.source = source.utf8();
    }
    return r;
  }
};

TEST_F(Forgeries, AFileCutShortWithItsTailMovedIntoTheNoteIsRefused) {
  for (SignedLayout layout : kLayouts) {
    for (bool bare : {false, true}) {
      for (uint64_t tail : {1u, 2u, 37u, 4096u, 5000u}) {
        const std::string path = signedFile(layout, bare);
        ASSERT_TRUE(moveTailIntoNote(path, tail)) << nameOf(layout) << " " << tail;
        // The forgery is sound as far as the signature goes: what is hashed did not change.
        const auto forged = signedPartsOf(path);
        ASSERT_TRUE(forged);
        ASSERT_TRUE(signatureHoldsOverStoredNote(forged->blob, forged->content)) << tail;
        const Refusal r = refusal(layout, path);
        EXPECT_EQ(r.hr, NTE_BAD_SIGNATURE) << nameOf(layout) << " tail " << tail;
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.description,
                  "Invalid Signature. The comment and time stamp stored with it are not the "
                  "ones that were signed.");
        EXPECT_EQ(isSigned(handlerOf(layout).get(), path), std::make_pair(S_OK, LONG{1}));
      }
    }
  }
}

TEST_F(Forgeries, BytesBehindAnAppendedSignatureAreRefusedAndSigningAgainEndsTheFile) {
  const std::string path = signedFile(SignedLayout::kAppended);
  const auto signedBytes = readFile(path);
  const auto original = signedPartsOf(path)->content;
  // A second archive behind the trailer, as an attacker appends one.
  auto bytes = signedBytes;
  const std::string second = "PK\x03\x04 a second archive PK\x05\x06";
  bytes.insert(bytes.end(), second.begin(), second.end());
  ASSERT_TRUE(writeFile(path, bytes));
  EXPECT_EQ(isSigned(append().get(), path), std::make_pair(S_OK, LONG{1}));
  const Refusal r = refusal(SignedLayout::kAppended, path);
  EXPECT_EQ(r.hr, NTE_BAD_SIGNATURE);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.description, "Invalid Signature. The file has data after its signature.");
  EXPECT_EQ(r.source, "DxSignCore.VexaSignAppend.1");

  // One byte is enough.
  bytes = signedBytes;
  bytes.push_back(0);
  ASSERT_TRUE(writeFile(path, bytes));
  EXPECT_EQ(refusal(SignedLayout::kAppended, path).hr, NTE_BAD_SIGNATURE);

  // Signing again signs the file's own bytes and ends the file with the trailer.
  ASSERT_TRUE(writeFile(path, signedBytes));
  bytes.insert(bytes.end(), second.begin(), second.end());
  ASSERT_TRUE(writeFile(path, bytes));
  ASSERT_EQ(sign(append().get(), path, pki().ecSigner), S_OK);
  EXPECT_EQ(verify(append().get(), path), std::make_pair(S_OK, LONG{1}));
  const auto resigned = readFile(path);
  EXPECT_TRUE(std::equal(original.begin(), original.end(), resigned.begin()));
  Result<uint64_t> behind = appended::findMarker(MemorySource(resigned));
  ASSERT_TRUE(behind.ok());
  EXPECT_EQ(resigned.size(), *behind + 4 + loadLe32(&resigned[*behind]));
}

TEST_F(Forgeries, AStreamThatTheSignatureDoesNotRecordIsRefused) {
  const std::string path = signedFile(SignedLayout::kContainer);
  const auto good = readFile(path);
  ASSERT_TRUE(addContainerStream(path, "Later:Macro", sampleBytes(500, 9)));
  const Refusal r = refusal(SignedLayout::kContainer, path);
  EXPECT_EQ(r.hr, NTE_BAD_SIGNATURE);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.source, "DxSignCore.VexaSignDRX.1");
  EXPECT_EQ(r.description,
            "Invalid Signature. The drawing holds a stream that its signature does not cover.");

  // A recorded stream that is gone leaves the drawing unlike the signed one.
  ASSERT_TRUE(writeFile(path, good));
  {
    auto c = Container::create();
    ASSERT_EQ(c->open(path, container::kAccessRead | container::kAccessWrite, 3,
                      Disposition::kOpenExisting, 0),
              0u);
    ASSERT_EQ(c->removeStream("DxDb:Empty", 0), 0u);  // empty: it added no bytes
    ASSERT_EQ(c->close(), 0u);
  }
  EXPECT_EQ(refusal(SignedLayout::kContainer, path).hr, E_UNEXPECTED);

  // Signed again, the added stream is recorded and covered.
  ASSERT_TRUE(writeFile(path, good));
  ASSERT_TRUE(addContainerStream(path, "Later:Macro", sampleBytes(500, 9)));
  ASSERT_EQ(sign(drx().get(), path, pki().rsaSigner), S_OK);
  EXPECT_EQ(verify(drx().get(), path), std::make_pair(S_OK, LONG{1}));
}

TEST_F(Forgeries, AnMd5DigestIsRefusedWhileSha256AndSha1FromOpensslVerify) {
  for (SignedLayout layout : kLayouts) {
    const std::string path = signedFile(layout, true);
    const auto parts = signedPartsOf(path);
    ASSERT_TRUE(parts);

    ASSERT_TRUE(replaceBlob(path, opensslSignature(pki().rsaSigner, parts->content, EVP_md5())));
    ASSERT_TRUE(signatureHoldsOverStoredNote(signedPartsOf(path)->blob, parts->content));
    const Refusal r = refusal(layout, path);
    EXPECT_EQ(r.hr, NTE_BAD_ALGID) << nameOf(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.description,
              "Invalid algorithm specified. The signature was made with the MD5 message digest, "
              "for which other content with the same digest can be made.");

    // The same bytes signed by the openssl tool with digests that hold, as peers sign them.
    for (const EVP_MD* digest : {EVP_sha256(), EVP_sha1()}) {
      ASSERT_TRUE(replaceBlob(path, opensslSignature(pki().rsaSigner, parts->content, digest)));
      EXPECT_EQ(verify(handlerOf(layout).get(), path), std::make_pair(S_OK, LONG{1}))
          << nameOf(layout) << " " << EVP_MD_get0_name(digest);
    }
  }
}

TEST_F(Forgeries, ABlobThatCarriesItsOwnContentIsRefused) {
  for (SignedLayout layout : kLayouts) {
    const std::string path = signedFile(layout, true);
    const auto parts = signedPartsOf(path);
    ASSERT_TRUE(
        replaceBlob(path, opensslSignature(pki().rsaSigner, parts->content, EVP_sha256(), false)));
    const Refusal r = refusal(layout, path);
    EXPECT_EQ(r.hr, CRYPT_E_INVALID_MSG_TYPE) << nameOf(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.description,
              "Invalid cryptographic message type. The signature carries content of its own "
              "instead of signing the file's.");
  }
}

TEST_F(Forgeries, ACertificateMadeForAWebServerSignsNothing) {
  CertificateSpec certSpec = signerSpec("www.example.com", &pki().intermediate, "7001");
  certSpec.keyKind = KeyKind::kRsa2048;
  certSpec.keyUsage = "critical,digitalSignature,keyEncipherment";
  certSpec.extendedKeyUsage = "serverAuth,clientAuth";
  const TestCertificate server = makeCertificate(certSpec);
  certificates_->add(StoreName::My, server, true);

  for (SignedLayout layout : kLayouts) {
    const std::string path = signedFile(layout, true);
    const auto before = readFile(path);
    EXPECT_EQ(sign(handlerOf(layout).get(), path, server), E_FAIL) << nameOf(layout);
    EXPECT_EQ(readFile(path), before);

    // Signed without asking the component, the file still gets no plain valid.
    const auto parts = signedPartsOf(path);
    ASSERT_TRUE(replaceBlob(path, opensslSignature(server, parts->content, EVP_sha256())));
    // The signature matches and the chain is trusted, but the certificate may not sign: not
    // S_OK, which is all that a client such as the overlay takes for valid.
    const Refusal r = refusal(layout, path);
    EXPECT_EQ(r.hr, TRUST_E_CERT_SIGNATURE);
    EXPECT_EQ(r.description,
              "The signature of the certificate cannot be verified. The signer's certificate is "
              "not meant for signing: its key usage or extended key usage leaves signing out.");
  }
}

TEST_F(Forgeries, HostileLengthsInASparseFileCostNoMemory) {
  // Classic: a block that claims nearly 4 GiB, in a 5 GiB sparse file that holds it;
  // appended: a trailer that claims as much. The overlay asks IsFileSigned of every file a folder
  // shows.
  constexpr uint64_t kSize = uint64_t{5} << 30;
  const std::string classicPath = file("huge.drx");
  {
    auto head = makeClassicDrawing(1000).bytes;
    storeLe32(&head[classic::kPointerOffset], 1000);
    head.resize(1008);
    storeLe32(&head[1000], 1000);
    storeLe32(&head[1004], 0xFFFFFFF0u);
    ASSERT_TRUE(writeFile(classicPath, head));
    ASSERT_EQ(::truncate(classicPath.c_str(), static_cast<off_t>(kSize)), 0);
  }
  const std::string appendedPath = file("huge.zip");
  {
    std::vector<uint8_t> tail(appended::kMarker.begin(), appended::kMarker.end());
    tail.resize(tail.size() + 4);
    storeLe32(&tail[appended::kMarker.size()], 0xFFFFFFF0u);
    ASSERT_TRUE(writeFile(appendedPath, {}));
    ASSERT_EQ(::truncate(appendedPath.c_str(), static_cast<off_t>(kSize - 4096)), 0);
    std::vector<uint8_t> bytes(4096, 0);
    std::copy(tail.begin(), tail.end(), bytes.begin());
    FILE* f = std::fopen(appendedPath.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, static_cast<long>(kSize - 4096), SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(isSigned(drx().get(), classicPath), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(drx().get(), classicPath), std::make_pair(S_FALSE, LONG{0}));
  EXPECT_EQ(isSigned(append().get(), appendedPath), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(verify(append().get(), appendedPath).first, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes of peak growth";
}

TEST_F(Forgeries, SigningAFileThatQuotesTheMarkerLosesNothing) {
  // The file's own text quotes the marker and four bytes behind it read as a length that
  // the rest of the file holds: it is no signature, so nothing behind it may be cut.
  const std::string path = file("notes.zip");
  std::vector<uint8_t> bytes = sampleBytes(3000, 3);
  bytes.insert(bytes.end(), appended::kMarker.begin(), appended::kMarker.end());
  const auto quoted = sampleBytes(3000, 4);
  bytes.resize(bytes.size() + 4);
  storeLe32(&bytes[bytes.size() - 4], static_cast<uint32_t>(quoted.size()));
  bytes.insert(bytes.end(), quoted.begin(), quoted.end());
  ASSERT_TRUE(writeFile(path, bytes));
  EXPECT_EQ(isSigned(append().get(), path), std::make_pair(S_OK, LONG{1}));

  ASSERT_EQ(sign(append().get(), path, pki().rsaSigner), S_OK);
  const auto signedBytes = readFile(path);
  ASSERT_GT(signedBytes.size(), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), signedBytes.begin()));
  EXPECT_EQ(verify(append().get(), path), std::make_pair(S_OK, LONG{1}));
}

}  // namespace
}  // namespace vexamor::signcore::testing
