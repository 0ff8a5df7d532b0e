// Keeps dxsigncore16.h and dxsigncore16.idl in step: the same GUIDs, ProgIDs and methods, and
// every method in the vtable slot that its place in the IDL gives it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/com/utf.h"
#include "signcore/idl/dxsigncore16.h"

namespace {

struct IdlBlock {
  std::string uuid;
  std::string progId;
  std::string base;                  // the interface it extends; empty for IUnknown
  std::vector<std::string> methods;  // propget methods as get_Name
};

std::string readIdl() {
  const char* path = std::getenv("VEXAMOR_IDL_FILE");
  std::ifstream in(path != nullptr ? path : "");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Maps each interface and coclass name to its attributes and methods.
std::map<std::string, IdlBlock> parseIdl(const std::string& idl) {
  std::map<std::string, IdlBlock> blocks;
  const std::regex head(
      R"(\[([^\[\]]*uuid\(([0-9A-Fa-f-]+)\)[^\[\]]*)\]\s*(interface|coclass)\s+(\w+)(\s*:\s*(\w+))?)");
  const std::regex progId(R"(custom\([0-9A-Fa-f-]+,\s*"([^"]+)\"\))");
  const std::regex method(R"((\[[^\]]*\])?\s*HRESULT\s+(\w+)\s*\()");
  for (auto it = std::sregex_iterator(idl.begin(), idl.end(), head); it != std::sregex_iterator();
       ++it) {
    IdlBlock block;
    block.uuid = "{" + (*it)[2].str() + "}";
    std::smatch custom;
    const std::string attributes = (*it)[1].str();
    if (std::regex_search(attributes, custom, progId)) block.progId = custom[1];
    if ((*it)[6].str() != "IUnknown") block.base = (*it)[6].str();
    const size_t bodyStart = idl.find('{', it->position() + it->length());
    const size_t bodyEnd = idl.find("};", bodyStart);
    const std::string body = idl.substr(bodyStart, bodyEnd - bodyStart);
    for (auto m = std::sregex_iterator(body.begin(), body.end(), method);
         m != std::sregex_iterator(); ++m) {
      const bool propget = (*m)[1].str().find("propget") != std::string::npos;
      block.methods.push_back((propget ? "get_" : "") + (*m)[2].str());
    }
    blocks[(*it)[4]] = block;
  }
  return blocks;
}

std::string text(const GUID& g) {
  OLECHAR buffer[CHARS_IN_GUID];
  StringFromGUID2(g, buffer, CHARS_IN_GUID);
  return vexamor::text::utf16ToUtf8(buffer);
}

// The vtable slot of a virtual member function (Itanium C++ ABI: the pointer holds one plus
// the byte offset into the vtable).
template <class T>
size_t slotOf(T member) {
  static_assert(sizeof(T) == 2 * sizeof(uintptr_t));
  uintptr_t raw;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / sizeof(void*);
}

struct MethodSlot {
  const char* interfaceName;
  const char* method;
  size_t slot;
};

#define SLOT(I, M)        \
  MethodSlot {            \
#I, #M, slotOf(&I::M) \
  }

TEST(IdlHeader, MethodsSitInTheSlotsOfTheTypeLibrary) {
  const MethodSlot slots[] = {
      SLOT(IVexaFindSignFile, Register),
      SLOT(IVexaFindSignFile, Unregister),
      SLOT(IVexaFindSignFile, Lookup),
      SLOT(IVexaFindSignFile, GetSupportedExtensions),
      SLOT(IVexaSignFile, IsFileSigned),
      SLOT(IVexaSignFile, AddSign),
      SLOT(IVexaSignFile, VerifySign),
      SLOT(IVexaSignFile, ExtractSignatureInfo),
      SLOT(IVexaSignature, EnumerateCertificates),
      SLOT(IVexaSignature, VerifyCertificate),
      SLOT(IVexaSignature, ComputeSignature),
      SLOT(IVexaSignature, VerifySignature),
      SLOT(IVexaSignature, GetRFC867Time),
      SLOT(IVexaSignature, ExtractSignatureInfo),
      SLOT(IVexaSignFile2, AddSignWithTimestamp),
      SLOT(IVexaSignFile2, VerifySignEx),
      SLOT(IVexaSignFile2, ExtractTimestampInfo),
      SLOT(IVexaSignature2, ComputeSignatureWithTimestamp),
      SLOT(IVexaSignature2, VerifySignatureEx),
      SLOT(IVexaSignature2, ExtractTimestampInfo),
      SLOT(IVexaGetData, GetNextDataBlock),
      SLOT(IVexaSystemTime, get_Year),
      SLOT(IVexaSystemTime, get_Month),
      SLOT(IVexaSystemTime, get_Day),
      SLOT(IVexaSystemTime, get_Hour),
      SLOT(IVexaSystemTime, get_Minutes),
      SLOT(IVexaSystemTime, get_Seconds),
      SLOT(IVexaSecurity, IsCipherSupported),
      SLOT(IVexaSecurity, EnumerateAllCiphers),
      SLOT(IVexaSecurity, EnumerateRC4Ciphers),
      SLOT(IVexaSecurity, GetDefaultCipher),
      SLOT(IVexaSecurity, IsEqualCipher),
      SLOT(IVexaSecurity, EncryptData),
      SLOT(IVexaSecurity, DecryptData),
  };
  const auto idl = parseIdl(readIdl());
  std::map<std::string, size_t> declared;
  for (const auto& s : slots) {
    const auto block = idl.find(s.interfaceName);
    ASSERT_NE(block, idl.end()) << s.interfaceName;
    const auto& methods = block->second.methods;
    const auto pos = std::find(methods.begin(), methods.end(), s.method);
    ASSERT_NE(pos, methods.end()) << s.interfaceName << "::" << s.method;
    // IUnknown's three slots, then those of every interface it extends.
    size_t first = 3;
    for (std::string base = block->second.base; !base.empty(); base = idl.at(base).base) {
      first += idl.at(base).methods.size();
    }
    EXPECT_EQ(s.slot, first + static_cast<size_t>(pos - methods.begin()))
        << s.interfaceName << "::" << s.method;
    ++declared[s.interfaceName];
  }
  for (const auto& [name, count] : declared) EXPECT_EQ(idl.at(name).methods.size(), count) << name;
}

TEST(IdlHeader, GuidsAndProgIdsMatch) {
  const auto idl = parseIdl(readIdl());
  const std::pair<const char*, const GUID*> interfaces[] = {
      {"IVexaFindSignFile", &IID_IVexaFindSignFile}, {"IVexaSignFile", &IID_IVexaSignFile},
      {"IVexaSignature", &IID_IVexaSignature},       {"IVexaGetData", &IID_IVexaGetData},
      {"IVexaSystemTime", &IID_IVexaSystemTime},     {"IVexaSecurity", &IID_IVexaSecurity},
      {"IVexaSignFile2", &IID_IVexaSignFile2},       {"IVexaSignature2", &IID_IVexaSignature2}};
  for (const auto& [name, iid] : interfaces) {
    ASSERT_EQ(idl.count(name), 1u) << name;
    EXPECT_EQ(idl.at(name).uuid, text(*iid)) << name;
  }
  struct Class {
    const char* name;
    const GUID* clsid;
    const OLECHAR* progId;
  };
  const Class classes[] = {{"VexaFindSignFile", &CLSID_VexaFindSignFile, kProgIdVexaFindSignFile},
                           {"VexaSignature", &CLSID_VexaSignature, kProgIdVexaSignature},
                           {"VexaSignDRX", &CLSID_VexaSignDRX, kProgIdVexaSignDRX},
                           {"VexaSignAppend", &CLSID_VexaSignAppend, kProgIdVexaSignAppend},
                           {"VexaGetData", &CLSID_VexaGetData, kProgIdVexaGetData},
                           {"R18GetData", &CLSID_R18GetData, kProgIdR18GetData},
                           {"VexaSystemTime", &CLSID_VexaSystemTime, kProgIdVexaSystemTime},
                           {"VexaSecurity", &CLSID_VexaSecurity, kProgIdVexaSecurity}};
  for (const auto& c : classes) {
    ASSERT_EQ(idl.count(c.name), 1u) << c.name;
    EXPECT_EQ(idl.at(c.name).uuid, text(*c.clsid)) << c.name;
    EXPECT_EQ(idl.at(c.name).progId, vexamor::text::utf16ToUtf8(c.progId)) << c.name;
  }
  EXPECT_EQ(idl.size(), std::size(interfaces) + std::size(classes));
}

}  // namespace
