// The folder chooser: a drive list, a folder list and OK.
#pragma once

#include <functional>

#include <QDialog>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

class QComboBox;
class QPushButton;

namespace snapnook {

/// The drive list's entries: the given mount points without duplicates, "/" first, the rest
/// in natural order.
QStringList OrderDriveRoots(const QStringList& mount_points);

/// The mounted file-system roots of the machine that can be listed, "/" first.
QStringList MountedDriveRoots();

/// The folder list `Dir1`: the current folder's ancestors, the folder itself and its
/// subfolders, as an indented tree. A double-click or Enter on a folder opens it.
class FolderList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderList(QWidget* parent = nullptr);

  /// The folder that is open (absolute, without a trailing "/" except for "/").
  const QString& path() const { return path_; }
  /// Opens `folder` when it is an existing folder; otherwise returns false and changes
  /// nothing.
  bool SetPath(const QString& folder);
  /// Opens the highlighted folder, as Enter does.
  void OpenCurrent();

  /// Called after the open folder changed.
  std::function<void(const QString&)> on_path_changed;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Fill();

  QString path_;
};

/// The folder chooser `Form2`, caption "Choose a directory", client area 392 x 175, sizable.
/// Created once and afterwards only hidden, so it keeps its drive and folder between uses.
/// OK (`cmdOK`) hides it as accepted; Esc or the frame's close control hide it as rejected.
/// Newly created, it shows the drive and folder of the program's current working folder.
class Form2 : public QDialog {
  Q_OBJECT

 public:
  explicit Form2(QWidget* owner);

  /// Dir1's open folder, the chooser's result.
  QString Path() const;
  /// Opens `folder` in Dir1 when it exists; otherwise returns false and changes nothing.
  bool SetPath(const QString& folder);
  /// The root shown by Drive1.
  QString Drive() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void DriveChanged(int index);
  QString DriveOf(const QString& folder) const;

  QComboBox* drive_ = nullptr;
  FolderList* folders_ = nullptr;
  QPushButton* ok_ = nullptr;
  /// The folder last open on each drive, by its root.
  QMap<QString, QString> drive_folders_;
};

}  // namespace snapnook
