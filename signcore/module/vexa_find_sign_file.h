// VexaFindSignFile: the file-type registry, mapping file extensions to the CLSID of the class
// that signs and verifies files of that type, kept under
// HKEY_CLASSES_ROOT\CLSID\{47775DA0-E874-4EAF-A28C-20C6E2D387A0}\SupportedExtensions.
#pragma once

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaFindSignFileClass;

}  // namespace vexamor::signcore
