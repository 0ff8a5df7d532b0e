// The classic drawing layout as a SignedFileFormat (see classic_layout.h for the bytes).
#pragma once

#include <memory>

#include "signcore/handlers/signed_file_format.h"

namespace vexamor::signcore {

std::unique_ptr<SignedFileFormat> makeClassicFormat();

}  // namespace vexamor::signcore
