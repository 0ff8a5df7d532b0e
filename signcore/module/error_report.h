// The module's error reporting: every failing method fills the thread's error object before
// it returns. The description is the system's text for the code, or "DXSIGNCORE [0x<code>]"
// when there is none; the source is the class's ProgID and the interface its one interface.
#pragma once

#include <new>
#include <string>
#include <string_view>

#include "signcore/module/com_object.h"

namespace vexamor::signcore {

// The module's string resources; "Unknown Error" for an id it does not have.
std::u16string moduleString(unsigned id);
constexpr unsigned kIdsProjectName = 100;  // "DXSIGNCORE"

// The description that a failure with this code gets.
std::u16string errorDescription(HRESULT hr);

// Reports a failure and returns it as an HRESULT: a positive Win32 code becomes
// HRESULT_FROM_WIN32, an HRESULT passes unchanged. A non-empty `description` replaces the
// code's own.
HRESULT reportFailure(const ClassInfo& cls, long code, const std::u16string& description = {});

// Thrown by a method body for the rare failure that is returned without an error object.
struct UnreportedFailure {
  HRESULT hr;
};

// Thrown by a method body for a failure whose reason the code's text alone does not tell
// ("Invalid Signature." for a file with data behind its signature): reported with the code's
// text followed by the reason, or with a description taken over from a call that failed.
struct DescribedFailure {
  HRESULT hr;
  std::u16string description;
};
// The description of `hr` with `reason` behind it.
std::u16string describedBy(HRESULT hr, std::u16string_view reason);

// Runs a method body that returns an HRESULT; reports a failing result, and turns an escaping
// exception into E_OUTOFMEMORY or E_FAIL so that none crosses the interface.
template <class Body>
HRESULT runMethod(const ClassInfo& cls, Body&& body) noexcept {
  HRESULT hr;
  try {
    hr = body();
  } catch (const UnreportedFailure& failure) {
    return failure.hr;
  } catch (const DescribedFailure& failure) {
    return reportFailure(cls, failure.hr, failure.description);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = E_FAIL;
  }
  return FAILED(hr) ? reportFailure(cls, hr) : hr;
}

}  // namespace vexamor::signcore
