// The module's exports and class objects, reached the way the COM runtime reaches them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/com/com_ptr.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/proxy_info.h"

namespace {

using vexamor::com::ComPtr;

class Module : public ::testing::Test {
 protected:
  void SetUp() override { registry_.importBuildTree(); }

  // The module as the runtime loaded it (a second dlopen of the same file shares it).
  void* loadedModule() const {
    return dlopen((vexamor::registry::binDir() + "/DxSignCore16.so").c_str(),
                  RTLD_NOW | RTLD_NOLOAD);
  }

  bool isLoaded() const {
    void* module = loadedModule();
    if (module != nullptr) dlclose(module);
    return module != nullptr;
  }

  HRESULT canUnloadNow() const {
    void* module = loadedModule();
    if (module == nullptr) return E_FAIL;
    auto entry = reinterpret_cast<PfnDllCanUnloadNow>(dlsym(module, "DllCanUnloadNow"));
    const HRESULT hr = entry();
    dlclose(module);
    return hr;
  }

  vexamor::registry::TempRegistry registry_;
};

TEST_F(Module, CanUnloadOnlyWithoutObjectsFactoriesOrLocks) {
  ComPtr<IVexaFindSignFile> finder;
  ASSERT_EQ(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  finder.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_VexaSystemTime, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.outVoid()),
            S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);  // the lock alone keeps the module
  ASSERT_EQ(CoGetClassObject(CLSID_VexaSystemTime, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.outVoid()),
            S_OK);
  factory->LockServer(FALSE);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);

  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_FALSE(isLoaded());
  ASSERT_EQ(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder),
            S_OK);  // loaded again on demand
}

TEST_F(Module, AnUnbalancedUnlockNeverFreesAModuleWithLiveObjects) {
  ComPtr<IVexaSystemTime> time;
  ASSERT_EQ(vexamor::com::createInstance<IVexaSystemTime>(CLSID_VexaSystemTime, &time), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_VexaFindSignFile, CLSCTX_INPROC_SERVER, nullptr,
                             IID_IClassFactory, factory.outVoid()),
            S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);  // the time object still lives
  SHORT year = -1;
  EXPECT_EQ(time->get_Year(&year), S_OK);
  time.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Module, IdleModulesAreFreedOnlyAfterTheUnloadDelay) {
  ComPtr<IVexaSystemTime> time;
  ASSERT_EQ(vexamor::com::createInstance<IVexaSystemTime>(CLSID_VexaSystemTime, &time), S_OK);
  time.reset();
  // The default delay is ten minutes: another thread may still be returning from a Release.
  CoFreeUnusedLibraries();
  EXPECT_TRUE(isLoaded());
  CoFreeUnusedLibrariesEx(150, 0);  // idle from now on
  ASSERT_EQ(vexamor::com::createInstance<IVexaSystemTime>(CLSID_VexaSystemTime, &time), S_OK);
  time.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  CoFreeUnusedLibrariesEx(150, 0);  // an activation came between: idle from now
  EXPECT_TRUE(isLoaded());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  CoFreeUnusedLibrariesEx(150, 0);
  EXPECT_FALSE(isLoaded());
}

TEST_F(Module, ClassFactoriesMakeOneObjectPerRequest) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_VexaSystemTime, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.outVoid()),
            S_OK);
  ComPtr<IVexaSystemTime> a, b;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVexaSystemTime, a.outVoid()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IVexaSystemTime, b.outVoid()), S_OK);
  EXPECT_NE(a.get(), b.get());
  ComPtr<IUnknown> outer;
  factory.queryTo(&outer);
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IVexaSecurity, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(Module, EveryClassOfTheTypeLibraryIsServedAndRegistered) {
  void* module = loadedModule();
  if (module == nullptr) {
    ComPtr<IVexaFindSignFile> finder;
    vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder);
    module = loadedModule();
  }
  ASSERT_NE(module, nullptr);
  auto getClassObject = reinterpret_cast<PfnDllGetClassObject>(dlsym(module, "DllGetClassObject"));
  struct Class {
    const CLSID& clsid;
    const IID& iid;
  };
  for (const Class& c : {Class{CLSID_VexaFindSignFile, IID_IVexaFindSignFile},
                         Class{CLSID_VexaSignature, IID_IVexaSignature},
                         Class{CLSID_VexaSignDRX, IID_IVexaSignFile},
                         Class{CLSID_VexaSignAppend, IID_IVexaSignFile},
                         Class{CLSID_VexaGetData, IID_IVexaGetData},
                         Class{CLSID_R18GetData, IID_IVexaGetData},
                         Class{CLSID_VexaSystemTime, IID_IVexaSystemTime},
                         Class{CLSID_VexaSecurity, IID_IVexaSecurity}}) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject(c.clsid, IID_IClassFactory, factory.outVoid()), S_OK);
    ComPtr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, c.iid, object.outVoid()),
              S_OK);
  }
  const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  void* factory = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(getClassObject(unknown, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(dlsym(module, "createClassFactory"), nullptr);  // internals stay hidden
  dlclose(module);
}

TEST_F(Module, ProxyInformationDescribesTheEightInterfaces) {
  ComPtr<IVexaFindSignFile> finder;
  ASSERT_EQ(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder), S_OK);
  void* module = loadedModule();
  ASSERT_NE(module, nullptr);
  auto info = reinterpret_cast<PfnGetProxyDllInfo>(dlsym(module, "GetProxyDllInfo"));
  ASSERT_NE(info, nullptr);
  const ProxyFileInfo** files = nullptr;
  const CLSID* factoryClsid = nullptr;
  info(&files, &factoryClsid);
  ASSERT_NE(files, nullptr);
  ASSERT_NE(files[0], nullptr);
  EXPECT_EQ(files[1], nullptr);
  ASSERT_EQ(files[0]->interfaceCount, 8u);
  EXPECT_EQ(*factoryClsid, IID_IVexaFindSignFile);
  ULONG methods = 0;
  for (ULONG i = 0; i < files[0]->interfaceCount; ++i) {
    methods += files[0]->interfaces[i].methodCount;
  }
  // The second versions count the methods they extend.
  EXPECT_EQ(methods, 6u * 3 + 4 + 4 + 6 + 1 + 6 + 7 + (3 + 4 + 3) + (3 + 6 + 3));
  EXPECT_STREQ(files[0]->interfaces[4].name, "IVexaSystemTime");
  EXPECT_EQ(*files[0]->interfaces[4].iid, IID_IVexaSystemTime);
  dlclose(module);
}

}  // namespace
