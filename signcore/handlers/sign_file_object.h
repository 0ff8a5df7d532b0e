// The IVexaSignFile object that every signature handler is: the argument checks, the calls
// into VexaSignature and the handing out of results, around the handler's SignedFileFormat.
#pragma once

#include <memory>

#include "signcore/handlers/signed_file_format.h"
#include "signcore/module/com_object.h"

namespace vexamor::signcore {

// A new handler object of class `cls` working on `format`, asked for riid.
HRESULT createSignFileObject(const ClassInfo& cls, std::unique_ptr<SignedFileFormat> format,
                             REFIID riid, void** ppv);

}  // namespace vexamor::signcore
