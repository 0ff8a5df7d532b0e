// The handlers on files that carry no signature, a damaged one or one that cannot be read,
// through CoCreateInstance as a client calls them. None of this needs a certificate: the
// signature blocks here are laid out by hand around bytes that are not a signature.
#include <sys/stat.h>
#include <unistd.h>

#include "container.h"
#include "platform/com/utf.h"
#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/handler_test_support.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace vexamor::signcore::testing {
namespace {

using com::Bstr;

const std::vector<uint8_t> kNotABlob = {0x30, 0x03, 0x02, 0x01, 0x00};

// A classic drawing with a block at its end holding `blob`.
std::vector<uint8_t> classicWithBlock(uint64_t size, const std::vector<uint8_t>& blob) {
  auto bytes = makeClassicDrawing(size).bytes;
  storeLe32(&bytes[classic::kPointerOffset], static_cast<uint32_t>(size));
  const auto block = classic::encodeBlock(static_cast<uint32_t>(size), blob);
  bytes.insert(bytes.end(), block.begin(), block.end());
  return bytes;
}

// A container drawing with a signature stream holding `content`, written through the engine.
void addSignatureStream(const std::string& path, const std::vector<uint8_t>& content) {
  auto c = container::Container::create();
  ASSERT_EQ(c->open(path, container::kAccessRead | container::kAccessWrite, 3,
                    container::Disposition::kOpenExisting, 0),
            0u);
  auto s = c->openStream(signature_stream::kName, 0,
                         container::kAccessRead | container::kAccessWrite,
                         container::Disposition::kCreateNew);
  ASSERT_TRUE(s.ok());
  ASSERT_EQ(s->write(content), 0u);
  ASSERT_EQ(s->close(), 0u);
  ASSERT_EQ(c->close(), 0u);
}

class UnsignedFiles : public HandlerTest {};

TEST_F(UnsignedFiles, ClassicDrawingWithoutSignature) {
  const std::string path = file("plain.drx");
  ASSERT_TRUE(writeFile(path, makeClassicDrawing(6000).bytes));
  auto h = drx();
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_FALSE, LONG{0}));

  // Not signed: S_FALSE, and not one output is touched.
  BSTR texts[7];
  for (BSTR& t : texts) t = reinterpret_cast<BSTR>(0x5A5A);
  IVexaSystemTime* times[3] = {reinterpret_cast<IVexaSystemTime*>(0x6B6B),
                               reinterpret_cast<IVexaSystemTime*>(0x6B6B),
                               reinterpret_cast<IVexaSystemTime*>(0x6B6B)};
  EXPECT_EQ(h->ExtractSignatureInfo(Bstr(path).get(), nullptr, &texts[0], &texts[1], &texts[2],
                                    &texts[3], &texts[4], &texts[5], &times[0], &times[1],
                                    &texts[6], &times[2]),
            S_FALSE);
  for (BSTR t : texts) EXPECT_EQ(t, reinterpret_cast<BSTR>(0x5A5A));
  for (IVexaSystemTime* t : times) EXPECT_EQ(t, reinterpret_cast<IVexaSystemTime*>(0x6B6B));
}

TEST_F(UnsignedFiles, ClassicBlockLookupAndTheVersionText) {
  const std::string path = file("blocked.drt");
  ASSERT_TRUE(writeFile(path, classicWithBlock(3000, kNotABlob)));
  auto h = drx();
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{1}));

  // A version text off by one character or by case: IsFileSigned still reads byte 148, the
  // others refuse the file.
  for (const char* version : {"DX1016", "dX1015"}) {
    auto bytes = readFile(path);
    std::copy(version, version + 6, bytes.begin());
    const std::string other = file(std::string(version) + ".drx");
    ASSERT_TRUE(writeFile(other, bytes));
    EXPECT_EQ(isSigned(h.get(), other), std::make_pair(S_OK, LONG{1})) << version;
    EXPECT_EQ(verify(h.get(), other), std::make_pair(E_INVALIDARG, LONG{0})) << version;
    EXPECT_EQ(errorSource(), "DxSignCore.VexaSignDRX.1");
    BSTR s = nullptr, i = nullptr, e = nullptr, n = nullptr, x = nullptr;
    IVexaSystemTime *from = nullptr, *to = nullptr;
    EXPECT_EQ(h->ExtractSignatureInfo(Bstr(other).get(), nullptr, &s, &i, &e, &n, &x, nullptr,
                                      &from, &to, nullptr, nullptr),
              E_INVALIDARG);
  }

  // Bytes 148 ... 151 changed: the block is no longer found, the file reads as unsigned.
  flipByte(path, classic::kPointerOffset + 1);
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_FALSE, LONG{0}));
}

TEST_F(UnsignedFiles, DamagedClassicBlocksReadAsUnsigned) {
  auto h = drx();
  const auto good = classicWithBlock(2000, kNotABlob);
  struct Case {
    const char* what;
    uint64_t offset;
    uint32_t value;
  };
  for (const Case& c : {Case{"pointer past the end", 148, 0x7FFFFFF0},
                        Case{"copy of P differs", 2000, 1999},
                        Case{"length 0xFFFFFFFF", 2004, 0xFFFFFFFF},
                        Case{"blob longer than the file", 2004, 6}}) {
    const std::string path = file("damaged.drx");
    ASSERT_TRUE(writeFile(path, good));
    storeField(path, c.offset, c.value);
    EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{0})) << c.what;
    EXPECT_EQ(verify(h.get(), path), std::make_pair(S_FALSE, LONG{0})) << c.what;
  }
  const std::string tiny = file("tiny.drx");
  ASSERT_TRUE(writeFile(tiny, std::vector<uint8_t>(100, 'D')));
  EXPECT_EQ(isSigned(h.get(), tiny), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(h.get(), tiny), std::make_pair(E_INVALIDARG, LONG{0}));
}

TEST_F(UnsignedFiles, FilesThatCannotBeOpenedAreReported) {
  for (REFCLSID clsid : {CLSID_VexaSignDRX, CLSID_VexaSignAppend}) {
    auto h = handler(clsid);
    const char* progId =
        clsid == CLSID_VexaSignDRX ? "DxSignCore.VexaSignDRX.1" : "DxSignCore.VexaSignAppend.1";
    EXPECT_EQ(isSigned(h.get(), file("missing.drx")),
              std::make_pair(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), LONG{0}));
    EXPECT_EQ(errorSource(), progId);
    EXPECT_EQ(verify(h.get(), file("missing.zip")).first, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(isSigned(h.get(), dir_.string()).first, E_ACCESSDENIED);  // a folder
    EXPECT_EQ(isSigned(h.get(), "/dev/null").first, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    const std::string fifo = file("pipe.zip");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(isSigned(h.get(), fifo).first, HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    ::unlink(fifo.c_str());

    // A path with a zero character inside would name another file.
    const std::u16string inner = vexamor::text::utf8ToUtf16(file("a.zip")) + u'\0' + u"x";
    Bstr withZero{std::u16string_view(inner)};
    LONG result = -1;
    EXPECT_EQ(h->IsFileSigned(withZero.get(), nullptr, &result),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));

    EXPECT_EQ(h->IsFileSigned(nullptr, nullptr, &result), E_POINTER);
    EXPECT_EQ(h->IsFileSigned(Bstr(file("x")).get(), nullptr, nullptr), E_POINTER);
    EXPECT_EQ(h->VerifySign(nullptr, nullptr, &result), E_POINTER);
    Bstr s("s");
    EXPECT_EQ(h->AddSign(Bstr(file("x")).get(), s.get(), s.get(), nullptr, nullptr, nullptr,
                         nullptr, nullptr),
              E_POINTER);
    EXPECT_EQ(h->AddSign(nullptr, s.get(), s.get(), s.get(), nullptr, nullptr, nullptr, nullptr),
              E_POINTER);
    BSTR t = nullptr;
    IVexaSystemTime* time = nullptr;
    // Outputs that are always written must be there, and a server name needs its time stamp.
    EXPECT_EQ(h->ExtractSignatureInfo(Bstr(file("x")).get(), nullptr, &t, &t, &t, nullptr, &t,
                                      nullptr, &time, &time, nullptr, nullptr),
              E_POINTER);
    EXPECT_EQ(h->ExtractSignatureInfo(Bstr(file("x")).get(), nullptr, &t, &t, &t, &t, &t, nullptr,
                                      &time, &time, &t, nullptr),
              E_POINTER);
  }
}

TEST_F(UnsignedFiles, ContainerDrawingsWithAndWithoutSignatureStream) {
  auto h = drx();
  const std::string path = file("container.drx");
  ASSERT_EQ(writeContainerDrawing(path, dozenStreams(), 384), 0u);
  EXPECT_EQ(isSigned(h.get(), path), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(h.get(), path), std::make_pair(S_FALSE, LONG{0}));

  // A signature stream of any content counts for IsFileSigned; its header is checked when
  // it is read.
  const std::string lying = file("lying.drx");
  ASSERT_EQ(writeContainerDrawing(lying, dozenStreams(), 0), 0u);
  auto content = signature_stream::encode({{1, 2}, kNotABlob});
  storeLe32(&content[12], 0);  // n = 0
  addSignatureStream(lying, content);
  EXPECT_EQ(isSigned(h.get(), lying), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(verify(h.get(), lying), std::make_pair(E_UNEXPECTED, LONG{0}));
  BSTR s = nullptr, i = nullptr, e = nullptr, n = nullptr, x = nullptr;
  IVexaSystemTime *from = nullptr, *to = nullptr;
  EXPECT_EQ(h->ExtractSignatureInfo(Bstr(lying).get(), nullptr, &s, &i, &e, &n, &x, nullptr,
                                    &from, &to, nullptr, nullptr),
            E_UNEXPECTED);

  // Signed streams that are all gone: nothing to verify.
  const std::string gone = file("gone.drx");
  ASSERT_EQ(writeContainerDrawing(gone, dozenStreams(), 0), 0u);
  addSignatureStream(gone, signature_stream::encode({{5000, 5001}, kNotABlob}));
  EXPECT_EQ(verify(h.get(), gone), std::make_pair(E_UNEXPECTED, LONG{0}));
}

TEST_F(UnsignedFiles, ADamagedContainerIsReportedNotTakenForClassic) {
  auto h = drx();
  const std::string path = file("damaged.drx");
  ASSERT_EQ(writeContainerDrawing(path, dozenStreams(), 0), 0u);
  auto bytes = readFile(path);
  bytes.resize(bytes.size() / 2);  // the header survives, the pages it names do not
  ASSERT_TRUE(writeFile(path, bytes));
  const auto [hr, result] = isSigned(h.get(), path);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(errorSource(), "DxSignCore.VexaSignDRX.1");
}

TEST_F(UnsignedFiles, AppendedSignaturesAreFoundInTheTailOnly) {
  auto h = append();
  const std::string empty = file("empty.zip");
  ASSERT_TRUE(writeFile(empty, {}));
  EXPECT_EQ(isSigned(h.get(), empty).first, E_UNEXPECTED);
  EXPECT_EQ(verify(h.get(), empty).first, E_UNEXPECTED);

  const std::string one = file("one.zip");
  ASSERT_TRUE(writeFile(one, {'{'}));
  EXPECT_EQ(isSigned(h.get(), one), std::make_pair(S_OK, LONG{0}));
  EXPECT_EQ(verify(h.get(), one), std::make_pair(S_FALSE, LONG{0}));

  // A text that quotes the marker near its end counts as signed; its "blob" does not read,
  // whether its "length" is more than the file holds or more than any signature has.
  const std::string quoting = file("notes.zip");
  const std::string text = "The marker is " + std::string(appended::kMarker) +
                           std::string("\x10\0\0\0", 4) + ", see above.";
  ASSERT_TRUE(writeFile(quoting, {text.begin(), text.end()}));
  EXPECT_EQ(isSigned(h.get(), quoting), std::make_pair(S_OK, LONG{1}));
  EXPECT_EQ(verify(h.get(), quoting).first, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  const std::string text2 = "The marker is " + std::string(appended::kMarker) + ", see above.";
  ASSERT_TRUE(writeFile(quoting, {text2.begin(), text2.end()}));
  EXPECT_EQ(verify(h.get(), quoting).first, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));

  // The same marker more than 32768 bytes before the end is not looked at.
  auto far = std::vector<uint8_t>(text.begin(), text.end());
  far.resize(far.size() + 40000, ' ');
  const std::string farPath = file("far.exe");
  ASSERT_TRUE(writeFile(farPath, far));
  EXPECT_EQ(isSigned(h.get(), farPath), std::make_pair(S_OK, LONG{0}));
}

TEST_F(UnsignedFiles, ASymbolicLinkIsFollowed) {
  const std::string target = file("real.drx");
  ASSERT_TRUE(writeFile(target, classicWithBlock(2000, kNotABlob)));
  const std::string link = file("link.drx");
  ASSERT_EQ(::symlink("real.drx", link.c_str()), 0);
  EXPECT_EQ(isSigned(drx().get(), link), std::make_pair(S_OK, LONG{1}));
}

}  // namespace
}  // namespace vexamor::signcore::testing
