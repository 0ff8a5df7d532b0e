// Scalar types, structures and result codes of the Win32 and COM binary interface.
//
// The widths are those of the original 32-bit platform: LONG and ULONG are 32 bits on every
// host (plain `long` is 64 bits on LP64 Linux and must never appear in an interface), and
// WCHAR/OLECHAR are UTF-16 code units.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using INT = int32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using BOOL = int32_t;
using HRESULT = int32_t;
using WCHAR = char16_t;
using OLECHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PLONG = LONG*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// 100-nanosecond intervals since 1 January 1601 (UTC), split in two 32-bit halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// A calendar time, every field 16 bits.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// HRESULT layout: bit 31 severity, bits 16-26 facility, bits 0-15 code.
constexpr HRESULT kFacilityWin32 = 7;

constexpr HRESULT makeHresult(uint32_t value) {
  return static_cast<HRESULT>(value);
}

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define HRESULT_CODE(hr) (static_cast<uint32_t>(hr) & 0xFFFFu)
#define HRESULT_FACILITY(hr) ((static_cast<uint32_t>(hr) >> 16) & 0x1FFFu)

// A positive Win32 code becomes 0x8007xxxx; zero and values that already are HRESULTs pass.
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t code) {
  return static_cast<HRESULT>(code) <= 0
             ? static_cast<HRESULT>(code)
             : static_cast<HRESULT>((code & 0xFFFFu) | (kFacilityWin32 << 16) | 0x80000000u);
}

// Success codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

// Generic failures.
constexpr HRESULT E_NOTIMPL = makeHresult(0x80004001);
constexpr HRESULT E_NOINTERFACE = makeHresult(0x80004002);
constexpr HRESULT E_POINTER = makeHresult(0x80004003);
constexpr HRESULT E_ABORT = makeHresult(0x80004004);
constexpr HRESULT E_FAIL = makeHresult(0x80004005);
constexpr HRESULT E_UNEXPECTED = makeHresult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = makeHresult(0x80070005);
constexpr HRESULT E_HANDLE = makeHresult(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = makeHresult(0x8007000E);
constexpr HRESULT E_INVALIDARG = makeHresult(0x80070057);

// Activation and class objects.
constexpr HRESULT CO_E_REMOTE_COMMUNICATION_FAILURE = makeHresult(0x8000401D);
constexpr HRESULT CLASS_E_NOAGGREGATION = makeHresult(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = makeHresult(0x80040111);
constexpr HRESULT REGDB_E_READREGDB = makeHresult(0x80040150);
constexpr HRESULT REGDB_E_CLASSNOTREG = makeHresult(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = makeHresult(0x800401F3);
constexpr HRESULT CO_E_ERRORINDLL = makeHresult(0x800401F9);

// Cryptography.
constexpr HRESULT NTE_BAD_KEY = makeHresult(0x80090003);
constexpr HRESULT NTE_BAD_LEN = makeHresult(0x80090004);
constexpr HRESULT NTE_BAD_DATA = makeHresult(0x80090005);
constexpr HRESULT NTE_BAD_ALGID = makeHresult(0x80090008);
constexpr HRESULT NTE_BAD_FLAGS = makeHresult(0x80090009);
constexpr HRESULT NTE_BAD_TYPE = makeHresult(0x8009000A);
constexpr HRESULT NTE_NO_MEMORY = makeHresult(0x8009000E);
constexpr HRESULT NTE_BAD_PROV_TYPE = makeHresult(0x80090014);
constexpr HRESULT NTE_BAD_KEYSET = makeHresult(0x80090016);
constexpr HRESULT NTE_PROV_TYPE_ENTRY_BAD = makeHresult(0x80090018);
constexpr HRESULT NTE_KEYSET_NOT_DEF = makeHresult(0x80090019);
constexpr HRESULT NTE_PROV_TYPE_NO_MATCH = makeHresult(0x8009001B);
constexpr HRESULT NTE_PROV_DLL_NOT_FOUND = makeHresult(0x8009001E);
constexpr HRESULT NTE_FAIL = makeHresult(0x80090020);
constexpr HRESULT TRUST_E_CERT_SIGNATURE = makeHresult(0x80096004);

// Win32 error codes.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_NOT_FOUND = 1168;
constexpr DWORD ERROR_HOST_UNREACHABLE = 1232;
constexpr DWORD ERROR_FILE_CORRUPT = 1392;
constexpr DWORD ERROR_TIMEOUT = 1460;

// Windows Sockets error codes (Win32 codes in their own range).
constexpr DWORD WSAEINTR = 10004;
constexpr DWORD WSAEACCES = 10013;
constexpr DWORD WSAEINVAL = 10022;
constexpr DWORD WSAEMFILE = 10024;
constexpr DWORD WSAEAFNOSUPPORT = 10047;
constexpr DWORD WSAEADDRNOTAVAIL = 10049;
constexpr DWORD WSAENETDOWN = 10050;
constexpr DWORD WSAENETUNREACH = 10051;
constexpr DWORD WSAECONNABORTED = 10053;
constexpr DWORD WSAECONNRESET = 10054;
constexpr DWORD WSAENOBUFS = 10055;
constexpr DWORD WSAETIMEDOUT = 10060;
constexpr DWORD WSAECONNREFUSED = 10061;
constexpr DWORD WSAEHOSTUNREACH = 10065;
constexpr DWORD WSAHOST_NOT_FOUND = 11001;
