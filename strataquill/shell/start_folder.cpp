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

FileDialogRequest fileDialogFor(FileKind kind, const std::string& title, bool mustExist,
                                const std::string& openFile) {
  const bool project = kind == FileKind::kProject;
  FileDialogRequest request;
  request.title = title;
  request.initialFolder = startFolder(project ? "DefaultSQFileDir" : "DefaultLayoutDir", openFile);
  request.filter = project ? "Strataquill Data (*.sq2)|*.sq2" : "Strataquill Layout (*.sqf)|*.sqf";
  request.defaultExtension = project ? ".sq2" : ".sqf";
  request.mustExist = mustExist;
  return request;
}

}  // namespace sq
