// Feeds arbitrary bytes to the ".reg" reader, applies what it read to every hive's tree and
// writes the trees back out: a hand-damaged hive file must never crash any of these.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry/reg_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexamor::registry;
  const RegFile file = parseRegText(std::string_view(reinterpret_cast<const char*>(data), size));
  for (Hive hive : kAllHives) {
    RegKey root;
    applyEntries(file, hive, root);
    const std::string text = writeRegText(root, u"HKEY_CLASSES_ROOT");
    // What was written must read back without a problem.
    if (!parseRegText(text).problems.empty()) __builtin_trap();
  }
  return 0;
}
