#include "platform/com/error_info.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/com/activation.h"
#include "platform/com/com_ptr.h"

namespace {

using vexamor::com::Bstr;
using vexamor::com::ComPtr;

void raise(const char16_t* description) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.out()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  create->SetSource(const_cast<LPOLESTR>(u"Test.Source.1"));
  create->SetGUID(IID_IClassFactory);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(create.queryTo(&info), S_OK);
  ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
}

TEST(ErrorInfo, GetTakesTheObjectOnce) {
  raise(u"first failure");
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
  Bstr description, source;
  GUID guid;
  ASSERT_EQ(info->GetDescription(description.out()), S_OK);
  ASSERT_EQ(info->GetSource(source.out()), S_OK);
  ASSERT_EQ(info->GetGUID(&guid), S_OK);
  EXPECT_EQ(description.view(), u"first failure");
  EXPECT_EQ(source.view(), u"Test.Source.1");
  EXPECT_EQ(guid, IID_IClassFactory);
  EXPECT_EQ(GetErrorInfo(0, info.out()), S_FALSE);
  EXPECT_EQ(info.get(), nullptr);
  EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

TEST(ErrorInfo, EachThreadHasItsOwn) {
  raise(u"main thread");
  std::thread other([] {
    ComPtr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, info.out()), S_FALSE);
    raise(u"other thread");
  });
  other.join();
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
  Bstr description;
  info->GetDescription(description.out());
  EXPECT_EQ(description.view(), u"main thread");
}

TEST(ErrorInfo, LastUninitializeOfAThreadDropsItsError) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  raise(u"pending");
  CoUninitialize();
  ComPtr<IErrorInfo> info;
  raise(u"still pending");
  CoUninitialize();
  EXPECT_EQ(GetErrorInfo(0, info.out()), S_FALSE);
}

TEST(ErrorInfo, InterfacesAreAnsweredAndOthersRefused) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.out()), S_OK);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(create.queryTo(&unknown), S_OK);
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(create.queryTo(&factory), E_NOINTERFACE);
  EXPECT_EQ(factory.get(), nullptr);
}

}  // namespace
