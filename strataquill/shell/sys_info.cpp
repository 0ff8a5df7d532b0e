#include "strataquill/shell/sys_info.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>

#include "strataquill/shell/user_prompts.h"

#ifdef VEXAMOR_HAVE_REGISTRY
#include "platform/registry/registry.h"
#endif

namespace sq {
namespace {

std::function<bool(const std::string&)>& starter() {
  static std::function<bool(const std::string&)> start;
  return start;
}

bool startProgram(const std::string& program) {
  if (starter()) return starter()(program);
  return QProcess::startDetached(QString::fromStdString(program), {});
}

}  // namespace

void setProgramStarter(std::function<bool(const std::string&)> start) {
  starter() = std::move(start);
}

bool GetKeyValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                 std::string& value) {
  value.clear();
#ifdef VEXAMOR_HAVE_REGISTRY
  const std::u16string path = QString::fromStdString(keyPath).toStdU16String();
  const std::u16string name = QString::fromStdString(valueName).toStdU16String();
  HKEY key = nullptr;
  // Read access is all a reading needs; a registry that cannot be written
  // still answers.
  if (RegOpenKeyExW(root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                    path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  WCHAR buffer[1024] = {};
  DWORD type = 0, bytes = sizeof buffer;
  const LONG rc =
      RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  std::u16string text(buffer, std::min<std::size_t>(bytes / sizeof(WCHAR), 1024));
  if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  value = QString::fromStdU16String(text).toStdString();
  return true;
#else
  (void)root;
  (void)keyPath;
  (void)valueName;
  return false;
#endif
}

void StartSysInfo() {
  std::string path;
  if (GetKeyValue(RegistryRoot::kLocalMachine, kSysInfoKey, kSysInfoValue, path)) {
    if (startProgram(path)) return;
  } else if (GetKeyValue(RegistryRoot::kLocalMachine, kSharedToolsKey, kSharedToolsValue, path)) {
    const std::string tool = path + "/MSINFO32.EXE";
    if (QFileInfo(QString::fromStdString(tool)).isFile() && startProgram(tool)) return;
  }
  prompts().message("System Information Is Unavailable At This Time", "Strataquill",
                    MessageButtons::kOk, MessageIcon::kNone);
}

}  // namespace sq
