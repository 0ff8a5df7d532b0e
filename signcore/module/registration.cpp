#include "signcore/module/registration.h"

#include "platform/com/utf.h"
#include "signcore/crypto/csp/provider.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/class_table.h"
#include "signcore/module/proxy_info.h"

namespace vexamor::signcore {
namespace {

struct DefaultFileType {
  const char* extension;
  const CLSID& handler;
};

// The file types a fresh installation knows, in this order.
constexpr DefaultFileType kDefaultFileTypes[] = {
    {".drx", CLSID_VexaSignDRX},    {".drt", CLSID_VexaSignDRX},    {".drs", CLSID_VexaSignDRX},
    {".zip", CLSID_VexaSignAppend}, {".exe", CLSID_VexaSignAppend},
};

struct InterfaceName {
  const IID& iid;
  const char* name;
};
constexpr InterfaceName kInterfaces[] = {
    {IID_IVexaFindSignFile, "IVexaFindSignFile"}, {IID_IVexaSignFile, "IVexaSignFile"},
    {IID_IVexaSignature, "IVexaSignature"},       {IID_IVexaGetData, "IVexaGetData"},
    {IID_IVexaSystemTime, "IVexaSystemTime"},     {IID_IVexaSecurity, "IVexaSecurity"},
    {IID_IVexaSignFile2, "IVexaSignFile2"},       {IID_IVexaSignature2, "IVexaSignature2"},
};

std::string guidText(REFGUID guid) {
  OLECHAR text[CHARS_IN_GUID];
  StringFromGUID2(guid, text, CHARS_IN_GUID);
  return text::utf16ToUtf8(text);
}

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

void key(std::string& out, const std::string& path, const std::string& defaultValue,
         const std::string& moreValues = "") {
  out += "[HKEY_CLASSES_ROOT\\" + path + "]\n@=" + quoted(defaultValue) + "\n" + moreValues + "\n";
}

}  // namespace

std::string registrationText(const std::string& modulePath) {
  std::string out = "Windows Registry Editor Version 5.00\n\n";
  for (const ClassInfo* cls : classTable()) {
    const std::string clsid = guidText(cls->clsid);
    const std::string progId = text::utf16ToUtf8(cls->progId);
    const std::string independent = progId.substr(0, progId.rfind('.'));
    const std::string title = std::string(cls->name) + " Class";
    key(out, "CLSID\\" + clsid, title);
    key(out, "CLSID\\" + clsid + "\\InprocServer32", modulePath, "\"ThreadingModel\"=\"Both\"\n");
    key(out, "CLSID\\" + clsid + "\\ProgID", progId);
    key(out, "CLSID\\" + clsid + "\\VersionIndependentProgID", independent);
    key(out, progId, title);
    key(out, progId + "\\CLSID", clsid);
    key(out, independent, title);
    key(out, independent + "\\CLSID", clsid);
    key(out, independent + "\\CurVer", progId);
  }
  for (const auto& i : kInterfaces) key(out, "Interface\\" + guidText(i.iid), i.name);
  out +=
      "[HKEY_CLASSES_ROOT\\CLSID\\" + guidText(CLSID_VexaFindSignFile) + "\\SupportedExtensions]\n";
  for (const auto& type : kDefaultFileTypes) {
    out += quoted(type.extension) + "=" + quoted(guidText(type.handler)) + "\n";
  }
  out += "\n" + csp::providerRegistrationText();
  return out;
}

}  // namespace vexamor::signcore
