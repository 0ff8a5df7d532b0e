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

using vexamor::testing::FailingAllocation;

// Runs `call` with its 1st, 2nd, ... allocation failing until it needs no more.
void failEachAllocation(const char* what, const std::function<HRESULT()>& call) {
  SCOPED_TRACE(what);
  uint64_t n = 1;
  for (;; ++n) {
    HRESULT hr;
    bool happened;
    {
      FailingAllocation failure(n);
      hr = call();
      happened = failure.happened();
    }
    if (!happened) {
      EXPECT_EQ(hr, S_OK);
      break;
    }
    EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << "allocation " << n << ": " << std::hex << hr;
  }
  EXPECT_GT(n, 1u);
}

TEST(ActivationMemory, EntryPointsGiveOutOfMemoryAndNeverThrow) {
  vexamor::registry::TempRegistry registry;
  registry.importBuildTree();
  failEachAllocation("CoCreateInstance", [] {
    IVexaSystemTime* time = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_VexaSystemTime, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IVexaSystemTime, reinterpret_cast<void**>(&time));
    if (time != nullptr) time->Release();
    return hr;
  });
  failEachAllocation("CoGetClassObject", [] {
    IClassFactory* factory = nullptr;
    const HRESULT hr = CoGetClassObject(CLSID_VexaSignature, CLSCTX_INPROC_SERVER, nullptr,
                                        IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (factory != nullptr) factory->Release();
    return hr;
  });
  failEachAllocation("CLSIDFromProgID", [] {
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(u"DxSignCore.VexaSystemTime.1", &clsid);
    return hr == S_OK && clsid != CLSID_VexaSystemTime ? E_FAIL : hr;
  });
  failEachAllocation("ProgIDFromCLSID", [] {
    LPOLESTR progId = nullptr;
    const HRESULT hr = ProgIDFromCLSID(CLSID_VexaSystemTime, &progId);
    CoTaskMemFree(progId);
    return hr;
  });
}

}  // namespace
