#include "ui/window/RecentFiles.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <climits>

#include "ui/window/Dialogs.h"

namespace tarnwick {

namespace {

const QString Key = QStringLiteral("RecentFiles");

// A path within the system's limit. A longer one names no file the system can open: it
// can only be a damaged entry, and laying it out in a menu or a message could hold up the
// window for as long as it is long.
bool WithinPathLimit(const QString& path) {
  return !path.isEmpty() && path.size() < PATH_MAX && QFile::encodeName(path).size() < PATH_MAX;
}

QStringList Stored() {
  return QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).value(Key).toStringList();
}

void Store(const QStringList& paths) {
  QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).setValue(Key, paths);
}

}  // namespace

RecentFiles::RecentFiles(QMenu* menu, QAction* before) : QObject(menu) {
  for (int i = 0; i < Count; ++i) {
    entries_[i] = new QAction(menu);
    entries_[i]->setObjectName(QStringLiteral("RecentFile_men(%1)").arg(i));
    menu->insertAction(before, entries_[i]);
    connect(entries_[i], &QAction::triggered, this,
            [this, i] { emit OpenRequested(paths_.value(i)); });
  }
  // Read on first need: the list is not on screen when the window opens.
  connect(menu, &QMenu::aboutToShow, this, &RecentFiles::Load);
  Show();
}

void RecentFiles::Load() {
  if (loaded_) return;
  loaded_ = true;
  paths_.clear();
  for (const QString& path : Stored())
    if (paths_.size() < Count && WithinPathLimit(path)) paths_ << path;
  Show();
}

void RecentFiles::Remember(const QString& path) {
  Load();
  const QString full = QFileInfo(path).absoluteFilePath();
  paths_.removeAll(full);
  paths_.prepend(full);
  paths_ = paths_.mid(0, Count);
  Store(paths_);
  Show();
}

void RecentFiles::Forget(const QString& path) {
  Load();
  paths_.removeAll(path);
  Store(paths_);
  Show();
}

void RecentFiles::Show() {
  for (int i = 0; i < Count; ++i) {
    entries_[i]->setVisible(i < paths_.size());
    if (i < paths_.size())
      entries_[i]->setText(
          QStringLiteral("&%1 %2").arg(i + 1).arg(ShownPath(QFileInfo(paths_[i]).fileName())));
  }
}

}  // namespace tarnwick
