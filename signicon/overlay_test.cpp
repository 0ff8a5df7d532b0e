// DxSignIcon as the shell meets it: loaded through COM from the registry, asked about files,
// with a fake core (testing/fake_core.h) that counts every object and call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "platform/registry/testing/temp_registry.h"
#include "platform/registry/unique_key.h"
#include "signcore/idl/dxsigncore16.h"
#include "signicon/dxsign_icon.h"
#include "signicon/testing/overlay_testing.h"

namespace {

using namespace vexamor::signicon::testing;
using vexamor::com::ComPtr;

constexpr const char16_t* kSettingsKey = u"Software\\Vexamor\\Vexamor Digital Signatures";

bool isLoaded(const std::string& module) {
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every test starts from a fresh load, so the switch is read from its own registry.
    ASSERT_FALSE(isLoaded(iconModulePath())) << "an earlier test left the module loaded";
    registry_.importBuildTree();
    registerOverlay();
    registerFakeCore(withFakeFinder());
  }

  void TearDown() override {
    overlay_.reset();
    if (icon_ != nullptr) dlclose(icon_);
    CoFreeUnusedLibrariesEx(0, 0);  // no other thread: nothing needs the unload delay
    EXPECT_FALSE(isLoaded(iconModulePath())) << "an object of DxSignIcon was never released";
  }

  virtual bool withFakeFinder() const { return true; }

  // The handler as a shell gets it.
  IShellIconOverlayIdentifier* overlay() {
    if (!overlay_) {
      EXPECT_EQ(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                          &overlay_),
                S_OK);
    }
    return overlay_.get();
  }

  HRESULT isMemberOf(const std::string& path) {
    return overlay()->IsMemberOf(vexamor::text::utf8ToUtf16(path).c_str(), 0);
  }

  template <class F>
  F iconExport(const char* name) {
    if (icon_ == nullptr) icon_ = dlopen(iconModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(icon_, nullptr) << dlerror();
    return icon_ != nullptr ? reinterpret_cast<F>(dlsym(icon_, name)) : nullptr;
  }
  int refreshStatus() { return iconExport<PfnRefreshStatus>("RefreshStatus")(); }
  HRESULT canUnloadNow() { return iconExport<PfnDllCanUnloadNow>("DllCanUnloadNow")(); }
  HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    return iconExport<PfnDllGetClassObject>("DllGetClassObject")(clsid, iid, ppv);
  }

  std::string file(const std::string& name, const std::string& answers) {
    const std::string path = folder_.path() + "/" + name;
    writeFile(path, answers);
    return path;
  }

  vexamor::registry::TempRegistry registry_;
  FakeCore core_;
  TempFolder folder_;
  ComPtr<IShellIconOverlayIdentifier> overlay_;
  void* icon_ = nullptr;
};

TEST_F(Overlay, ServesItsOneClassAndNothingElse) {
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(getClassObject(CLSID_VexaFindSignFile, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(getClassObject(CLSID_VexaSignIconOverlay, IID_IShellIconOverlayIdentifier, &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_VexaSignIconOverlay, IID_IClassFactory, factory.outVoid()), S_OK);
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(factory.queryTo(&unknown), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(factory.get()));
  ComPtr<IShellIconOverlayIdentifier> wrong;
  EXPECT_EQ(factory.queryTo(&wrong), E_NOINTERFACE);
  EXPECT_EQ(wrong.get(), nullptr);

  out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(unknown.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
  EXPECT_EQ(factory->LockServer(FALSE), E_NOTIMPL);

  ComPtr<IShellIconOverlayIdentifier> a, b;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, a.outVoid()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, b.outVoid()), S_OK);
  EXPECT_NE(a.get(), b.get());
  ComPtr<IVexaSignFile> notOurs;
  EXPECT_EQ(a.queryTo(&notOurs), E_NOINTERFACE);
  EXPECT_EQ(notOurs.get(), nullptr);
  EXPECT_EQ(dlsym(icon_, "_ZN7vexamor8signicon18createClassFactoryERK4GUIDPPv"), nullptr)
      << "only the three exports are visible";
}

TEST_F(Overlay, LiveFactoriesAndHandlersKeepTheModuleLoaded) {
  EXPECT_EQ(canUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_VexaSignIconOverlay, IID_IClassFactory, factory.outVoid()), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  ComPtr<IShellIconOverlayIdentifier> handler;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, handler.outVoid()),
            S_OK);
  factory.reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  handler->AddRef();
  EXPECT_EQ(handler->Release(), 1u);
  handler.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Overlay, NamesIconZeroOfItsOwnFileAtTheHighestPriority) {
  std::string expected = std::filesystem::canonical(iconModulePath()).string();
  char16_t buffer[1024];
  int index = -1;
  DWORD flags = 0;
  ASSERT_EQ(overlay()->GetOverlayInfo(buffer, 1024, &index, &flags), S_OK);
  EXPECT_EQ(vexamor::text::utf16ToUtf8(buffer), expected);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(flags, ISIOI_ICONFILE | ISIOI_ICONINDEX);
  int priority = -1;
  EXPECT_EQ(overlay()->GetPriority(&priority), S_OK);
  EXPECT_EQ(priority, 0);

  // One character short: no path rather than the name of another file.
  const int tooFew = static_cast<int>(vexamor::text::utf8ToUtf16(expected).size());
  EXPECT_EQ(overlay()->GetOverlayInfo(buffer, tooFew, &index, &flags),
            HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(overlay()->GetOverlayInfo(buffer, tooFew + 1, &index, &flags), S_OK);
  EXPECT_EQ(overlay()->GetOverlayInfo(nullptr, 1024, &index, &flags), E_POINTER);
  EXPECT_EQ(overlay()->GetPriority(nullptr), E_POINTER);
}

TEST_F(Overlay, ASignedValidFileGetsTheOverlayAndEverythingIsReleased) {
  const std::string path = file("site plan.fake", signedAnswers());
  EXPECT_EQ(isMemberOf(path), S_OK);
  EXPECT_EQ(core_.counters().findersMade, 1);
  EXPECT_EQ(core_.counters().handlersMade, 1);
  EXPECT_EQ(core_.counters().timesMade, 3);
  EXPECT_EQ(core_.counters().liveObjects, 0);
  EXPECT_EQ(core_.counters().reservedArguments, 0);
  EXPECT_EQ(core_.lastExtension(), ".fake");
  EXPECT_EQ(core_.lastPath(), path);

  // Nothing is cached: the second question makes both objects again.
  EXPECT_EQ(isMemberOf(path), S_OK);
  EXPECT_EQ(core_.counters().findersMade, 2);
  EXPECT_EQ(core_.counters().isFileSignedCalls, 2);
}

TEST_F(Overlay, OnlyExactYesAnswersOfTheHandlerGiveTheOverlay) {
  struct Case {
    const char* what;
    std::string answers;
    HRESULT expected;
    long verifyCalls, extractCalls;
  };
  const Case cases[] = {
      {"signed answered S_FALSE with the flag set", fakeAnswers(S_FALSE, 1, S_OK, 1, S_OK),
       S_FALSE, 0, 0},
      {"not signed", unsignedAnswers(), S_FALSE, 0, 0},
      {"signed check failed", fakeAnswers(E_FAIL, 1, S_OK, 1, S_OK), S_FALSE, 0, 0},
      {"no longer verifies", tamperedAnswers(), S_FALSE, 1, 0},
      {"verified answered S_FALSE", fakeAnswers(S_OK, 1, S_FALSE, 1, S_OK), S_FALSE, 1, 0},
      {"verification failed", fakeAnswers(S_OK, 1, TRUST_E_CERT_SIGNATURE, 1, S_OK), S_FALSE, 1,
       0},
      {"details unreadable", fakeAnswers(S_OK, 1, S_OK, 1, E_FAIL), S_FALSE, 1, 1},
      {"details with a success code", fakeAnswers(S_OK, 1, S_OK, 1, S_FALSE), S_OK, 1, 1},
      {"any non-zero flag", fakeAnswers(S_OK, -1, S_OK, 2, S_OK), S_OK, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core_.reset();
    EXPECT_EQ(isMemberOf(file("drawing.fake", c.answers)), c.expected);
    EXPECT_EQ(core_.counters().isFileSignedCalls, 1);
    EXPECT_EQ(core_.counters().verifySignCalls, c.verifyCalls);
    EXPECT_EQ(core_.counters().extractCalls, c.extractCalls);
    EXPECT_EQ(core_.counters().liveObjects, 0);
  }
}

TEST_F(Overlay, WithoutExtensionNoObjectOfTheCoreIsMade) {
  const std::string dotted = folder_.path() + "/build.d";
  std::filesystem::create_directory(dotted);
  for (const std::string& path : {file("README", signedAnswers()), dotted + "/Makefile",
                                  folder_.path() + "/notes.fake draft", folder_.path() + "/",
                                  std::string()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(isMemberOf(path), S_FALSE);
  }
  EXPECT_EQ(overlay()->IsMemberOf(nullptr, 0), S_FALSE);
  EXPECT_EQ(core_.objectsMade(), 0);
  EXPECT_EQ(core_.counters().lookups, 0);

  // Only the last element's last dot counts.
  const std::string inDottedFolder = dotted + "/survey.tar.fake";
  writeFile(inDottedFolder, signedAnswers());
  EXPECT_EQ(isMemberOf(inDottedFolder), S_OK);
  EXPECT_EQ(core_.lastExtension(), ".fake");
}

TEST_F(Overlay, FailuresOnTheWayToTheHandlerGiveNoOverlay) {
  EXPECT_EQ(isMemberOf(file("letter.txt", signedAnswers())), S_FALSE);  // no handler for it
  EXPECT_EQ(core_.counters().lookups, 1);
  EXPECT_EQ(core_.counters().handlersMade, 0);
  EXPECT_EQ(isMemberOf(file("model.gone", signedAnswers())), S_FALSE);  // class not registered
  EXPECT_EQ(isMemberOf(file("model.plain", signedAnswers())), S_FALSE);  // no IVexaSignFile
  EXPECT_EQ(core_.counters().handlersMade, 1);
  EXPECT_EQ(isMemberOf(folder_.path() + "/missing.fake"), S_FALSE);
  EXPECT_EQ(core_.counters().liveObjects, 0);

  HKEY clsid = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_ALL_ACCESS, &clsid), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(clsid, u"{47775DA0-E874-4EAF-A28C-20C6E2D387A0}"), ERROR_SUCCESS);
  RegCloseKey(clsid);
  core_.reset();
  EXPECT_EQ(isMemberOf(file("drawing.fake", signedAnswers())), S_FALSE);  // no core at all
  EXPECT_EQ(core_.objectsMade(), 0);
}

TEST_F(Overlay, ThePathReachesTheHandlerThroughItsNarrowForm) {
  const std::string path = file("Übersicht Straße.FAKE", signedAnswers());
  EXPECT_EQ(isMemberOf(path), S_OK);
  EXPECT_EQ(core_.lastPath(), path);
  EXPECT_EQ(core_.lastExtension(), ".FAKE");

  // 1023 bytes and the terminator fill the buffer; one byte more would cut the path.
  std::string longest = "/";
  while (longest.size() < 1023 - 5) longest += longest.size() % 200 == 0 ? '/' : 'x';
  longest += ".fake";
  ASSERT_EQ(longest.size(), 1023u);
  core_.reset();
  EXPECT_EQ(isMemberOf(longest), S_FALSE);  // no such file, but asked about
  EXPECT_EQ(core_.counters().isFileSignedCalls, 1);
  EXPECT_EQ(core_.lastPath(), longest);
  core_.reset();
  EXPECT_EQ(isMemberOf("/" + longest), S_FALSE);
  EXPECT_EQ(core_.objectsMade(), 0);
}

TEST_F(Overlay, SwitchIsReadOnLoadAndByRefreshStatus) {
  // A missing key is created when the module loads; the module starts enabled.
  HKEY software = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Vexamor", 0, KEY_ALL_ACCESS, &software),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(software, u"Vexamor Digital Signatures"), ERROR_SUCCESS);
  RegCloseKey(software);
  setEnabledValue(0);
  ASSERT_FALSE(isLoaded(vexamor::registry::binDir() + "/DxSignCore16.so"));
  const std::string signedFile = file("a.fake", signedAnswers());
  EXPECT_EQ(isMemberOf(signedFile), S_FALSE);  // read at load
  EXPECT_EQ(core_.objectsMade(), 0);
  // Loading the handler pulled in no part of the core.
  EXPECT_FALSE(isLoaded(vexamor::registry::binDir() + "/DxSignCore16.so"));

  setEnabledValue(1);
  EXPECT_EQ(isMemberOf(signedFile), S_FALSE);  // no effect until refreshed
  EXPECT_EQ(refreshStatus(), 1);
  EXPECT_EQ(isMemberOf(signedFile), S_OK);

  struct Step {
    DWORD value;
    int state;
  };
  for (const Step step : {Step{0, 0}, Step{3, 1}, Step{2, 0}, Step{0xFFFFFFFF, 1}}) {
    setEnabledValue(step.value);
    EXPECT_EQ(refreshStatus(), step.state) << step.value;
    EXPECT_EQ(isMemberOf(signedFile), step.state == 1 ? S_OK : S_FALSE) << step.value;
  }
  core_.reset();
  setEnabledValue(0);
  EXPECT_EQ(refreshStatus(), 0);
  EXPECT_EQ(isMemberOf(signedFile), S_FALSE);
  EXPECT_EQ(core_.objectsMade(), 0);
}

TEST_F(Overlay, OtherValuesAndUnreadableSettingsKeepTheState) {
  EXPECT_EQ(refreshStatus(), 1);  // no value: enabled
  setEnabledValueAsString("0");
  EXPECT_EQ(refreshStatus(), 1);
  setEnabledValue(0);
  EXPECT_EQ(refreshStatus(), 0);
  setEnabledValueAsString("1");
  EXPECT_EQ(refreshStatus(), 0);

  const std::string blocked = folder_.path() + "/not-a-folder";
  writeFile(blocked, "");
  const std::string previous = getenv("VEXAMOR_REGISTRY");
  setenv("VEXAMOR_REGISTRY", blocked.c_str(), 1);
  EXPECT_EQ(refreshStatus(), 0);  // the key can be neither opened nor created
  setenv("VEXAMOR_REGISTRY", previous.c_str(), 1);
  setEnabledValue(1);
  EXPECT_EQ(refreshStatus(), 1);
  setenv("VEXAMOR_REGISTRY", blocked.c_str(), 1);
  EXPECT_EQ(refreshStatus(), 1);
  setenv("VEXAMOR_REGISTRY", previous.c_str(), 1);
}

// The real file-type registry in front of the fake handler.
class OverlayWithRealFinder : public Overlay {
 protected:
  bool withFakeFinder() const override { return false; }
};

TEST_F(OverlayWithRealFinder, FindsTheHandlerThroughTheCoresFileTypeRegistry) {
  {
    ComPtr<IVexaFindSignFile> finder;
    ASSERT_EQ(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder),
              S_OK);
    GUID handler = CLSID_FakeSignHandler;
    ASSERT_EQ(finder->Register(vexamor::com::Bstr(std::string_view(".fake")).get(), &handler),
              S_OK);
  }
  EXPECT_EQ(isMemberOf(file("Plan.FAKE", signedAnswers())), S_OK);
  EXPECT_EQ(isMemberOf(file("Plan.tampered.fake", tamperedAnswers())), S_FALSE);
  EXPECT_EQ(isMemberOf(file("Plan.txt", signedAnswers())), S_FALSE);
  EXPECT_EQ(core_.counters().lookups, 0);
  EXPECT_EQ(core_.counters().handlersMade, 2);
  EXPECT_EQ(core_.counters().liveObjects, 0);
}

}  // namespace
