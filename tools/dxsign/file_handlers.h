// Finds the signature handler of a file as any client does: by the file's extension, through
// VexaFindSignFile, then CoCreateInstance of the class it names. One finder per thread.
#pragma once

#include <map>
#include <string>

#include "platform/com/com_ptr.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::dxsign {

// The extension of the file name (the last dot of the last path part and what follows, as
// ".drx"), or empty when the name has no dot.
std::string extensionOf(const std::string& path);

class HandlerFinder {
 public:
  // The handler for `path`, or null with `problem` set to what a user reads about it.
  com::ComPtr<IVexaSignFile> find(const std::string& path, std::string* problem);

 private:
  com::ComPtr<IVexaFindSignFile> finder_;
  std::map<std::string, com::ComPtr<IVexaSignFile>> byExtension_;
};

}  // namespace vexamor::dxsign
