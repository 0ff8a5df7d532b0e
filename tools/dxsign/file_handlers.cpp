#include "tools/dxsign/file_handlers.h"

#include "platform/com/com.h"
#include "tools/dxsign/com_failure.h"

namespace vexamor::dxsign {

std::string extensionOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart || dot + 1 == path.size()) return "";
  return path.substr(dot);
}

com::ComPtr<IVexaSignFile> HandlerFinder::find(const std::string& path, std::string* problem) {
  const std::string ext = extensionOf(path);
  if (ext.empty()) {
    *problem = "the file name has no extension, so no signature handler can be chosen";
    return {};
  }
  if (auto known = byExtension_.find(ext); known != byExtension_.end()) return known->second;
  HRESULT hr;
  if (!finder_) {
    hr = com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder_);
    if (FAILED(hr)) {
      *problem = describeFailure("creating VexaFindSignFile", hr);
      return {};
    }
  }
  GUID clsid{};
  hr = finder_->Lookup(com::Bstr(ext).get(), &clsid);
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    *problem = "no signature handler is registered for \"" + ext + "\" files";
    return {};
  }
  if (FAILED(hr)) {
    *problem = describeFailure("looking up the handler for \"" + ext + "\"", hr);
    return {};
  }
  com::ComPtr<IVexaSignFile> handler;
  hr = com::createInstance<IVexaSignFile>(clsid, &handler);
  if (FAILED(hr)) {
    *problem = describeFailure("creating the handler for \"" + ext + "\"", hr);
    return {};
  }
  byExtension_[ext] = handler;
  return handler;
}

}  // namespace vexamor::dxsign
