// What the handler tests share: a folder of their own, the build tree's registration, the
// handlers made through CoCreateInstance as a client makes them, and byte surgery on files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore::testing {

class HandlerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  com::ComPtr<IVexaSignFile> handler(REFCLSID clsid) const;
  com::ComPtr<IVexaSignFile> drx() const { return handler(CLSID_VexaSignDRX); }
  com::ComPtr<IVexaSignFile> append() const { return handler(CLSID_VexaSignAppend); }

  // IsFileSigned's result and flag (-1 when the call failed).
  static std::pair<HRESULT, LONG> isSigned(IVexaSignFile* h, const std::string& path);
  static std::pair<HRESULT, LONG> verify(IVexaSignFile* h, const std::string& path);
  // The source (ProgID) of the thread's error object, empty when there is none.
  static std::string errorSource();
  // Entries of the test folder, to see that no temporary file was left behind.
  size_t entries() const;

  std::filesystem::path dir_;
  registry::TempRegistry registry_;
};

// Little-endian field and byte edits of a file on disk.
void storeField(const std::string& path, uint64_t offset, uint32_t value);
void flipByte(const std::string& path, uint64_t offset);

}  // namespace vexamor::signcore::testing
