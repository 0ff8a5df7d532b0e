// The COM task allocator: the one allocator whose blocks cross between a server and its
// clients (out-arrays and data blocks are freed by the receiver).
#pragma once

#include <cstddef>

extern "C" {
// A zero size still gives a distinct block that must be freed.
void* CoTaskMemAlloc(size_t cb);
void* CoTaskMemRealloc(void* pv, size_t cb);
void CoTaskMemFree(void* pv);
}
