#include "signcore/handlers/handler_test_support.h"

#include <unistd.h>

#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/testing/drawing_files.h"

namespace vexamor::signcore::testing {

void HandlerTest::SetUp() {
  dir_ = std::filesystem::temp_directory_path() /
         ("handlers." + std::to_string(::getpid()) + "." +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  registry_.importBuildTree();
}

void HandlerTest::TearDown() {
  std::filesystem::remove_all(dir_);
}

com::ComPtr<IVexaSignFile> HandlerTest::handler(REFCLSID clsid) const {
  com::ComPtr<IVexaSignFile> h;
  EXPECT_EQ(com::createInstance<IVexaSignFile>(clsid, &h), S_OK);
  return h;
}

std::pair<HRESULT, LONG> HandlerTest::isSigned(IVexaSignFile* h, const std::string& path) {
  LONG result = -1;
  const HRESULT hr = h->IsFileSigned(com::Bstr(path).get(), nullptr, &result);
  return {hr, result};
}

std::pair<HRESULT, LONG> HandlerTest::verify(IVexaSignFile* h, const std::string& path) {
  LONG result = -1;
  const HRESULT hr = h->VerifySign(com::Bstr(path).get(), nullptr, &result);
  return {hr, result};
}

std::string HandlerTest::errorSource() {
  com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.out()) != S_OK) return "";
  com::Bstr source;
  info->GetSource(source.out());
  return source.utf8();
}

size_t HandlerTest::entries() const {
  return static_cast<size_t>(
      std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator{}));
}

void storeField(const std::string& path, uint64_t offset, uint32_t value) {
  auto bytes = readFile(path);
  ASSERT_LE(offset + 4, bytes.size());
  storeLe32(&bytes[offset], value);
  ASSERT_TRUE(writeFile(path, bytes));
}

void flipByte(const std::string& path, uint64_t offset) {
  auto bytes = readFile(path);
  ASSERT_LT(offset, bytes.size());
  bytes[offset] ^= 0x01;
  ASSERT_TRUE(writeFile(path, bytes));
}

}  // namespace vexamor::signcore::testing
