#include "signcore/module/class_table.h"

#include "signcore/crypto/vexa_security.h"
#include "signcore/crypto/vexa_signature.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/handlers/r18_get_data.h"
#include "signcore/handlers/vexa_get_data.h"
#include "signcore/handlers/vexa_sign_append.h"
#include "signcore/handlers/vexa_sign_drx.h"
#include "signcore/module/vexa_find_sign_file.h"

namespace vexamor::signcore {
namespace {

constexpr const ClassInfo* kClasses[] = {
    &kVexaFindSignFileClass,
    &kVexaSignatureClass,
    &kVexaSignDRXClass,
    &kVexaSignAppendClass,
    &kVexaGetDataClass,
    &kR18GetDataClass,
    &kVexaSystemTimeClass,
    &kVexaSecurityClass,
};

}  // namespace

std::span<const ClassInfo* const> classTable() {
  return kClasses;
}

const ClassInfo* findClass(REFCLSID clsid) {
  for (const ClassInfo* cls : kClasses) {
    if (cls->clsid == clsid) return cls;
  }
  return nullptr;
}

}  // namespace vexamor::signcore
