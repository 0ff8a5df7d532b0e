// forged_samples: makes forged files from signed ones, for trying the verifier by hand as an
// attacker would. A test helper, not part of an installation.
//   forged_samples tail-into-note FILE BYTES   cut FILE short, the tail moved into the note
//   forged_samples content FILE OUT            write the bytes that FILE's signature covers
//   forged_samples replace-blob FILE BLOB      put the DER signature in BLOB into FILE
//   forged_samples add-stream FILE NAME        add a stream to a container drawing
#include <cstdlib>
#include <iostream>
#include <string>

#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/testing/forgery.h"

using namespace vexamor::signcore::testing;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: forged_samples tail-into-note FILE BYTES | content FILE OUT |\n"
                 "       replace-blob FILE BLOB | add-stream FILE NAME\n";
    return 2;
  }
  const std::string verb = argv[1];
  const std::string path = argv[2];
  const std::string arg = argv[3];
  bool ok = false;
  if (verb == "tail-into-note") {
    ok = moveTailIntoNote(path, std::strtoull(arg.c_str(), nullptr, 10));
  } else if (verb == "content") {
    const auto parts = signedPartsOf(path);
    ok = parts && writeFile(arg, parts->content);
  } else if (verb == "replace-blob") {
    const auto blob = readFile(arg);
    ok = !blob.empty() && replaceBlob(path, std::string(blob.begin(), blob.end()));
  } else if (verb == "add-stream") {
    ok = addContainerStream(path, arg, sampleBytes(700, 42));
  } else {
    std::cerr << "forged_samples: unknown verb " << verb << '\n';
    return 2;
  }
  if (!ok) {
    std::cerr << "forged_samples: " << verb << " failed for " << path << '\n';
    return 1;
  }
  return 0;
}
