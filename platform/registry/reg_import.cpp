#include "platform/registry/reg_import.h"

#include "platform/com/utf.h"
#include "platform/registry/hive_store.h"
#include "platform/registry/reg_text.h"

namespace vexamor::registry {

ImportResult importRegText(const std::string& bytes) {
  ImportResult result;
  const RegFile file = parseRegText(bytes);
  result.problems = file.problems;
  for (Hive hive : kAllHives) {
    bool mentioned = false;
    for (const auto& key : file.keys) mentioned = mentioned || key.hive == hive;
    if (!mentioned) continue;
    const LONG rc = updateHive(hive, [&](RegKey& root, bool* changed) -> LONG {
      *changed = applyEntries(file, hive, root);
      return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS && result.error == ERROR_SUCCESS) result.error = rc;
  }
  if (result.error == ERROR_SUCCESS) result.keys = file.keys.size();
  return result;
}

LONG exportRegText(const std::string& keyPath, std::string* out) {
  std::u16string path = text::utf8ToUtf16(keyPath);
  while (!path.empty() && path.back() == u'\\') path.pop_back();
  const size_t slash = path.find(u'\\');
  const auto hive = hiveFromName(std::u16string_view(path).substr(0, slash));
  if (!hive) return ERROR_BADKEY;
  std::vector<std::u16string> parts;
  std::u16string fullName = text::utf8ToUtf16(hiveName(*hive));
  for (size_t start = slash; start != std::u16string::npos;) {
    const size_t next = path.find(u'\\', start + 1);
    const auto part =
        path.substr(start + 1, next == std::u16string::npos ? next : next - start - 1);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    parts.push_back(part);
    start = next;
  }
  std::shared_ptr<const RegKey> root;
  const LONG rc = readHive(*hive, &root);
  if (rc != ERROR_SUCCESS) return rc;
  // The export names each key with its stored spelling, whatever case the caller typed.
  const RegKey* key = root.get();
  for (const auto& part : parts) {
    key = key->findSubkey(part);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
    fullName += u'\\' + key->name();
  }
  *out = writeRegText(*key, fullName);
  return ERROR_SUCCESS;
}

}  // namespace vexamor::registry
