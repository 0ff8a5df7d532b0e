#include "signicon/vexa_sign_icon_overlay.h"

#include <array>
#include <cstring>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/shell_path.h"
#include "platform/com/utf.h"
#include "platform/registry/call_chain.h"
#include "signcore/idl/dxsigncore16.h"
#include "signicon/com_object.h"

namespace vexamor::signicon {
namespace {

using com::Bstr;
using com::ComPtr;

// The narrow path is built in a buffer of this many bytes, terminator included.
constexpr size_t kNarrowPathBytes = 1024;
using NarrowPath = std::array<char, kNarrowPathBytes>;

// False when the path does not fit: a shortened path would name another file.
bool toNarrow(LPCWSTR path, NarrowPath* out) {
  out->fill(0);
  const std::string utf8 = text::utf16ToUtf8(path);
  if (utf8.size() >= out->size()) return false;
  std::memcpy(out->data(), utf8.data(), utf8.size());
  return true;
}

// What ExtractSignatureInfo hands back; the owners free the strings and release the times.
struct SignatureDetails {
  Bstr subject, issuer, email, serialNumber, x500, comment, timeServer;
  ComPtr<IVexaSystemTime> notBefore, expiration, timestamp;
};

bool isSignedAndValid(IVexaSignFile* handler, BSTR path) {
  LONG flag = 0;
  if (handler->IsFileSigned(path, nullptr, &flag) != S_OK || flag == 0) return false;
  flag = 0;
  if (handler->VerifySign(path, nullptr, &flag) != S_OK || flag == 0) return false;
  SignatureDetails d;
  return SUCCEEDED(handler->ExtractSignatureInfo(
      path, nullptr, d.subject.out(), d.issuer.out(), d.email.out(), d.serialNumber.out(),
      d.x500.out(), d.comment.out(), d.notBefore.out(), d.expiration.out(), d.timeServer.out(),
      d.timestamp.out()));
}

bool isMember(LPCWSTR pwszPath) {
  if (!overlayEnabled() || pwszPath == nullptr) return false;
  NarrowPath narrow;
  if (!toNarrow(pwszPath, &narrow)) return false;
  const char* extension = PathFindExtensionA(narrow.data());
  if (*extension == 0) return false;
  // Every registry read for this file (the file type, the classes' modules) looks at the
  // hive files once; a change made since the last file is seen now.
  const registry::CallChain chain;

  ComPtr<IVexaFindSignFile> finder;
  if (FAILED(com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder))) {
    return false;
  }
  const Bstr extensionText{std::string_view(extension)};
  CLSID handlerClass = CLSID_NULL;
  if (extensionText.get() == nullptr || FAILED(finder->Lookup(extensionText.get(), &handlerClass))) {
    return false;
  }
  ComPtr<IVexaSignFile> handler;
  if (FAILED(com::createInstance<IVexaSignFile>(handlerClass, &handler))) return false;
  // The handler gets the path as it came back from the narrow form.
  const Bstr path{std::string_view(narrow.data())};
  return path.get() != nullptr && isSignedAndValid(handler.get(), path.get());
}

class VexaSignIconOverlay final
    : public ComObject<VexaSignIconOverlay, IShellIconOverlayIdentifier> {
 public:
  HRESULT IsMemberOf(LPCWSTR pwszPath, DWORD) override {
    try {
      return isMember(pwszPath) ? S_OK : S_FALSE;
    } catch (...) {  // out of memory on the way: no overlay, and nothing reaches the shell
      return S_FALSE;
    }
  }

  HRESULT GetOverlayInfo(LPWSTR pwszIconFile, int cchMax, int* pIndex, DWORD* pdwFlags) override {
    if (pwszIconFile == nullptr || pIndex == nullptr || pdwFlags == nullptr) return E_POINTER;
    try {
      const std::u16string file = text::utf8ToUtf16(modulePath());
      if (file.empty() || cchMax <= 0 || file.size() >= static_cast<size_t>(cchMax)) {
        // A cut path would name another file: no answer rather than a wrong one.
        if (cchMax > 0) pwszIconFile[0] = 0;
        *pdwFlags = 0;
        return file.empty() ? E_FAIL : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
      }
      std::memcpy(pwszIconFile, file.c_str(), (file.size() + 1) * sizeof(char16_t));
      *pIndex = 0;
      *pdwFlags = ISIOI_ICONFILE | ISIOI_ICONINDEX;
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT GetPriority(int* pPriority) override {
    if (pPriority == nullptr) return E_POINTER;
    *pPriority = 0;
    return S_OK;
  }
};

}  // namespace

HRESULT createVexaSignIconOverlay(REFIID riid, void** ppv) {
  return createObject<VexaSignIconOverlay>(riid, ppv);
}

}  // namespace vexamor::signicon
