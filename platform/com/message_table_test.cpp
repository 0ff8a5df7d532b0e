#include "platform/com/message_table.h"

#include <gtest/gtest.h>

#include "platform/com/last_error.h"

namespace {

using vexamor::win32::systemMessage;

TEST(MessageTable, Win32CodesAndTheirHresultsShareTheirText) {
  EXPECT_EQ(systemMessage(ERROR_FILE_NOT_FOUND), u"The system cannot find the file specified.");
  EXPECT_EQ(systemMessage(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))),
            u"The system cannot find the file specified.");
  EXPECT_EQ(systemMessage(static_cast<uint32_t>(E_INVALIDARG)), u"The parameter is incorrect.");
  EXPECT_EQ(systemMessage(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_TIMEOUT))),
            u"This operation returned because the timeout period expired.");
  EXPECT_EQ(systemMessage(static_cast<uint32_t>(E_UNEXPECTED)), u"Catastrophic failure");
  EXPECT_EQ(systemMessage(0x80041234u), std::nullopt);
  EXPECT_EQ(systemMessage(0x80071234u), std::nullopt);
}

TEST(MessageTable, FormatMessageEndsWithALineBreakAndChecksItsBuffer) {
  char16_t buffer[128];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, ERROR_NO_MORE_ITEMS, 0, buffer, 128, nullptr);
  EXPECT_EQ(std::u16string(buffer, n), u"No more data is available.\r\n");
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_NO_MORE_ITEMS, 0, buffer, 10,
                           nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, buffer, 128, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), 317u);
}

TEST(LastError, ErrnoValuesMapToPlatformCodes) {
  EXPECT_EQ(vexamor::win32::errorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(vexamor::win32::errorFromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(vexamor::win32::socketErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
  EXPECT_EQ(vexamor::win32::socketErrorFromErrno(EAGAIN), WSAETIMEDOUT);
}

}  // namespace
