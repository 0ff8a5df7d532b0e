// drawing_samples: writes test drawings for trying the handlers by hand.
//   drawing_samples classic FILE [SIZE]      a classic "DX1015" drawing, unsigned
//   drawing_samples container FILE [OFFSET]  a container drawing with a dozen streams
#include <cstdlib>
#include <iostream>
#include <string>

#include "signcore/handlers/testing/drawing_files.h"

using namespace vexamor::signcore::testing;

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::cerr << "usage: drawing_samples classic FILE [SIZE] | container FILE [HEADER-OFFSET]\n";
    return 2;
  }
  const std::string kind = argv[1];
  const uint64_t number = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 0;
  if (kind == "classic") {
    if (!writeClassicDrawing(argv[2], argc == 4 ? number : 50000)) {
      std::cerr << "drawing_samples: cannot write " << argv[2] << '\n';
      return 1;
    }
    return 0;
  }
  if (kind == "container") {
    if (const uint32_t rc = writeContainerDrawing(argv[2], dozenStreams(), number); rc != 0) {
      std::cerr << "drawing_samples: cannot write " << argv[2] << " (Win32 error " << rc << ")\n";
      return 1;
    }
    return 0;
  }
  std::cerr << "drawing_samples: unknown kind " << kind << '\n';
  return 2;
}
