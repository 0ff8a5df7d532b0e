// The reference-counted base of the module's classes: the COM kit's object base, counted in
// the module's live-object count that DllCanUnloadNow reads.
#pragma once

#include "platform/com/com_object.h"
#include "signicon/module_state.h"

namespace vexamor::signicon {

using com::createObject;

// Derived must be final and may keep its destructor private, befriending this class. An
// object starts with one reference, which its creator hands on (through QueryInterface) and
// then drops.
template <class Derived, class Interface>
class ComObject : public com::ObjectBase<ComObject<Derived, Interface>, Interface, gLiveObjects> {
 public:
  static void destroy(ComObject* object) { delete static_cast<Derived*>(object); }

 protected:
  ComObject() = default;
  ~ComObject() = default;
};

}  // namespace vexamor::signicon
