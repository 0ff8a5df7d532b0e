#include "strataquill/forms/folder_chooser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace sq::forms {
namespace {

QString cleanFolder(const QString& folder) {
  QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
  return path.isEmpty() ? QStringLiteral("/") : path;
}

bool isInside(const QString& folder, const QString& root) {
  return root == "/" || folder == root || folder.startsWith(root + '/');
}

// Volumes a user keeps files on; the system's own mounts (/proc, /run,
// snaps, the root itself) are left out.
bool isUserVolume(const QStorageInfo& volume) {
  if (!volume.isValid() || !volume.isReady() || volume.isRoot()) return false;
  const QString root = volume.rootPath();
  const QByteArray type = volume.fileSystemType();
  if (type == "squashfs" || type == "tmpfs" || type == "devtmpfs" || type == "overlay")
    return false;
  for (const char* own : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var", "/tmp"})
    if (isInside(root, own) && !root.startsWith("/run/media/")) return false;
  return volume.device().startsWith("/dev/") || root.startsWith("/media/") ||
         root.startsWith("/mnt/") || root.startsWith("/run/media/");
}

}  // namespace

std::vector<FolderPlace> folderPlaces() {
  std::vector<FolderPlace> places;
  places.push_back({QStringLiteral("Home (%1)").arg(QDir::homePath()), cleanFolder(QDir::homePath())});
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!isUserVolume(volume)) continue;
    const QString name = volume.displayName().isEmpty() ? volume.rootPath() : volume.displayName();
    places.push_back({name == volume.rootPath() ? name : QStringLiteral("%1 (%2)").arg(name, volume.rootPath()),
                      cleanFolder(volume.rootPath())});
  }
  places.push_back({QStringLiteral("File System (/)"), QStringLiteral("/")});
  return places;
}

FolderChooser::FolderChooser(const QString& driveName, const QString& folderName, QWidget* parent)
    : QWidget(parent), places_(folderPlaces()) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  drive_ = new QComboBox(this);
  drive_->setObjectName(driveName);
  for (const FolderPlace& place : places_) drive_->addItem(place.name, place.root);
  tree_ = new QTreeView(this);
  tree_->setObjectName(folderName);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QStringLiteral("/"));
  tree_->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  tree_->setMinimumHeight(160);
  layout->addWidget(drive_);
  layout->addWidget(tree_, 1);
  connect(drive_, &QComboBox::activated, this, &FolderChooser::driveChanged);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) folder_ = cleanFolder(model_->filePath(current));
          });
}

void FolderChooser::showRoot(const QString& root) {
  root_ = root;
  tree_->setRootIndex(model_->index(root));
}

bool FolderChooser::setFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir()) return false;
  const QString path = cleanFolder(folder);
  // The place that holds the folder: the deepest one.
  int best = -1;
  for (int i = 0; i < static_cast<int>(places_.size()); ++i)
    if (isInside(path, places_[i].root) &&
        (best < 0 || places_[i].root.size() > places_[best].root.size()))
      best = i;
  {
    QSignalBlocker block(drive_);
    drive_->setCurrentIndex(best);
  }
  showRoot(best >= 0 ? places_[best].root : QStringLiteral("/"));
  folder_ = path;
  const QModelIndex at = model_->index(path);
  tree_->setCurrentIndex(at);
  tree_->scrollTo(at);
  tree_->expand(at);
  return true;
}

void FolderChooser::driveChanged(int index) {
  if (index < 0 || index >= static_cast<int>(places_.size())) return;
  const QFileInfo root(places_[index].root);
  // A place that cannot be read (an empty drive) keeps the folder shown.
  if (!root.isDir() || !root.isReadable()) {
    QSignalBlocker block(drive_);
    setFolder(folder_);
    return;
  }
  setFolder(places_[index].root);
}

}  // namespace sq::forms
