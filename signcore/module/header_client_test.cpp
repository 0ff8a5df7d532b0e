// A client written against the interface header alone: no module code, only the COM runtime.
#include "signcore/idl/dxsigncore16.h"

#include <gtest/gtest.h>

#include "platform/registry/testing/temp_registry.h"

namespace {

TEST(HeaderClient, CreatesTheFinderByClsidAndByProgId) {
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  ASSERT_EQ(CoInitialize(nullptr), S_OK);

  IVexaFindSignFile* byClsid = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_VexaFindSignFile, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IVexaFindSignFile, reinterpret_cast<void**>(&byClsid)),
            S_OK);
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(u"DxSignCore.VexaFindSignFile.1", &clsid), S_OK);
  IVexaFindSignFile* byProgId = nullptr;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IVexaFindSignFile,
                             reinterpret_cast<void**>(&byProgId)),
            S_OK);

  BSTR ext = SysAllocString(u".zip");
  GUID handler = GUID_NULL;
  EXPECT_EQ(byProgId->Lookup(ext, &handler), S_OK);
  EXPECT_TRUE(IsEqualGUID(handler, CLSID_VexaSignAppend));
  SysFreeString(ext);

  EXPECT_EQ(byClsid->Release(), 0u);
  EXPECT_EQ(byProgId->Release(), 0u);
  CoUninitialize();
}

}  // namespace
