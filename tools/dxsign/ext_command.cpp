// dxsign ext: the file-type registry through VexaFindSignFile.
#include <iostream>

#include "platform/com/com_ptr.h"
#include "platform/com/utf.h"
#include "signcore/idl/dxsigncore16.h"
#include "tools/dxsign/com_failure.h"
#include "tools/dxsign/commands.h"

namespace vexamor::dxsign {
namespace {

using com::Bstr;
using com::ComPtr;

int fail(const std::string& what, HRESULT hr) {
  std::cerr << "dxsign: " << describeFailure(what, hr) << '\n';
  return kFailure;
}

std::string guidText(REFGUID guid) {
  OLECHAR text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return vexamor::text::utf16ToUtf8(text);
}

// "{CLSID}" followed by the class's ProgID when the class is registered.
std::string handlerText(REFCLSID clsid) {
  std::string out = guidText(clsid);
  LPOLESTR progId = nullptr;
  if (SUCCEEDED(ProgIDFromCLSID(clsid, &progId))) {
    out += '\t' + vexamor::text::utf16ToUtf8(progId);
    CoTaskMemFree(progId);
  }
  return out;
}

int list(IVexaFindSignFile* finder) {
  LONG count = 0;
  BSTR* names = nullptr;
  const HRESULT hr = finder->GetSupportedExtensions(&count, &names);
  if (FAILED(hr)) return fail("listing the file types", hr);
  for (LONG i = 0; i < count; ++i) {
    Bstr name = Bstr::attach(names[i]);
    GUID clsid;
    std::cout << name.utf8();
    if (SUCCEEDED(finder->Lookup(name.get(), &clsid))) std::cout << '\t' << handlerText(clsid);
    std::cout << '\n';
  }
  CoTaskMemFree(names);
  return kSuccess;
}

}  // namespace

int runExtCommand(const std::vector<std::string>& args) {
  const std::string verb = args.empty() ? "" : args[0];
  const size_t expected = verb == "list" ? 1 : verb == "register" ? 3 : 2;
  if ((verb != "list" && verb != "lookup" && verb != "register" && verb != "unregister") ||
      args.size() != expected) {
    printUsage(true);
    return kUsage;
  }
  ComPtr<IVexaFindSignFile> finder;
  HRESULT hr = com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder);
  if (FAILED(hr)) return fail("creating VexaFindSignFile", hr);
  if (verb == "list") return list(finder.get());

  const Bstr ext(args[1]);
  if (verb == "lookup") {
    GUID clsid;
    hr = finder->Lookup(ext.get(), &clsid);
    if (FAILED(hr)) return fail("looking up " + args[1], hr);
    std::cout << handlerText(clsid) << '\n';
  } else if (verb == "register") {
    CLSID clsid;
    hr = CLSIDFromString(Bstr(args[2]).get(), &clsid);
    if (FAILED(hr)) return fail("reading the class " + args[2], hr);
    hr = finder->Register(ext.get(), &clsid);
    if (FAILED(hr)) return fail("registering " + args[1], hr);
  } else {
    hr = finder->Unregister(ext.get());
    if (FAILED(hr)) return fail("unregistering " + args[1], hr);
  }
  return kSuccess;
}

}  // namespace vexamor::dxsign
