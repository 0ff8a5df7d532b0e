// The runtime's C entry points when memory runs out at any one allocation: E_OUTOFMEMORY
// or success, never an exception through the C interface.
#include <gtest/gtest.h>

#include <functional>

#include "platform/com/com_ptr.h"
#include "platform/com/task_mem.h"
#include "platform/com/testing/allocation_failures.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/idl/dxsigncore16.h"

namespace {

void failEachAllocationOf(const char* what, const std::function<HRESULT()>& call) {
  SCOPED_TRACE(what);
  const uint64_t failed =
      vexamor::testing::failEachAllocation(call, [](HRESULT hr, uint64_t failedAllocation) {
        if (failedAllocation == 0) {
          EXPECT_EQ(hr, S_OK);
        } else {
          EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY)
              << "allocation " << failedAllocation << ": " << std::hex << hr;
        }
      });
  EXPECT_GT(failed, 0u);
}

TEST(ActivationMemory, EntryPointsGiveOutOfMemoryAndNeverThrow) {
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  failEachAllocationOf("CoCreateInstance", [] {
    IVexaSystemTime* time = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_VexaSystemTime, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IVexaSystemTime, reinterpret_cast<void**>(&time));
    if (time != nullptr) time->Release();
    return hr;
  });
  failEachAllocationOf("CoGetClassObject", [] {
    IClassFactory* factory = nullptr;
    const HRESULT hr = CoGetClassObject(CLSID_VexaSignature, CLSCTX_INPROC_SERVER, nullptr,
                                        IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (factory != nullptr) factory->Release();
    return hr;
  });
  failEachAllocationOf("CLSIDFromProgID", [] {
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(u"DxSignCore.VexaSystemTime.1", &clsid);
    return hr == S_OK && clsid != CLSID_VexaSystemTime ? E_FAIL : hr;
  });
  failEachAllocationOf("ProgIDFromCLSID", [] {
    LPOLESTR progId = nullptr;
    const HRESULT hr = ProgIDFromCLSID(CLSID_VexaSystemTime, &progId);
    CoTaskMemFree(progId);
    return hr;
  });
}

}  // namespace
