// The three exports of DxSignIcon.so and its load-time set-up; everything else is hidden.
#include "platform/com/unknown.h"
#include "platform/registry/dword_value.h"
#include "platform/registry/unique_key.h"
#include "signicon/class_factory.h"
#include "signicon/dxsign_icon.h"
#include "signicon/module_state.h"

#define DXSIGNICON_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The per-user switch: bit 0 of this REG_DWORD value turns the overlay on.
constexpr const char16_t* kSettingsKey = u"Software\\Vexamor\\Vexamor Digital Signatures";
constexpr const char16_t* kEnabledValue = u"IconOverlayEnabled";

}  // namespace

DXSIGNICON_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (rclsid != CLSID_VexaSignIconOverlay) return CLASS_E_CLASSNOTAVAILABLE;
  return vexamor::signicon::createClassFactory(riid, ppv);
}

DXSIGNICON_EXPORT HRESULT DllCanUnloadNow() {
  return vexamor::signicon::noLiveObjects() ? S_OK : S_FALSE;
}

// A key that cannot be opened or created, a missing value and a value of another type all
// leave the flag as it was.
DXSIGNICON_EXPORT int RefreshStatus() {
  using vexamor::signicon::overlayEnabled;
  vexamor::registry::UniqueKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
    return overlayEnabled() ? 1 : 0;
  }
  if (const auto value = vexamor::registry::queryDwordValue(key.get(), kEnabledValue)) {
    vexamor::signicon::setOverlayEnabled((*value & 1) != 0);
  }
  return overlayEnabled() ? 1 : 0;
}

namespace {

__attribute__((constructor)) void onProcessAttach() {
  vexamor::signicon::rememberModulePath();
  RefreshStatus();
}

}  // namespace
