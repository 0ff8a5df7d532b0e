// The frame every class of the module is built on: its class description (the class table
// entry, also used for error reports) and the reference-counted object base of the COM kit,
// counted in this module's count.
#pragma once

#include "platform/com/com_object.h"
#include "signcore/module/module_state.h"

namespace vexamor::signcore {

using com::CreateFunction;
using com::createObject;

struct ClassInfo {
  const CLSID& clsid;
  const IID& iid;             // the class's one interface
  const char16_t* progId;     // "DxSignCore.<Class>.1", the source of its error reports
  const char* name;           // "VexaFindSignFile"
  const char* interfaceName;  // "IVexaFindSignFile"
  CreateFunction create;
};

// Implements IUnknown for a class with one interface. Derived must be final and may keep its
// destructor private, befriending this class; objects start with one reference, which the
// creator hands on or releases.
template <class Derived, class Interface>
class ComObject : public com::ObjectBase<ComObject<Derived, Interface>, Interface, gModuleCount> {
 public:
  static void destroy(ComObject* object) { delete static_cast<Derived*>(object); }

 protected:
  ComObject() = default;
  ~ComObject() = default;
};

}  // namespace vexamor::signcore
