// The classes that this build of the module serves. A class joins the module with one entry
// here (its ClassInfo) and its create function; setup registers exactly these classes.
#pragma once

#include <span>

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

std::span<const ClassInfo* const> classTable();
const ClassInfo* findClass(REFCLSID clsid);

}  // namespace vexamor::signcore
