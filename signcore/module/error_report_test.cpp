#include "signcore/module/error_report.h"

#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"
#include "platform/com/error_info.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {
namespace {

HRESULT noCreate(REFIID, void**) {
  return E_NOTIMPL;
}
const ClassInfo kSample = {CLSID_VexaSecurity, IID_IVexaSecurity, kProgIdVexaSecurity,
                           "VexaSecurity",     "IVexaSecurity",   noCreate};

std::u16string takeDescription(GUID* iid = nullptr) {
  com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.out()) != S_OK) return u"<none>";
  com::Bstr text;
  info->GetDescription(text.out());
  if (iid != nullptr) info->GetGUID(iid);
  return std::u16string(text.view());
}

TEST(ErrorReport, Win32CodesBecomeHresultsWithTheSystemText) {
  EXPECT_EQ(reportFailure(kSample, ERROR_ACCESS_DENIED), E_ACCESSDENIED);
  GUID iid;
  EXPECT_EQ(takeDescription(&iid), u"Access is denied.");
  EXPECT_EQ(iid, IID_IVexaSecurity);
  EXPECT_EQ(reportFailure(kSample, E_UNEXPECTED), E_UNEXPECTED);
  EXPECT_EQ(takeDescription(), u"Catastrophic failure");
}

TEST(ErrorReport, ContainerFailuresReadAsTheSystemWordsThem) {
  EXPECT_EQ(reportFailure(kSample, ERROR_FILE_CORRUPT), static_cast<HRESULT>(0x80070570));
  EXPECT_EQ(takeDescription(), u"The file or directory is corrupted and unreadable.");
  reportFailure(kSample, ERROR_GEN_FAILURE);
  EXPECT_EQ(takeDescription(), u"A device attached to the system is not functioning.");
  reportFailure(kSample, ERROR_HANDLE_EOF);
  EXPECT_EQ(takeDescription(), u"Reached the end of the file.");
}

TEST(ErrorReport, CodesWithoutTextNameTheModule) {
  EXPECT_EQ(reportFailure(kSample, static_cast<long>(0x80041234)),
            static_cast<HRESULT>(0x80041234));
  EXPECT_EQ(takeDescription(), u"DXSIGNCORE [0x80041234]");
  EXPECT_EQ(moduleString(101), u"Unknown Error");
}

TEST(ErrorReport, MethodsNeverLetAnExceptionOut) {
  EXPECT_EQ(runMethod(kSample, []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(runMethod(kSample, []() -> HRESULT { throw 42; }), E_FAIL);
  EXPECT_EQ(takeDescription(), u"Unspecified error");
  EXPECT_EQ(runMethod(kSample, [] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(takeDescription(), u"<none>");  // success reports nothing
}

}  // namespace
}  // namespace vexamor::signcore
