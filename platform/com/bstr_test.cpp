#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/task_mem.h"
#include "platform/com/variant.h"

namespace {

TEST(Bstr, CarriesItsByteLengthAndATerminator) {
  BSTR s = SysAllocString(u"abc");
  ASSERT_NE(s, nullptr);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<char*>(s) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 6u);
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);

  BSTR embedded = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(embedded), 3u);
  EXPECT_EQ(embedded[2], u'b');
  SysFreeString(embedded);

  BSTR zeroed = SysAllocStringLen(nullptr, 4);
  EXPECT_EQ(std::u16string(zeroed, 4), std::u16string(4, 0));
  SysFreeString(zeroed);

  BSTR odd = SysAllocStringByteLen("xyz", 3);
  EXPECT_EQ(SysStringByteLen(odd), 3u);
  EXPECT_EQ(SysStringLen(odd), 1u);
  SysFreeString(odd);
}

TEST(Bstr, NullAndImpossibleLengths) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, UINT32_MAX), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, UINT32_MAX / 2), nullptr);
  BSTR s = nullptr;
  EXPECT_EQ(SysReAllocString(&s, u"new"), TRUE);
  EXPECT_EQ(std::u16string(s), u"new");
  SysFreeString(s);
}

TEST(Bstr, OwnerFreesAndHandsOut) {
  vexamor::com::Bstr owned("caf\xC3\xA9");
  EXPECT_EQ(owned.view(), u"caf\u00e9");
  EXPECT_EQ(owned.utf8(), "caf\xC3\xA9");
  vexamor::com::Bstr moved = std::move(owned);
  EXPECT_EQ(owned.get(), nullptr);
  *moved.out() = SysAllocString(u"replaced");  // the old value was freed first
  EXPECT_EQ(moved.view(), u"replaced");
  EXPECT_EQ(vexamor::com::Bstr().view(), u"");
}

TEST(Variant, ClearFreesWhatItHolds) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"owned");
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(TaskMem, ZeroSizedBlocksAreDistinct) {
  void* a = CoTaskMemAlloc(0);
  void* b = CoTaskMemAlloc(0);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(a, b);
  a = CoTaskMemRealloc(a, 64);
  ASSERT_NE(a, nullptr);
  CoTaskMemFree(a);
  CoTaskMemFree(b);
  CoTaskMemFree(nullptr);
}

}  // namespace
