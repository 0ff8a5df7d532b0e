// Test helpers around DxSignIcon: its registration and the fake core's (fake_core.h) in a
// test's registry, the fake core's counters, and files whose signature answers a test picks.
#pragma once

#include <string>

#include "platform/com/win32_types.h"
#include "signicon/testing/fake_core.h"

namespace vexamor::signicon::testing {

// The build's DxSignIcon.so and the fake core module.
std::string iconModulePath();
std::string fakeCorePath();

// Imports DxSignIcon's build-tree registration into the current registry; fails the test
// when it cannot.
void registerOverlay();
// Registers the fake core's handler classes and, with `withFinder`, its VexaFindSignFile in
// place of the real one.
void registerFakeCore(bool withFinder);
// Imports a piece of ".reg" text (the header line is added).
void importRegistryText(const std::string& text);

// Maps a file type to a handler class ("{...}") in the core's file-type registry, or, with
// null, removes it; false when the registry refuses. Safe to call in a forked child.
bool setFileTypeHandler(const char16_t* extension, const char16_t* clsid);

// Sets or replaces HKEY_CURRENT_USER\...\Vexamor Digital Signatures "IconOverlayEnabled".
void setEnabledValue(DWORD value);
void setEnabledValueAsString(const std::string& value);

// The answers of fake_core.h's handler, as the text of a fake file.
std::string fakeAnswers(HRESULT signedHr, LONG signedFlag, HRESULT verifyHr, LONG verifyFlag,
                        HRESULT extractHr);
std::string signedAnswers();    // signed, valid, readable
std::string tamperedAnswers();  // signed, but the signature no longer verifies
std::string unsignedAnswers();  // no signature at all
void writeFile(const std::string& path, const std::string& content);

// Holds the fake core loaded for as long as it lives, so that its counters outlast a
// CoFreeUnusedLibraries; reset on construction.
class FakeCore {
 public:
  FakeCore();
  FakeCore(const FakeCore&) = delete;
  FakeCore& operator=(const FakeCore&) = delete;
  ~FakeCore();

  FakeCoreCounters& counters() const { return *counters_; }
  // Everything the core made: finders, handlers and time objects.
  long objectsMade() const;
  std::string lastExtension() const;
  std::string lastPath() const;
  void reset() const;

 private:
  void* handle_ = nullptr;
  FakeCoreCounters* counters_ = nullptr;
};

// A folder of its own under $TMPDIR, removed with the object.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vexamor::signicon::testing
