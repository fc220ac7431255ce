#include "ui/window/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <algorithm>
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

// An entry's caption: the file's name, and its folder too where another entry has the same
// name, so that show.qvd of one venue is told from show.qvd of another. An "&" in either
// is shown, not taken for a mnemonic.
QString Caption(const QStringList& paths, int i) {
  const auto name = [](const QString& path) { return QFileInfo(path).fileName(); };
  QString caption = ShownPath(name(paths[i]));
  const bool shared = std::any_of(paths.begin(), paths.end(), [&](const QString& other) {
    return other != paths[i] && name(other) == name(paths[i]);
  });
  if (shared)
    caption += QStringLiteral(" — ") +
               ShownPath(QDir::toNativeSeparators(QFileInfo(paths[i]).absolutePath()));
  return QStringLiteral("&%1 %2").arg(i + 1).arg(
      caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

}  // namespace

RecentFiles::RecentFiles(QMenu* menu, QAction* before) : QObject(menu) {
  // Each entry's tooltip is its full path, shown over the menu.
  menu->setToolTipsVisible(true);
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
    if (i >= paths_.size()) continue;
    entries_[i]->setText(Caption(paths_, i));
    const QString full = QDir::toNativeSeparators(paths_[i]);
    entries_[i]->setStatusTip(full);
    entries_[i]->setToolTip(full);
  }
}

}  // namespace tarnwick
