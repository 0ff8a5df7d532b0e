// The three exports of DxSignCore16.so; everything else in the module is hidden.
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/class_factory.h"
#include "signcore/module/class_table.h"
#include "signcore/module/proxy_info.h"

#define DXSIGNCORE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr ProxyInterfaceInfo kInterfaces[] = {
    {&IID_IVexaFindSignFile, "IVexaFindSignFile", 7}, {&IID_IVexaSignFile, "IVexaSignFile", 7},
    {&IID_IVexaSignature, "IVexaSignature", 9},       {&IID_IVexaGetData, "IVexaGetData", 4},
    {&IID_IVexaSystemTime, "IVexaSystemTime", 9},     {&IID_IVexaSecurity, "IVexaSecurity", 10},
    {&IID_IVexaSignFile2, "IVexaSignFile2", 10},      {&IID_IVexaSignature2, "IVexaSignature2", 12},
};
constexpr ProxyFileInfo kProxyFile = {kInterfaces, std::size(kInterfaces)};
const ProxyFileInfo* const kProxyFiles[] = {&kProxyFile, nullptr};

}  // namespace

DXSIGNCORE_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  const auto* cls = vexamor::signcore::findClass(rclsid);
  if (cls == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return vexamor::signcore::createClassFactory(*cls, riid, ppv);
}

DXSIGNCORE_EXPORT HRESULT DllCanUnloadNow() {
  return vexamor::signcore::moduleCanUnload() ? S_OK : S_FALSE;
}

DXSIGNCORE_EXPORT void GetProxyDllInfo(const ProxyFileInfo*** pInfo, const CLSID** pId) {
  if (pInfo != nullptr) *pInfo = const_cast<const ProxyFileInfo**>(kProxyFiles);
  if (pId != nullptr) *pId = &IID_IVexaFindSignFile;
}
