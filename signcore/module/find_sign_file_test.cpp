// The file-type registry as a client sees it: created through CoCreateInstance from the
// registration that the build wrote for its own bin folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"
#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"
#include "platform/registry/unique_key.h"
#include "signcore/idl/dxsigncore16.h"

namespace {

using vexamor::com::Bstr;
using vexamor::com::ComPtr;

constexpr GUID kGarbage = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr const char16_t* kExtensionsKey =
    u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\SupportedExtensions";

class FindSignFile : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importBuildTree();
    ASSERT_EQ(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder_),
              S_OK);
  }

  // Returns the listed extensions, or the failure code as the only element.
  std::vector<std::u16string> list(HRESULT* result = nullptr) {
    LONG count = -1;
    BSTR* names = reinterpret_cast<BSTR*>(0x1);
    const HRESULT hr = finder_->GetSupportedExtensions(&count, &names);
    if (result != nullptr) *result = hr;
    std::vector<std::u16string> out;
    if (FAILED(hr) || count == 0) {
      EXPECT_EQ(count, 0);
      EXPECT_EQ(names, nullptr);
      return out;
    }
    for (LONG i = 0; i < count; ++i) {
      out.emplace_back(names[i], SysStringLen(names[i]));
      SysFreeString(names[i]);
    }
    CoTaskMemFree(names);
    return out;
  }

  HRESULT lookup(const char16_t* ext, GUID* clsid) {
    *clsid = kGarbage;
    return finder_->Lookup(Bstr(std::u16string_view(ext)).get(), clsid);
  }

  static void expectError(const char16_t* description, const IID& iid = IID_IVexaFindSignFile,
                          const char16_t* source = kProgIdVexaFindSignFile) {
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
    Bstr text, from;
    GUID guid;
    info->GetDescription(text.out());
    info->GetSource(from.out());
    info->GetGUID(&guid);
    EXPECT_EQ(text.view(), description);
    EXPECT_EQ(from.view(), source);
    EXPECT_EQ(guid, iid);
  }

  vexamor::registry::TempRegistry registry_;
  ComPtr<IVexaFindSignFile> finder_;
};

TEST_F(FindSignFile, SetupRegistersTheFiveDefaultsInOrder) {
  EXPECT_EQ(list(), (std::vector<std::u16string>{u".drx", u".drt", u".drs", u".zip", u".exe"}));
  GUID clsid;
  ASSERT_EQ(lookup(u".drs", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaSignDRX);
  ASSERT_EQ(lookup(u".exe", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaSignAppend);
}

TEST_F(FindSignFile, EveryDefaultLookupNamesAHandlerThatCanBeMade) {
  for (const std::u16string& ext : list()) {
    GUID clsid;
    ASSERT_EQ(lookup(ext.c_str(), &clsid), S_OK);
    ComPtr<IVexaSignFile> handler;
    EXPECT_EQ(vexamor::com::createInstance<IVexaSignFile>(clsid, &handler), S_OK)
        << vexamor::text::utf16ToUtf8(ext);
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(clsid, &progId), S_OK);
    EXPECT_TRUE(std::u16string_view(progId) == kProgIdVexaSignDRX ||
                std::u16string_view(progId) == kProgIdVexaSignAppend);
    CoTaskMemFree(progId);
  }
}

TEST_F(FindSignFile, LookupIgnoresTheCaseOfTheExtension) {
  GUID clsid;
  ASSERT_EQ(lookup(u".DRX", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaSignDRX);
  ASSERT_EQ(lookup(u".ZiP", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaSignAppend);
}

TEST_F(FindSignFile, LookupFailuresAreReportedAndLeaveAZeroClsid) {
  GUID clsid;
  EXPECT_EQ(lookup(u".pdf", &clsid), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(clsid, CLSID_NULL);
  expectError(u"The system cannot find the file specified.");

  EXPECT_EQ(lookup(u"", &clsid), E_INVALIDARG);
  EXPECT_EQ(clsid, CLSID_NULL);
  expectError(u"The parameter is incorrect.");

  EXPECT_EQ(finder_->Lookup(nullptr, &clsid), E_POINTER);
  expectError(u"Invalid pointer");
  EXPECT_EQ(finder_->Lookup(Bstr(u".drx").get(), nullptr), E_POINTER);
}

TEST_F(FindSignFile, DataThatIsNotAClsidFailsWithTheParseError) {
  vexamor::registry::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, kExtensionsKey, 0, KEY_SET_VALUE, key.out()),
            ERROR_SUCCESS);
  const std::u16string junk = u"not a clsid";
  ASSERT_EQ(RegSetValueExW(key.get(), u".bad", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(junk.c_str()), 24),
            ERROR_SUCCESS);
  const std::u16string tooLong(600, u'7');  // fills more than the 1024-byte read buffer
  ASSERT_EQ(RegSetValueExW(key.get(), u".long", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(tooLong.c_str()), 1202),
            ERROR_SUCCESS);
  GUID clsid;
  EXPECT_EQ(lookup(u".BAD", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(clsid, CLSID_NULL);
  expectError(u"Invalid class string");
  EXPECT_EQ(lookup(u".long", &clsid), HRESULT_FROM_WIN32(ERROR_MORE_DATA));
  EXPECT_EQ(clsid, CLSID_NULL);
}

TEST_F(FindSignFile, RegisterStoresTheLowerCaseNameAndTheBracedClsid) {
  GUID handler = CLSID_VexaSignDRX;
  ASSERT_EQ(finder_->Register(Bstr(u".DWG").get(), &handler), S_OK);
  handler = CLSID_VexaSignAppend;
  ASSERT_EQ(finder_->Register(Bstr(u".drt").get(), &handler), S_OK);  // replaced in place
  EXPECT_EQ(list(),
            (std::vector<std::u16string>{u".drx", u".drt", u".drs", u".zip", u".exe", u".dwg"}));
  GUID clsid;
  ASSERT_EQ(lookup(u".drt", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaSignAppend);
  EXPECT_NE(registry_.readHiveFile("HKEY_CLASSES_ROOT")
                .find("\".dwg\"=\"{72EC5935-3EC3-4E94-A3F1-D2FC478521C2}\""),
            std::string::npos);
}

TEST_F(FindSignFile, RegisterRefusesWhatNoLookupCouldFind) {
  GUID handler = CLSID_VexaSignDRX;
  EXPECT_EQ(finder_->Register(nullptr, &handler), E_POINTER);
  EXPECT_EQ(finder_->Register(Bstr(u".x").get(), nullptr), E_POINTER);
  EXPECT_EQ(finder_->Register(Bstr(u"").get(), &handler), E_INVALIDARG);
  EXPECT_EQ(finder_->Register(Bstr(std::u16string(20000, u'x')).get(), &handler), E_INVALIDARG);
  expectError(u"The parameter is incorrect.");
  EXPECT_EQ(list().size(), 5u);

  // A long but storable extension still lists and looks up.
  const std::u16string longExt = u"." + std::u16string(700, u'q');
  ASSERT_EQ(finder_->Register(Bstr(longExt).get(), &handler), S_OK);
  EXPECT_EQ(list().back(), longExt);
  GUID clsid;
  EXPECT_EQ(lookup(longExt.c_str(), &clsid), S_OK);
}

TEST_F(FindSignFile, LastUnregisterRemovesTheKeyButAnEmptyKeyListsNothing) {
  EXPECT_EQ(finder_->Unregister(Bstr(u".pdf").get()), S_OK);  // not there: still S_OK
  for (const char16_t* ext : {u".DRX", u".drt", u".drs", u".zip", u".exe"}) {
    ASSERT_EQ(finder_->Unregister(Bstr(std::u16string_view(ext)).get()), S_OK);
  }
  HRESULT hr;
  EXPECT_TRUE(list(&hr).empty());
  EXPECT_EQ(hr, static_cast<HRESULT>(0x80070002));
  expectError(u"The system cannot find the file specified.");
  EXPECT_EQ(finder_->Unregister(Bstr(u".drx").get()), static_cast<HRESULT>(0x80070002));

  vexamor::registry::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kExtensionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(list(&hr).empty());
  EXPECT_EQ(hr, S_OK);

  GUID handler = CLSID_VexaSignDRX;
  ASSERT_EQ(finder_->Register(Bstr(u".drx").get(), &handler), S_OK);
  EXPECT_EQ(list(), std::vector<std::u16string>{u".drx"});
  EXPECT_EQ(finder_->Unregister(nullptr), E_POINTER);
  EXPECT_EQ(finder_->Unregister(Bstr(u"").get()), E_INVALIDARG);
}

TEST_F(FindSignFile, NullArgumentsOfTheListing) {
  LONG count = 7;
  EXPECT_EQ(finder_->GetSupportedExtensions(&count, nullptr), E_POINTER);
  BSTR* names = nullptr;
  EXPECT_EQ(finder_->GetSupportedExtensions(nullptr, &names), E_POINTER);
  expectError(u"Invalid pointer");
}

TEST_F(FindSignFile, ClientsFindTheClassByProgId) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(kProgIdVexaFindSignFile, &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaFindSignFile);
  ASSERT_EQ(CLSIDFromProgID(u"DxSignCore.VexaFindSignFile", &clsid), S_OK);  // version-free
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.outVoid()),
            S_OK);
  ComPtr<IVexaFindSignFile> finder;
  EXPECT_EQ(unknown.queryTo(&finder), S_OK);
  ComPtr<IVexaSignFile> wrong;
  EXPECT_EQ(unknown.queryTo(&wrong), E_NOINTERFACE);
}

}  // namespace
