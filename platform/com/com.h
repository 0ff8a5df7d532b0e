// The COM runtime in one include: types, GUIDs, IUnknown and IClassFactory, BSTR, VARIANT,
// the task allocator, error objects and activation.
#pragma once

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/error_info.h"
#include "platform/com/guid.h"
#include "platform/com/task_mem.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
