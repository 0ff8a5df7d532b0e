#include "signicon/testing/overlay_testing.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/com/guid.h"
#include "platform/com/utf.h"
#include "platform/registry/reg_import.h"
#include "platform/registry/testing/temp_registry.h"
#include "platform/registry/unique_key.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signicon::testing {
namespace {

constexpr const char16_t* kSettingsKey = u"Software\\Vexamor\\Vexamor Digital Signatures";

std::string guidText(REFGUID guid) {
  OLECHAR text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return text::utf16ToUtf8(text);
}

std::string serverKey(REFCLSID clsid, const std::string& module) {
  return "[HKEY_CLASSES_ROOT\\CLSID\\" + guidText(clsid) + "\\InprocServer32]\n@=\"" + module +
         "\"\n\"ThreadingModel\"=\"Both\"\n\n";
}

template <class F>
F exported(void* handle, const char* name) {
  return reinterpret_cast<F>(dlsym(handle, name));
}

void setEnabled(DWORD type, const void* data, DWORD size) {
  registry::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.get(), u"IconOverlayEnabled", 0, type,
                           static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

}  // namespace

std::string iconModulePath() {
  return registry::binDir() + "/DxSignIcon.so";
}

std::string fakeCorePath() {
  return VEXAMOR_FAKE_CORE;
}

void registerOverlay() {
  std::ifstream in(registry::binDir() + "/DxSignIcon.reg", std::ios::binary);
  ASSERT_TRUE(in) << "no DxSignIcon.reg in " << registry::binDir();
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const auto result = registry::importRegText(bytes);
  ASSERT_EQ(result.error, 0);
  ASSERT_TRUE(result.problems.empty()) << result.problems.front();
}

void registerFakeCore(bool withFinder) {
  std::string text = serverKey(CLSID_FakeSignHandler, fakeCorePath()) +
                     serverKey(CLSID_FakePlainObject, fakeCorePath());
  if (withFinder) text += serverKey(CLSID_VexaFindSignFile, fakeCorePath());
  importRegistryText(text);
}

void importRegistryText(const std::string& text) {
  const auto result = registry::importRegText("Windows Registry Editor Version 5.00\n\n" + text);
  ASSERT_EQ(result.error, 0);
  ASSERT_TRUE(result.problems.empty()) << result.problems.front();
}

bool setFileTypeHandler(const char16_t* extension, const char16_t* clsid) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                    u"CLSID\\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\\SupportedExtensions", 0,
                    KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LONG rc =
      clsid == nullptr
          ? RegDeleteValueW(key, extension)
          : RegSetValueExW(key, extension, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                           static_cast<DWORD>(std::char_traits<char16_t>::length(clsid) * 2));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

void setEnabledValue(DWORD value) {
  setEnabled(REG_DWORD, &value, sizeof value);
}

void setEnabledValueAsString(const std::string& value) {
  const std::u16string wide = text::utf8ToUtf16(value);
  setEnabled(REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t)));
}

std::string fakeAnswers(HRESULT signedHr, LONG signedFlag, HRESULT verifyHr, LONG verifyFlag,
                        HRESULT extractHr) {
  char text[160];
  std::snprintf(text, sizeof text,
                "IsFileSigned=0x%08X,%d VerifySign=0x%08X,%d ExtractSignatureInfo=0x%08X\n",
                static_cast<unsigned>(signedHr), signedFlag, static_cast<unsigned>(verifyHr),
                verifyFlag, static_cast<unsigned>(extractHr));
  return text;
}

std::string signedAnswers() {
  return fakeAnswers(S_OK, 1, S_OK, 1, S_OK);
}

std::string tamperedAnswers() {
  return fakeAnswers(S_OK, 1, S_OK, 0, S_OK);
}

std::string unsignedAnswers() {
  return fakeAnswers(S_OK, 0, S_OK, 0, E_FAIL);
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  ASSERT_TRUE(out.flush()) << "cannot write " << path;
}

FakeCore::FakeCore() : handle_(dlopen(fakeCorePath().c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) {
    ADD_FAILURE() << "cannot load " << fakeCorePath() << ": " << dlerror();
    static FakeCoreCounters none;
    counters_ = &none;
    return;
  }
  counters_ = exported<PfnFakeCoreCounters>(handle_, "FakeCoreCountersGet")();
  reset();
}

FakeCore::~FakeCore() {
  if (handle_ != nullptr) dlclose(handle_);
}

long FakeCore::objectsMade() const {
  return counters_->findersMade + counters_->handlersMade + counters_->timesMade;
}

std::string FakeCore::lastExtension() const {
  char extension[1100] = {}, path[1100] = {};
  if (handle_ != nullptr) {
    exported<PfnFakeCoreLastSeen>(handle_, "FakeCoreLastSeen")(extension, path, sizeof path);
  }
  return extension;
}

std::string FakeCore::lastPath() const {
  char extension[1100] = {}, path[1100] = {};
  if (handle_ != nullptr) {
    exported<PfnFakeCoreLastSeen>(handle_, "FakeCoreLastSeen")(extension, path, sizeof path);
  }
  return path;
}

void FakeCore::reset() const {
  if (handle_ != nullptr) exported<PfnFakeCoreReset>(handle_, "FakeCoreReset")();
}

TempFolder::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/overlay.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a folder";
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vexamor::signicon::testing
