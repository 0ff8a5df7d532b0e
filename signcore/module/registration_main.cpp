// dxsigncore_regfile MODULE_PATH OUTPUT: writes the registration of the module found at
// MODULE_PATH to OUTPUT (run by the build, once per layout).
#include <cstdio>
#include <fstream>
#include <iostream>

#include "signcore/module/registration.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: dxsigncore_regfile MODULE_PATH OUTPUT\n";
    return 2;
  }
  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << vexamor::signcore::registrationText(argv[1]);
    if (!out.flush()) {
      std::cerr << "dxsigncore_regfile: cannot write " << tmp << '\n';
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::cerr << "dxsigncore_regfile: cannot write " << argv[2] << '\n';
    return 1;
  }
  return 0;
}
