#include "platform/com/com_object.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/com_ptr.h"

namespace {

using vexamor::com::ComPtr;
using vexamor::com::createClassFactory;
using vexamor::com::createObject;
using vexamor::com::ModuleCount;
using vexamor::com::ObjectBase;
using vexamor::com::ServerLocks;

// Two modules in one process, each with its own count.
constinit ModuleCount gFirst;
constinit ModuleCount gSecond;

std::atomic<int> gDeleted{0};

// An object with a private destructor that only its base may reach, as the modules' classes
// are written.
template <ModuleCount& Module>
class Thing final : public ObjectBase<Thing<Module>, IUnknown, Module> {
 public:
  static void destroy(Thing* thing) { delete thing; }

 private:
  ~Thing() { ++gDeleted; }
};

HRESULT makeThing(REFIID riid, void** ppv) {
  return createObject<Thing<gFirst>>(riid, ppv);
}

TEST(ComKit, ObjectsAreCountedInTheirOwnModuleUntilTheyGo) {
  gDeleted = 0;
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(createObject<Thing<gFirst>>(IID_IUnknown, a.outVoid()), S_OK);
  ASSERT_EQ(createObject<Thing<gSecond>>(IID_IUnknown, b.outVoid()), S_OK);
  EXPECT_EQ(gFirst.canUnloadNow(), S_FALSE);
  a.reset();
  EXPECT_EQ(gFirst.canUnloadNow(), S_OK);
  EXPECT_EQ(gSecond.canUnloadNow(), S_FALSE) << "the other module's object still lives";
  b.reset();
  EXPECT_EQ(gDeleted, 2);

  // A refused interface frees the object at once and leaves no pointer.
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(createObject<Thing<gFirst>>(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(gDeleted, 3);
  EXPECT_EQ(gFirst.canUnloadNow(), S_OK);
  EXPECT_EQ(createObject<Thing<gFirst>>(IID_IUnknown, nullptr), E_POINTER);
}

TEST(ComKit, FactoriesMakeObjectsAndLockOnlyWhatTheyMayUnlock) {
  ServerLocks locks;
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(createClassFactory<gFirst>(makeThing, &locks, IID_IClassFactory, factory.outVoid()),
            S_OK);
  ComPtr<IUnknown> thing;
  ComPtr<IUnknown> outer;
  ASSERT_EQ(createObject<Thing<gFirst>>(IID_IUnknown, outer.outVoid()), S_OK);
  EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, thing.outVoid()),
            CLASS_E_NOAGGREGATION);
  outer.reset();
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, thing.outVoid()), S_OK);
  thing.reset();
  // Two unlocks after one lock: the second must not take the factory's own count away.
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(gFirst.canUnloadNow(), S_FALSE) << "the lock holds the module";
  ComPtr<IClassFactory> other;
  ASSERT_EQ(createClassFactory<gFirst>(makeThing, &locks, IID_IClassFactory, other.outVoid()),
            S_OK);
  EXPECT_EQ(other->LockServer(FALSE), S_OK) << "another factory of the class may unlock";
  EXPECT_EQ(other->LockServer(FALSE), S_OK);
  EXPECT_EQ(gFirst.canUnloadNow(), S_FALSE) << "the factory that is left still counts";
  other.reset();
  EXPECT_EQ(gFirst.canUnloadNow(), S_OK);

  // Without server locks, the live objects alone keep the module.
  ComPtr<IClassFactory> plain;
  ASSERT_EQ(createClassFactory<gSecond>(makeThing, nullptr, IID_IUnknown, plain.outVoid()), S_OK);
  EXPECT_EQ(plain->LockServer(TRUE), E_NOTIMPL);
  plain.reset();
  EXPECT_EQ(gSecond.canUnloadNow(), S_OK);
}

TEST(ComKit, ManyThreadsMakeShareAndReleaseObjects) {
  ServerLocks locks;
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(createClassFactory<gFirst>(makeThing, &locks, IID_IClassFactory, factory.outVoid()),
            S_OK);
  ComPtr<IUnknown> shared;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, shared.outVoid()), S_OK);
  gDeleted = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        shared->AddRef();
        ComPtr<IUnknown> mine;
        if (factory->CreateInstance(nullptr, IID_IUnknown, mine.outVoid()) != S_OK) std::abort();
        factory->LockServer(TRUE);
        factory->LockServer(FALSE);
        shared->Release();
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(shared->AddRef(), 2u);
  EXPECT_EQ(shared->Release(), 1u);
  EXPECT_EQ(gDeleted, 8 * 2000) << "each thread's own objects went, the shared one stays";
  shared.reset();
  factory.reset();
  EXPECT_EQ(gDeleted, 8 * 2000 + 1);
  EXPECT_EQ(gFirst.canUnloadNow(), S_OK) << "every object, factory and lock is gone";
}

}  // namespace
