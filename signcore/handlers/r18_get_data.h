// R18GetData: delivers the decoded data of a list of container streams, one block per piece
// that the container engine holds, stream after stream. The end is signalled by a call that
// delivers nothing (S_OK, no bytes, bMore 0). One that a client creates through COM has no
// container and answers E_UNEXPECTED.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "container.h"
#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kR18GetDataClass;

struct StreamRef {
  uint32_t identifier = 0;
  std::string name;
};

// An enumerator over `streams` of `container`, in the given order. It shares the container,
// which must stay open while the enumerator is in use.
HRESULT createContainerStreamData(std::shared_ptr<container::Container> container,
                                  std::vector<StreamRef> streams, IVexaGetData** out);

}  // namespace vexamor::signcore
