#pragma once

#include <QString>
#include <QWidget>

#include <vector>

class QComboBox;
class QFileSystemModel;
class QTreeView;

namespace sq::forms {

// A place a user picks a folder from: the home folder, a mounted volume,
// the file system's root.
struct FolderPlace {
  QString name;  // as the list shows it
  QString root;  // its top folder
};

// The places of this system: home first, then the mounted volumes a user
// keeps files on (removable media, other disks), then the file system.
std::vector<FolderPlace> folderPlaces();

// The place list ("drive list") above a folder tree ("folder list"): picking
// a place shows its folders and makes its top folder the current one; a
// place that cannot be read leaves the tree as it was.
class FolderChooser : public QWidget {
  Q_OBJECT

 public:
  FolderChooser(const QString& driveName, const QString& folderName, QWidget* parent = nullptr);

  // Shows `folder` as the current folder; false (and nothing changes) when
  // it is not an existing folder.
  bool setFolder(const QString& folder);
  // The current folder, absolute, without a trailing separator (but "/").
  QString folder() const { return folder_; }

  QComboBox* drive() const { return drive_; }
  QTreeView* folders() const { return tree_; }
  // Picks place `index` of the drive list, as a user does.
  void driveChanged(int index);

 private:
  void showRoot(const QString& root);

  std::vector<FolderPlace> places_;
  QComboBox* drive_;
  QTreeView* tree_;
  QFileSystemModel* model_;
  QString folder_;
  QString root_;
};

}  // namespace sq::forms
