// Runs work over many files on every core. Each worker thread is a COM thread of its own.
#pragma once

#include <cstddef>
#include <functional>

namespace vexamor::dxsign {

// Calls work(i) once for every i below count, spread over the machine's cores; returns when
// all calls have returned. work must be safe to call from several threads at once.
void forEachParallel(size_t count, const std::function<void(size_t)>& work);

}  // namespace vexamor::dxsign
