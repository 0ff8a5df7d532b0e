// For a class whose interface extends an earlier one (IVexaSignature2 extends IVexaSignature):
// the object answers QueryInterface for the earlier interface as well, with the same pointer,
// so that clients of the earlier interface see no change.
#pragma once

#include <type_traits>

#include "platform/com/unknown.h"

namespace vexamor::signcore {

// True, with *ppv set and a reference added, when riid names `Base`; false otherwise, for the
// object's own QueryInterface to answer.
template <class Base, class Object>
bool answerAsBase(Object* object, REFIID riid, void** ppv) {
  static_assert(std::is_base_of_v<Base, Object>);
  if (ppv == nullptr || riid != InterfaceId<Base>::value()) return false;
  *ppv = static_cast<Base*>(object);
  object->AddRef();
  return true;
}

}  // namespace vexamor::signcore
