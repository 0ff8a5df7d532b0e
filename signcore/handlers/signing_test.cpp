// Signing, verifying and reading back signatures of the three layouts with the test
// certificates, through CoCreateInstance as a client does.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "container.h"
#include "signcore/crypto/crypt_codes.h"
#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/signing_fixture.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace vexamor::signcore::testing {
namespace {

using container::Container;
using container::Disposition;

constexpr uint32_t kShareAll = 3;

mode_t modeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// The signature stream's content of a signed container.
signature_stream::Content signatureStreamOf(const std::string& path) {
  for (auto& [name, data] : readContainerStreams(path)) {
    if (name != signature_stream::kName) continue;
    signature_stream::Content content;
    const uint32_t n = loadLe32(&data[12]);
    for (uint32_t i = 0; i < n; ++i) content.identifiers.push_back(loadLe32(&data[16 + 4 * i]));
    content.blob.assign(data.begin() + 16 + 4 * n, data.end());
    return content;
  }
  return {};
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> withoutSignature(
    std::vector<std::pair<std::string, std::vector<uint8_t>>> streams) {
  std::erase_if(streams, [](const auto& s) { return s.first == signature_stream::kName; });
  return streams;
}

// Rewrites stream `name` of a container with `data`, through the engine.
void rewriteStream(const std::string& path, const std::string& name,
                   const std::vector<uint8_t>& data) {
  ASSERT_EQ(rewriteContainerStream(path, name, data), 0u);
}

class ClassicSigning : public SigningTest {};

TEST_F(ClassicSigning, SignsVerifiesAndKeepsTheLayout) {
  const std::string path = file("plan.drx");
  const ClassicDrawing drawing = makeClassicDrawing(20000, 3);
  ASSERT_TRUE(writeFile(path, drawing.bytes));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner, "for the permit"), S_OK);

  const auto signedBytes = readFile(path);
  ASSERT_GT(signedBytes.size(), 20008u);
  EXPECT_EQ(loadLe32(&signedBytes[148]), 20000u);  // P = E
  EXPECT_EQ(loadLe32(&signedBytes[20000]), 20000u);
  const uint32_t length = loadLe32(&signedBytes[20004]);
  EXPECT_EQ(signedBytes.size(), 20008u + length);
  auto data = std::vector<uint8_t>(signedBytes.begin(), signedBytes.begin() + 20000);
  storeLe32(&data[148], 0);
  EXPECT_EQ(data, drawing.bytes) << "the drawing data stays as it was, but for the pointer";
  EXPECT_EQ(modeOf(path), 0640u);
  EXPECT_EQ(entries(), 1u);

  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  const SignatureInfo i = info(h.get(), path);
  ASSERT_EQ(i.hr, S_OK);
  EXPECT_EQ(i.subject, pki().rsaSigner.subjectUtf8());
  EXPECT_EQ(i.issuer, pki().rsaSigner.issuerUtf8());
  EXPECT_EQ(i.serial, pki().rsaSigner.serialUtf8());
  EXPECT_EQ(i.comment, "for the permit");
  EXPECT_EQ(i.notAfter, "2099-12-31 23:59:59");
  EXPECT_EQ(i.timestamp, "");  // signed without a time stamp
  EXPECT_EQ(i.server, "");
}

TEST_F(ClassicSigning, SigningAgainPutsTheBlockWhereTheFirstBegan) {
  const std::string path = file("plan.drt");
  ASSERT_TRUE(writeFile(path, makeClassicDrawing(9000, 5).bytes));
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().ecSigner, "a rather longer comment for the first one"), S_OK);
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner), S_OK);
  const auto bytes = readFile(path);
  EXPECT_EQ(loadLe32(&bytes[148]), 9000u);
  EXPECT_EQ(loadLe32(&bytes[9000]), 9000u);
  EXPECT_EQ(bytes.size(), 9008u + loadLe32(&bytes[9004])) << "nothing of the old block stays";
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(info(h.get(), path).subject, pki().rsaSigner.subjectUtf8());
}

TEST_F(ClassicSigning, AnyChangedByteBeforeThePointerFailsVerification) {
  const std::string path = file("plan.drx");
  ASSERT_TRUE(writeFile(path, makeClassicDrawing(6000, 3).bytes));
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner), S_OK);
  const auto good = readFile(path);
  for (uint64_t at : {6u, 21u, 30u, 147u, 152u, 3000u, 5999u}) {
    ASSERT_TRUE(writeFile(path, good));
    flipByte(path, at);
    const auto [hr, result] = verify(h.get(), path);
    EXPECT_TRUE(FAILED(hr)) << "byte " << at;
    EXPECT_EQ(result, 0) << "byte " << at;
    EXPECT_EQ(errorSource(), "DxSignCore.VexaSignDRX.1");
  }
  // The pointer itself: the block is not found any more.
  for (uint64_t at : {148u, 151u}) {
    ASSERT_TRUE(writeFile(path, good));
    flipByte(path, at);
    EXPECT_EQ(verify(h.get(), path), std::make_pair(S_FALSE, LONG{0})) << "byte " << at;
  }
  // Behind P the blob is what is checked: a changed byte there fails too.
  ASSERT_TRUE(writeFile(path, good));
  flipByte(path, good.size() - 1);
  EXPECT_TRUE(FAILED(verify(h.get(), path).first));
  ASSERT_TRUE(writeFile(path, good));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
}

TEST_F(ClassicSigning, TheTimeStampTravelsAsTextAndComesBackSplit) {
  const std::string path = file("stamped.drs");
  ASSERT_TRUE(writeFile(path, makeClassicDrawing(3000).bytes));
  ClientTime stamp(2004, 7, 5, 9, 7, 3);
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner, "c", "time.example.net:37", &stamp), S_OK);
  SignatureInfo i = info(h.get(), path);
  ASSERT_EQ(i.hr, S_OK);
  EXPECT_EQ(i.timestamp, "2004-07-05 09:07:03");
  EXPECT_EQ(i.server, "time.example.net:37");
  EXPECT_EQ(i.comment, "c");

  // Without a server name the time stamp still comes back, with no name.
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner, nullptr, nullptr, &stamp), S_OK);
  i = info(h.get(), path);
  EXPECT_EQ(i.timestamp, "2004-07-05 09:07:03");
  EXPECT_EQ(i.server, "");

  // The comment is optional on the way out; the time stamp needs the server's slot.
  com::Bstr s, is, e, n, x;
  com::ComPtr<IVexaSystemTime> from, to;
  EXPECT_EQ(h->ExtractSignatureInfo(com::Bstr(path).get(), nullptr, s.out(), is.out(), e.out(),
                                    n.out(), x.out(), nullptr, from.out(), to.out(), nullptr,
                                    nullptr),
            S_OK);
  EXPECT_EQ(s.utf8(), pki().rsaSigner.subjectUtf8());
}

TEST_F(ClassicSigning, RefusedSigningsLeaveTheFileAsItWas) {
  const std::string path = file("plan.drx");
  const auto original = makeClassicDrawing(5000).bytes;
  ASSERT_TRUE(writeFile(path, original));
  auto h = drx();
  // Certificates whose chain is not valid: E_FAIL.
  EXPECT_EQ(sign(h.get(), path, pki().expired), E_FAIL);
  EXPECT_EQ(sign(h.get(), path, pki().brokenChain), E_FAIL);
  // One that is not in the store at all.
  TestCertificate stranger = makeCertificate(signerSpec("Stranger", &pki().intermediate, "77"));
  EXPECT_EQ(sign(h.get(), path, stranger), CRYPT_E_NOT_FOUND);
  EXPECT_EQ(errorSource(), "DxSignCore.VexaSignDRX.1");
  EXPECT_EQ(readFile(path), original);

  // A version text off by one character or by case.
  for (const char* version : {"DX1014", "Dx1015"}) {
    auto bytes = original;
    std::copy(version, version + 6, bytes.begin());
    ASSERT_TRUE(writeFile(path, bytes));
    EXPECT_EQ(sign(h.get(), path, pki().rsaSigner), E_INVALIDARG) << version;
    EXPECT_EQ(readFile(path), bytes);
  }
  // Sections that reach past the end of a signed file.
  auto damaged = original;
  storeLe32(&damaged[148], 5000);
  storeLe32(&damaged[classic::kLocatorsOffset + 5], 0x7FFFFFFF);
  ASSERT_TRUE(writeFile(path, damaged));
  EXPECT_EQ(sign(h.get(), path, pki().rsaSigner), E_FAIL);
  EXPECT_EQ(readFile(path), damaged);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(ClassicSigning, AFileThatChangesWhileItIsSignedIsLeftAlone) {
  const std::string path = file("busy.drx");
  ASSERT_TRUE(writeFile(path, makeClassicDrawing(5000).bytes));
  auto changed = readFile(path);
  changed.push_back('!');
  ClientTime stamp(2024, 1, 2, 3, 4, 5);
  stamp.onMonthRead = [&] { writeFile(path, changed); };  // another program saves meanwhile
  auto h = drx();
  EXPECT_EQ(sign(h.get(), path, pki().rsaSigner, nullptr, nullptr, &stamp),
            HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(readFile(path), changed);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(ClassicSigning, ASymbolicLinkIsFollowedAndStays) {
  const std::string target = file("real.drx");
  ASSERT_TRUE(writeFile(target, makeClassicDrawing(4000).bytes));
  const std::string link = file("link.drx");
  ASSERT_EQ(::symlink("real.drx", link.c_str()), 0);
  auto h = drx();
  ASSERT_EQ(sign(h.get(), link, pki().rsaSigner), S_OK);
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(verify(h.get(), target), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(entries(), 2u);
}

class ContainerSigning : public SigningTest {};

TEST_F(ContainerSigning, SignsEveryStreamInContainerOrderAndVerifies) {
  const std::string path = file("site.drx");
  ASSERT_EQ(writeContainerDrawing(path, dozenStreams(), 384), 0u);
  const auto before = readContainerStreams(path);
  ASSERT_EQ(before.size(), 12u);
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().ecSigner, "container"), S_OK);
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(withoutSignature(readContainerStreams(path)), before);
  EXPECT_EQ(info(h.get(), path).comment, "container");
  EXPECT_EQ(entries(), 1u);

  // The signature stream names the twelve streams, in container order.
  auto c = Container::create();
  ASSERT_EQ(c->setHeaderOffset(384), 0u);
  ASSERT_EQ(c->open(path, container::kAccessRead, kShareAll, Disposition::kOpenExisting, 0), 0u);
  std::vector<uint32_t> order;
  for (uint32_t i = 0; i < c->info()->streamCount; ++i) {
    auto s = c->streamInfo(i);
    if (s->present && s->name != signature_stream::kName) order.push_back(s->identifier);
  }
  EXPECT_EQ(signatureStreamOf(path).identifiers, order);

  // Signing again replaces the signature stream.
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner), S_OK);
  EXPECT_EQ(readContainerStreams(path).size(), 13u);
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(info(h.get(), path).subject, pki().rsaSigner.subjectUtf8());
}

TEST_F(ContainerSigning, VerifiesExactlyTheRecordedStreamsInTheRecordedOrder) {
  const std::string path = file("site.drx");
  ASSERT_EQ(writeContainerDrawing(path, dozenStreams(), 0), 0u);
  auto h = drx();
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner), S_OK);
  const auto good = readFile(path);

  // A changed byte in one stream fails.
  auto streams = readContainerStreams(path);
  auto objects = streams[2].second;
  objects[100] ^= 1;
  rewriteStream(path, streams[2].first, objects);
  auto [hr, result] = verify(h.get(), path);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_EQ(result, 0);

  // The recorded order counts: two identifiers swapped in the stream's header fail.
  ASSERT_TRUE(writeFile(path, good));
  auto content = signatureStreamOf(path);
  std::swap(content.identifiers[3], content.identifiers[4]);
  rewriteStream(path, std::string(signature_stream::kName), signature_stream::encode(content));
  std::tie(hr, result) = verify(h.get(), path);
  EXPECT_TRUE(FAILED(hr));

  // A stream added after signing is covered by nothing: the drawing is not the one signed.
  ASSERT_TRUE(writeFile(path, good));
  {
    auto c = Container::create();
    ASSERT_EQ(c->open(path, container::kAccessRead | container::kAccessWrite, kShareAll,
                      Disposition::kOpenExisting, 0),
              0u);
    auto s = c->openStream("Later:Notes", 0, container::kAccessRead | container::kAccessWrite,
                           Disposition::kCreateNew);
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s->write(sampleBytes(500, 1)), 0u);
    ASSERT_EQ(s->close(), 0u);
    ASSERT_EQ(c->close(), 0u);
  }
  EXPECT_EQ(verify(h.get(), path), std::make_pair(NTE_BAD_SIGNATURE, LONG{0}));
}

TEST_F(ContainerSigning, AContainerWithOnlyTheSignatureStreamCannotBeSigned) {
  const std::string path = file("empty.drx");
  ASSERT_EQ(writeContainerDrawing(path, {{std::string(signature_stream::kName), 2, 0, {1, 2}}}),
            0u);
  const auto original = readFile(path);
  auto h = drx();
  EXPECT_EQ(sign(h.get(), path, pki().rsaSigner), E_UNEXPECTED);
  EXPECT_EQ(readFile(path), original);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(ContainerSigning, AContainerThatChangesWhileItIsSignedIsLeftAlone) {
  const std::string path = file("busy.drx");
  ASSERT_EQ(writeContainerDrawing(path, dozenStreams(), 0), 0u);
  ClientTime stamp(2024, 1, 2, 3, 4, 5);
  std::vector<uint8_t> changed;
  stamp.onMonthRead = [&] {
    rewriteStream(path, "DxDb:Header", {9, 9, 9});
    changed = readFile(path);
  };
  auto h = drx();
  EXPECT_EQ(sign(h.get(), path, pki().rsaSigner, nullptr, nullptr, &stamp),
            HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(readFile(path), changed);
  EXPECT_EQ(entries(), 1u);
}

// The overlay asks one handler object about many files from several threads at once.
TEST_F(ContainerSigning, OneHandlerAnswersManyThreadsAtOnce) {
  const std::string classicPath = file("plan.drx");
  const std::string containerPath = file("site.drs");
  const std::string unsignedPath = file("draft.drx");
  ASSERT_TRUE(writeFile(classicPath, makeClassicDrawing(70000).bytes));
  ASSERT_EQ(writeContainerDrawing(containerPath, dozenStreams()), 0u);
  ASSERT_TRUE(writeFile(unsignedPath, makeClassicDrawing(9000).bytes));
  auto h = drx();
  ASSERT_EQ(sign(h.get(), classicPath, pki().rsaSigner), S_OK);
  ASSERT_EQ(sign(h.get(), containerPath, pki().ecSigner), S_OK);

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      for (int i = 0; i < 8; ++i) {
        const auto& path = (t + i) % 3 == 0 ? classicPath : (t + i) % 3 == 1 ? containerPath
                                                                              : unsignedPath;
        const bool expectSigned = path != unsignedPath;
        if (isSigned(h.get(), path) != std::make_pair(S_OK, LONG{expectSigned ? 1 : 0})) ++wrong;
        if (verify(h.get(), path) !=
            std::make_pair(expectSigned ? S_OK : S_FALSE, LONG{expectSigned ? 1 : 0})) {
          ++wrong;
        }
      }
      CoUninitialize();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

class AppendedSigning : public SigningTest {};

TEST_F(AppendedSigning, SignsTheFileAsItIsAndAppendsTheSignature) {
  const std::string path = file("bundle.zip");
  const auto original = sampleBytes(70000, 8);
  ASSERT_TRUE(writeFile(path, original));
  auto h = append();
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner, "zip"), S_OK);
  const auto bytes = readFile(path);
  ASSERT_GT(bytes.size(), original.size() + 40);
  EXPECT_TRUE(std::equal(original.begin(), original.end(), bytes.begin()));
  EXPECT_EQ(std::string(bytes.begin() + 70000, bytes.begin() + 70036), appended::kMarker);
  EXPECT_EQ(bytes.size(), 70040u + loadLe32(&bytes[70036]));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(info(h.get(), path).comment, "zip");

  // Signing again keeps the data and the marker and puts the new signature behind it.
  ASSERT_EQ(sign(h.get(), path, pki().ecSigner), S_OK);
  const auto again = readFile(path);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 70036, again.begin()));
  EXPECT_EQ(again.size(), 70040u + loadLe32(&again[70036]));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(info(h.get(), path).subject, pki().ecSigner.subjectUtf8());

  // Any changed byte of the data fails.
  for (uint64_t at : {0u, 35000u, 69999u}) {
    ASSERT_TRUE(writeFile(path, again));
    flipByte(path, at);
    const auto [hr, result] = verify(h.get(), path);
    EXPECT_TRUE(FAILED(hr)) << at;
    EXPECT_EQ(result, 0);
  }
}

TEST_F(AppendedSigning, AMarkerFarFromTheEndIsDataAndASecondOneIsAppended) {
  const std::string path = file("old.exe");
  auto bytes = sampleBytes(1000, 2);
  bytes.insert(bytes.end(), appended::kMarker.begin(), appended::kMarker.end());
  const auto tail = sampleBytes(40000, 3);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  ASSERT_TRUE(writeFile(path, bytes));
  auto h = append();
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{0}));
  ASSERT_EQ(sign(h.get(), path, pki().rsaSigner), S_OK);
  const auto signedBytes = readFile(path);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), signedBytes.begin()));
  EXPECT_EQ(std::string(signedBytes.begin() + bytes.size(),
                        signedBytes.begin() + bytes.size() + 36),
            appended::kMarker);
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_OK, LONG{1}));
}

TEST_F(AppendedSigning, ATextQuotingTheMarkerIsNeverOverwritten) {
  auto h = append();
  // Near its end: it counts as signed, but signing must not write over the text behind the
  // quote; with the quote in the window the new signature would not be found, so it is
  // refused.
  const std::string near = file("near.zip");
  const std::string text = "quote " + std::string(appended::kMarker) + " and more text";
  ASSERT_TRUE(writeFile(near, {text.begin(), text.end()}));
  EXPECT_EQ(isSigned(h.get(), near), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(sign(h.get(), near, pki().rsaSigner), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_EQ(readFile(near), std::vector<uint8_t>(text.begin(), text.end()));

  // Further back (out of the first window) the new signature comes after it and is found.
  const std::string back = file("back.zip");
  auto bytes = std::vector<uint8_t>(text.begin(), text.end());
  bytes.resize(bytes.size() + 6000, '.');
  ASSERT_TRUE(writeFile(back, bytes));
  ASSERT_EQ(sign(h.get(), back, pki().rsaSigner), S_OK);
  const auto signedBytes = readFile(back);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), signedBytes.begin()));
  EXPECT_EQ(verify(h.get(), back), std::make_pair(S_OK, LONG{1}));
}

TEST_F(AppendedSigning, AnEmptyFileCannotBeSigned) {
  const std::string path = file("empty.zip");
  ASSERT_TRUE(writeFile(path, {}));
  auto h = append();
  EXPECT_EQ(sign(h.get(), path, pki().rsaSigner), E_UNEXPECTED);
  EXPECT_EQ(readFile(path).size(), 0u);
  const SignatureInfo i = info(h.get(), path);
  EXPECT_EQ(i.hr, E_UNEXPECTED);
}

}  // namespace
}  // namespace vexamor::signcore::testing
