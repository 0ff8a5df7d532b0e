#include "signcore/module/class_table.h"

#include "signcore/crypto/vexa_security.h"
#include "signcore/crypto/vexa_signature.h"
#include "signcore/crypto/vexa_system_time.h"
#include "signcore/module/vexa_find_sign_file.h"

namespace vexamor::signcore {
namespace {

constexpr const ClassInfo* kClasses[] = {
    &kVexaFindSignFileClass,
    &kVexaSignatureClass,
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
