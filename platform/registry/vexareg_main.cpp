// vexareg: imports ".reg" files into the registry hives and exports keys from them.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/com/message_table.h"
#include "platform/com/utf.h"
#include "platform/registry/hive_store.h"
#include "platform/registry/reg_import.h"

namespace {

constexpr const char* kUsage =
    "Usage: vexareg import FILE       apply a .reg file (\"-\" reads standard input)\n"
    "       vexareg export KEY [FILE]  write KEY and all below it as a .reg file\n"
    "                                  (to standard output without FILE)\n"
    "       vexareg --help\n"
    "KEY starts with a hive: HKEY_CLASSES_ROOT (HKCR), HKEY_CURRENT_USER (HKCU) or\n"
    "HKEY_LOCAL_MACHINE (HKLM). The user's hives live in $VEXAMOR_REGISTRY, else in\n"
    "$XDG_CONFIG_HOME/vexamor/registry (~/.config/vexamor/registry). HKCR and HKLM\n"
    "are read as the user's keys over the machine's hives ($VEXAMOR_MACHINE_REGISTRY,\n"
    "else %s), which the package fills; imports go to the user's\n"
    "hives, or, for root with VEXAMOR_REGISTRY_SCOPE=machine, to the machine's.\n";

std::string errorText(LONG code) {
  auto text = vexamor::win32::systemMessage(static_cast<uint32_t>(code));
  char number[32];
  std::snprintf(number, sizeof number, " (error %d)", static_cast<int>(code));
  return (text ? vexamor::text::utf16ToUtf8(*text) : std::string("Unknown error")) + number;
}

int importFile(const std::string& name) {
  std::string bytes;
  if (name == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), {});
  } else {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      std::cerr << "vexareg: cannot read " << name << ": " << std::strerror(errno) << '\n';
      return 1;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const auto result = vexamor::registry::importRegText(bytes);
  for (const auto& problem : result.problems) {
    std::cerr << "vexareg: " << name << ": " << problem << '\n';
  }
  if (result.error != 0) {
    vexamor::registry::Scope scope = vexamor::registry::Scope::User;
    const bool machine = vexamor::registry::writeScope(&scope) != 0 ||
                         scope == vexamor::registry::Scope::Machine;
    std::cerr << "vexareg: cannot write to "
              << (machine ? vexamor::registry::machineRegistryFolder()
                          : vexamor::registry::registryFolder())
              << ": "
              << errorText(result.error) << '\n';
    return 1;
  }
  return 0;
}

int exportKey(const std::string& key, const char* file) {
  std::string text;
  const LONG rc = vexamor::registry::exportRegText(key, &text);
  if (rc != 0) {
    std::cerr << "vexareg: cannot export " << key << ": " << errorText(rc) << '\n';
    return 1;
  }
  if (file == nullptr) {
    std::cout << text;
    return std::cout.good() ? 0 : 1;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "vexareg: cannot write " << file << ": " << std::strerror(errno) << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(kUsage, VEXAMOR_MACHINE_REGISTRY_DIR);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "import") == 0) return importFile(argv[2]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "export") == 0) {
    return exportKey(argv[2], argc == 4 ? argv[3] : nullptr);
  }
  std::fprintf(stderr, kUsage, VEXAMOR_MACHINE_REGISTRY_DIR);
  return 2;
}
