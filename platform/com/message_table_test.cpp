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

TEST(LastError, ErrnoValuesMapToWhatThePlatformsFileCallsSay) {
  using vexamor::win32::errorFromErrno;
  EXPECT_EQ(errorFromErrno(0), ERROR_SUCCESS);
  EXPECT_EQ(errorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(errorFromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(errorFromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorFromErrno(EISDIR), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorFromErrno(EEXIST), ERROR_FILE_EXISTS);
  EXPECT_EQ(errorFromErrno(ENOSPC), ERROR_DISK_FULL);
  EXPECT_EQ(errorFromErrno(EIO), ERROR_IO_DEVICE);
  EXPECT_EQ(errorFromErrno(EXDEV), ERROR_GEN_FAILURE);  // nothing closer
  EXPECT_EQ(vexamor::win32::socketErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
  EXPECT_EQ(vexamor::win32::socketErrorFromErrno(EAGAIN), WSAETIMEDOUT);
}

TEST(LastError, EveryMappedCodeHasItsSystemText) {
  for (int err = 0; err < 140; ++err) {
    EXPECT_TRUE(systemMessage(vexamor::win32::errorFromErrno(err))) << "errno " << err;
    EXPECT_TRUE(systemMessage(vexamor::win32::socketErrorFromErrno(err))) << "errno " << err;
  }
}

}  // namespace
