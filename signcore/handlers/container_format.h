// The container drawing layout: every stream but "DxDb:Signature" is signed, in container
// order, and the signature stream records which streams were signed (signature_stream.h).
#pragma once

#include <cstdint>
#include <string>

#include "container_file.h"
#include "signcore/handlers/signed_file_format.h"

namespace vexamor::signcore::container_format {

// As SignedFileFormat's methods, for a container whose header lies at `headerOffset`.
HRESULT isSigned(const std::string& path, uint64_t headerOffset, bool* isSigned);
HRESULT readSignature(const std::string& path, uint64_t headerOffset, bool withData,
                      StoredSignature* out);
// Signs a copy of the file and commits it before the copy replaces the file, so a failure or
// a crash at any point leaves the original as it was.
HRESULT sign(const std::string& path, uint64_t headerOffset, const ComputeBlob& compute);

// Opens the files of the containers the handler works on through `opener` (a crash test's
// fault-injecting layer); an empty one restores plain files. For tests only.
void setFileOpenerForTesting(container::FileOpener opener);

}  // namespace vexamor::signcore::container_format
