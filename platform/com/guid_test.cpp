#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include "platform/com/activation.h"
#include "platform/com/task_mem.h"
#include "platform/com/utf.h"
#include "platform/registry/registry.h"
#include "platform/registry/testing/temp_registry.h"

namespace {

constexpr CLSID kSample = {
    0x47775DA0, 0xE874, 0x4EAF, {0xA2, 0x8C, 0x20, 0xC6, 0xE2, 0xD3, 0x87, 0xA0}};

TEST(Guid, TextFormRoundTrips) {
  OLECHAR text[CHARS_IN_GUID];
  EXPECT_EQ(StringFromGUID2(kSample, text, CHARS_IN_GUID), 39);
  EXPECT_EQ(std::u16string(text), u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0}");
  EXPECT_EQ(StringFromGUID2(kSample, text, 38), 0);

  CLSID parsed;
  ASSERT_EQ(CLSIDFromString(u"{47775da0-e874-4eaf-a28c-20c6e2d387a0}", &parsed), S_OK);
  EXPECT_EQ(parsed, kSample);

  LPOLESTR allocated = nullptr;
  ASSERT_EQ(StringFromCLSID(kSample, &allocated), S_OK);
  EXPECT_EQ(std::u16string(allocated), std::u16string(text));
  CoTaskMemFree(allocated);
}

TEST(Guid, MalformedTextIsRefusedWithAZeroedResult) {
  vexamor::registry::TempRegistry registry;  // so no ProgID lookup can succeed
  for (const char16_t* bad :
       {u"", u"{47775DA0-E874-4EAF-A28C-20C6E2D387A}", u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0",
        u"47775DA0-E874-4EAF-A28C-20C6E2D387A0", u"{47775DA0xE874-4EAF-A28C-20C6E2D387A0}",
        u"{4777 DA0-E874-4EAF-A28C-20C6E2D387A0}", u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0}x",
        u"{G7775DA0-E874-4EAF-A28C-20C6E2D387A0}", u"not a clsid"}) {
    CLSID out = kSample;
    EXPECT_EQ(CLSIDFromString(bad, &out), CO_E_CLASSSTRING) << vexamor::text::utf16ToUtf8(bad);
    EXPECT_EQ(out, CLSID_NULL);
  }
  IID iid = kSample;
  EXPECT_EQ(IIDFromString(u"{bad}", &iid), E_INVALIDARG);
  EXPECT_EQ(iid, GUID_NULL);
  CLSID nullText = kSample;
  EXPECT_EQ(CLSIDFromString(nullptr, &nullText), S_OK);
  EXPECT_EQ(nullText, CLSID_NULL);
  EXPECT_EQ(CLSIDFromString(u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0}", nullptr), E_INVALIDARG);
}

TEST(Guid, ProgIdsResolveThroughTheClassesRoot) {
  vexamor::registry::TempRegistry registry;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Sample.Thing.1\\CLSID", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string text = u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0}";
  ASSERT_EQ(
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), 78),
      ERROR_SUCCESS);
  RegCloseKey(key);
  CLSID clsid;
  EXPECT_EQ(CLSIDFromProgID(u"sample.thing.1", &clsid), S_OK);
  EXPECT_EQ(clsid, kSample);
  EXPECT_EQ(CLSIDFromString(u"Sample.Thing.1", &clsid), S_OK);
  EXPECT_EQ(clsid, kSample);
  EXPECT_EQ(CLSIDFromProgID(u"Sample.Missing.1", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(u"Sample.Thing.1\\CLSID", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(std::u16string(100000, u'p').c_str(), &clsid), CO_E_CLASSSTRING);
}

TEST(Activation, UnregisteredClassesAndBrokenRegistrations) {
  vexamor::registry::TempRegistry registry;
  IUnknown* unknown = reinterpret_cast<IUnknown*>(0x1);
  EXPECT_EQ(CoCreateInstance(kSample, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(unknown, nullptr);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT,
                            u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\InprocServer32", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::u16string path = u"/nonexistent/Module.so";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>(path.size() * 2 + 2));
  RegCloseKey(key);
  EXPECT_EQ(CoCreateInstance(kSample, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(CoCreateInstance(kSample, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(kSample, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
            E_POINTER);
}

}  // namespace
