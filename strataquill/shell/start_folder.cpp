#include "strataquill/shell/start_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "strataquill/shell/settings_store.h"

namespace sq {

std::string documentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
  return QDir::homePath().toStdString();
}

std::string startFolder(const std::string& settingKey, const std::string& openFile) {
  const std::string named = GetSetting("Files", settingKey, "");
  if (!named.empty() && QFileInfo(QString::fromStdString(named)).isDir()) return named;
  if (!openFile.empty() && openFile[0] != '?') {
    const QFileInfo file(QString::fromStdString(openFile));
    if (file.absoluteDir().exists()) return file.absolutePath().toStdString();
  }
  return documentsFolder();
}

}  // namespace sq
