// VexaGetData: delivers a byte range of an open file, 4096 bytes a block (the last one
// shorter), with a masked range read as zeros however the blocks fall. One that a client
// creates through COM has nothing to deliver and answers E_UNEXPECTED.
#pragma once

#include <cstdint>

#include "signcore/idl/dxsigncore16.h"
#include "signcore/module/com_object.h"

namespace vexamor::signcore {

extern const ClassInfo kVexaGetDataClass;

inline constexpr uint32_t kDataBlockSize = 4096;

// An enumerator over bytes 0 ... length-1 of the file open at `fd`, with `maskLength` bytes
// from `maskOffset` delivered as zeros. It reads through a duplicate of the descriptor, so it
// stays usable whatever the caller does with `fd`. Fewer bytes in the file than `length`
// fail the block that meets the end with ERROR_HANDLE_EOF.
HRESULT createFileRangeData(int fd, uint64_t length, uint64_t maskOffset, uint32_t maskLength,
                            IVexaGetData** out);

// What a failing enumerator leaves as the thread's last error: its code, so that a consumer
// which looks there (VexaSignature does) never mistakes the failure for the end of the data.
void setLastErrorFor(HRESULT hr);

}  // namespace vexamor::signcore
