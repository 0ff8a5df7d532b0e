#include "platform/com/message_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/com/last_error.h"
#include "platform/com/utf.h"

namespace vexamor::win32 {
namespace {

constexpr DWORD kErrorMessageNotFound = 317;

struct Message {
  uint32_t code;
  const char* text;
};

// Sorted by code, so lookups can bisect. Win32 codes come first (small numbers), HRESULTs of
// other facilities after them as unsigned values.
constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough storage is available to process this command."},
    {13, "The data is invalid."},
    {14, "Not enough storage is available to complete this operation."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {38, "Reached the end of the file."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {161, "The specified path is invalid."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {317,
     "The system cannot find message text for message number 0x%1 in the message file for "
     "%2."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1168, "Element not found."},
    {1232,
     "The network location cannot be reached. For information about network troubleshooting, "
     "see Windows Help."},
    {1392, "The file or directory is corrupted and unreadable."},
    {1460, "This operation returned because the timeout period expired."},
    {10004, "A blocking operation was interrupted by a call to WSACancelBlockingCall."},
    {10013, "An attempt was made to access a socket in a way forbidden by its access permissions."},
    {10022, "An invalid argument was supplied."},
    {10024, "Too many open sockets."},
    {10047, "An address incompatible with the requested protocol was used."},
    {10049, "The requested address is not valid in its context."},
    {10050, "A socket operation encountered a dead network."},
    {10051, "A socket operation was attempted to an unreachable network."},
    {10053, "An established connection was aborted by the software in your host machine."},
    {10054, "An existing connection was forcibly closed by the remote host."},
    {10055,
     "An operation on a socket could not be performed because the system lacked sufficient "
     "buffer space or because a queue was full."},
    {10060,
     "A connection attempt failed because the connected party did not properly respond after a "
     "period of time, or established connection failed because connected host has failed to "
     "respond."},
    {10061, "No connection could be made because the target machine actively refused it."},
    {10065, "A socket operation was attempted to an unreachable host."},
    {11001, "No such host is known."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000401D, "Unable to communicate with the remote machine."},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040111, "ClassFactory cannot supply requested class"},
    {0x80040150, "Could not read key from registry"},
    {0x80040154, "Class not registered"},
    {0x800401F3, "Invalid class string"},
    {0x800401F9, "Error in the DLL"},
    {0x80090003, "Bad Key."},
    {0x80090004, "Bad Length."},
    {0x80090005, "Bad Data."},
    {0x80090006, "Invalid Signature."},
    {0x80090008, "Invalid algorithm specified."},
    {0x80090009, "Invalid flags specified."},
    {0x8009000A, "Invalid type specified."},
    {0x8009000E, "Insufficient memory available for the operation."},
    {0x80090014, "Invalid provider type specified."},
    {0x80090016, "Keyset does not exist"},
    {0x80090018, "Provider type as registered is invalid."},
    {0x80090019, "The keyset is not defined."},
    {0x8009001B, "Provider type does not match registered value."},
    {0x8009001E, "Provider DLL could not be found."},
    {0x80090020, "An internal error occurred."},
    {0x80091002, "Unknown cryptographic algorithm."},
    {0x80091004, "Invalid cryptographic message type."},
    {0x80091007, "The hash value is not correct."},
    {0x8009100E, "Cannot find the original signer."},
    {0x80092004, "Cannot find object or property."},
    {0x8009200E,
     "The signed cryptographic message does not have a signer for the specified signer index."},
    {0x80092010, "The certificate is revoked."},
    {0x80092012, "The revocation function was unable to check revocation for the certificate."},
    {0x80092013,
     "The revocation function was unable to check revocation because the revocation server was "
     "offline."},
    {0x80093102, "ASN1 unexpected end of data."},
    {0x8009310B, "ASN1 bad tag value met."},
    {0x80096004, "The signature of the certificate cannot be verified."},
    {0x80096005,
     "The timestamp signature and/or certificate could not be verified or is malformed."},
};

constexpr bool sortedByCode() {
  for (size_t i = 1; i < std::size(kMessages); ++i) {
    if (kMessages[i - 1].code >= kMessages[i].code) return false;
  }
  return true;
}
static_assert(sortedByCode(), "the message table must stay sorted by code");

const char* findText(uint32_t code) {
  const auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                                   [](const Message& m, uint32_t c) { return m.code < c; });
  return (it != std::end(kMessages) && it->code == code) ? it->text : nullptr;
}

}  // namespace

std::optional<std::u16string> systemMessage(uint32_t code) {
  const char* text = findText(code);
  if (text == nullptr && (code & 0xFFFF0000u) == 0x80070000u) text = findText(code & 0xFFFFu);
  if (text == nullptr) return std::nullopt;
  return text::utf8ToUtf16(text);
}

}  // namespace vexamor::win32

extern "C" DWORD FormatMessageW(DWORD dwFlags, const void* /*lpSource*/, DWORD dwMessageId,
                                DWORD /*dwLanguageId*/, LPWSTR lpBuffer, DWORD nSize,
                                void* /*Arguments*/) {
  if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || lpBuffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto text = vexamor::win32::systemMessage(dwMessageId);
  if (!text) {
    SetLastError(vexamor::win32::kErrorMessageNotFound);
    return 0;
  }
  *text += u"\r\n";
  if (text->size() + 1 > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpBuffer, text->c_str(), (text->size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(text->size());
}
