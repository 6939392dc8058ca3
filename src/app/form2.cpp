#include "app/form2.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QStorageInfo>

#include "core/natural_order.h"
#include "dialogs/art.h"

namespace snapnook {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString Clean(const QString& folder) {
  return QDir::cleanPath(QDir(folder).absolutePath());
}

// Whether `folder` is `root` or lies below it (both clean and absolute).
bool IsInside(const QString& folder, const QString& root) {
  if (folder == root) return true;
  return folder.startsWith(root.endsWith('/') ? root : root + '/');
}

}  // namespace

QStringList OrderDriveRoots(const QStringList& mount_points) {
  QStringList roots;
  for (const QString& point : mount_points) {
    if (!point.isEmpty() && !roots.contains(point)) roots.append(point);
  }
  std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) {
    if (a == QLatin1String("/") || b == QLatin1String("/"))
      return a == QLatin1String("/") && b != a;
    return NaturalLess(a.toStdString(), b.toStdString());
  });
  return roots;
}

QStringList MountedDriveRoots() {
  QStringList points{QStringLiteral("/")};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
      points.append(volume.rootPath());
    }
  }
  return OrderDriveRoots(points);
}

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(12);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { SetPath(item->data(0, kPathRole).toString()); });
}

bool FolderList::SetPath(const QString& folder) {
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
  const QString clean = Clean(folder);
  const bool changed = clean != path_;
  path_ = clean;
  Fill();
  if (changed && on_path_changed) on_path_changed(path_);
  return true;
}

void FolderList::OpenCurrent() {
  if (QTreeWidgetItem* item = currentItem()) SetPath(item->data(0, kPathRole).toString());
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  // Enter opens the highlighted folder here rather than pressing the dialog's OK button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenCurrent();
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void FolderList::Fill() {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The ancestors from the root down to the open folder, each nested in the one above.
  QStringList chain;
  for (QDir dir(path_);;) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  QTreeWidgetItem* parent = nullptr;
  for (const QString& folder : chain) {
    const QString name = QDir(folder).isRoot() ? folder : QFileInfo(folder).fileName();
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setIcon(0, open_icon);
    item->setData(0, kPathRole, folder);
    item->setExpanded(true);
    parent = item;
  }

  QStringList names = QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return NaturalLess(a.toStdString(), b.toStdString());
  });
  for (const QString& name : names) {
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, name);
    item->setIcon(0, closed_icon);
    item->setData(0, kPathRole, QDir(path_).filePath(name));
  }
  if (parent) {
    parent->setExpanded(true);
    setCurrentItem(parent);
    scrollToItem(parent);
  }
}

Form2::Form2(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Choose a directory"));
  setWindowIcon(AppIcon());
  setSizeGripEnabled(false);
  resize(392, 175);

  drive_ = new QComboBox(this);
  drive_->setObjectName(QStringLiteral("Drive1"));
  drive_->setGeometry(0, 0, 241, 21);
  for (const QString& root : MountedDriveRoots()) {
    QString label = root;
    const QString name = QStorageInfo(root).name();
    if (!name.isEmpty() && root != QLatin1String("/")) label += QStringLiteral("  [") + name + ']';
    drive_->addItem(label, root);
  }

  folders_ = new FolderList(this);
  folders_->setObjectName(QStringLiteral("Dir1"));
  folders_->setGeometry(0, 24, 385, 111);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("cmdOK"));
  ok_->setGeometry(144, 144, 89, 25);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  setTabOrder(folders_, drive_);
  setTabOrder(drive_, ok_);

  // Newly created: the drive and folder of the current working folder.
  const QString start = Clean(QDir::currentPath());
  const int start_drive = drive_->findData(DriveOf(start));
  drive_->setCurrentIndex(start_drive >= 0 ? start_drive : 0);
  folders_->SetPath(start);
  drive_folders_[Drive()] = folders_->path();

  folders_->on_path_changed = [this](const QString& folder) {
    const QString root = Drive();
    if (IsInside(folder, root)) drive_folders_[root] = folder;
  };
  connect(drive_, &QComboBox::currentIndexChanged, this, &Form2::DriveChanged);
}

QString Form2::Path() const {
  return folders_->path();
}

bool Form2::SetPath(const QString& folder) {
  return folders_->SetPath(folder);
}

QString Form2::Drive() const {
  return drive_->currentData().toString();
}

void Form2::DriveChanged(int index) {
  if (index < 0) return;
  // A drive keeps its own current folder: the one last open on it, else its root.
  const QString root = drive_->itemData(index).toString();
  if (!folders_->SetPath(drive_folders_.value(root, root))) folders_->SetPath(root);
}

QString Form2::DriveOf(const QString& folder) const {
  QString best = QStringLiteral("/");
  for (int i = 0; i < drive_->count(); ++i) {
    const QString root = drive_->itemData(i).toString();
    if (IsInside(folder, root) && root.size() > best.size()) best = root;
  }
  return best;
}

void Form2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  folders_->setFocus();
}

}  // namespace snapnook
