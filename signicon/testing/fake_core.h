// A stand-in for the signature core in the overlay's tests: a module that serves
// VexaFindSignFile and a signature handler whose answers each test file spells out, and that
// counts every object it makes, so that a test sees exactly which calls the overlay made.
//
// Lookup answers by extension (case ignored): ".fake" names the fake handler, ".plain" a
// class without IVexaSignFile, ".gone" a class that is not registered; any other extension
// is unknown (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).
//
// The handler reads its answers from the file itself, a line such as
//   IsFileSigned=0x00000000,1 VerifySign=0x00000000,1 ExtractSignatureInfo=0x00000000
// (result code, then the flag). A missing IsFileSigned or VerifySign entry answers S_OK with
// the flag 0, a missing ExtractSignatureInfo entry E_FAIL; a file that cannot be read gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) from every call.
#pragma once

#include <atomic>
#include <cstddef>

#include "platform/com/guid.h"

inline constexpr CLSID CLSID_FakeSignHandler = {
    0x5E1F0A01, 0x7C3B, 0x4B8E, {0x9A, 0x10, 0x2D, 0x44, 0x61, 0x0F, 0xAB, 0x01}};
inline constexpr CLSID CLSID_FakePlainObject = {
    0x5E1F0A02, 0x7C3B, 0x4B8E, {0x9A, 0x10, 0x2D, 0x44, 0x61, 0x0F, 0xAB, 0x02}};
inline constexpr CLSID CLSID_FakeUnregistered = {
    0x5E1F0A03, 0x7C3B, 0x4B8E, {0x9A, 0x10, 0x2D, 0x44, 0x61, 0x0F, 0xAB, 0x03}};

struct FakeCoreCounters {
  std::atomic<long> findersMade;
  std::atomic<long> handlersMade;  // fake handlers and plain objects
  std::atomic<long> timesMade;
  std::atomic<long> liveObjects;  // everything the module made (factories too), not yet gone
  std::atomic<long> lookups;
  std::atomic<long> isFileSignedCalls;
  std::atomic<long> verifySignCalls;
  std::atomic<long> extractCalls;
  std::atomic<long> reservedArguments;  // calls whose reserved argument was not null
};

// The module's counters, and the extension and path (UTF-8) of its last Lookup and last
// handler call. FakeCoreReset zeroes everything.
using PfnFakeCoreCounters = FakeCoreCounters* (*)();
using PfnFakeCoreLastSeen = void (*)(char* extension, char* path, size_t size);
using PfnFakeCoreReset = void (*)();
