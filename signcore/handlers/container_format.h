// The container drawing layout: every stream but "DxDb:Signature" is signed, in container
// order, and the signature stream records which streams were signed (signature_stream.h).
// A signed container holds nothing else: a stream that is neither recorded nor the signature
// stream, or a second signature stream, was added after signing and makes the file not
// validly signed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "container_file.h"
#include "signcore/handlers/file_access.h"
#include "signcore/handlers/signed_file_format.h"

namespace vexamor::signcore::container_format {

// As SignedFileFormat's methods, for an opened container whose header lies at `headerOffset`.
// The container is read through the opened file's descriptor, never by its path again.
HRESULT isSigned(const OpenedFile& file, uint64_t headerOffset, bool* isSigned);
HRESULT readSignature(const OpenedFile& file, uint64_t headerOffset, bool withData,
                      StoredSignature* out);
// Signs a copy of the file and commits it before the copy replaces the file, so a failure or
// a crash at any point leaves the original as it was.
HRESULT sign(const OpenedFile& file, uint64_t headerOffset, const ComputeBlob& compute);

// Wraps every file that the containers the handler works on are read and written through
// (a crash test's fault-injecting layer); an empty one restores plain files. For tests only.
using FileWrapper = std::function<std::unique_ptr<container::ContainerFile>(
    std::unique_ptr<container::ContainerFile>)>;
void setFileWrapperForTesting(FileWrapper wrapper);

}  // namespace vexamor::signcore::container_format
