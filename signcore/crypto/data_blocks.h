// Reading an IVexaGetData enumerator to its end, one block at a time: each block is handed
// on as it arrives and freed at once, so memory never grows with the data.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/com/win32_types.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {

using BlockConsumer = std::function<HRESULT(const BYTE* data, size_t size)>;

// Calls GetNextDataBlock until it reports no more data. A failing call abandons the whole
// read, whatever came before it: its code is the thread's last error when the enumerator
// set one, else the call's own result. A block with a negative length, or a length without
// data, is E_UNEXPECTED. A failure of `consume` ends the read with its code.
HRESULT readAllBlocks(IVexaGetData* source, const BlockConsumer& consume);

}  // namespace vexamor::signcore
