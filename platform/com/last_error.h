// The calling thread's last Win32 error, and the mapping of POSIX errno values onto Win32 and
// Windows Sockets codes, so that code written against "the system's last error" keeps its
// meaning on top of POSIX calls.
#pragma once

#include "platform/com/win32_types.h"

extern "C" {
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);
}

namespace vexamor::win32 {

// Win32 code for a failed file-system call.
DWORD errorFromErrno(int err);

// Windows Sockets code for a failed socket call.
DWORD socketErrorFromErrno(int err);

}  // namespace vexamor::win32
