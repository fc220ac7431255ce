#pragma once

#include <QObject>
#include <QStringList>
#include <array>

class QAction;
class QMenu;

namespace tarnwick {

// File › the last four projects opened or saved, newest first, kept in the
// user's settings between runs. Each shows its file's name, with its folder where two
// names are alike, and its full path as its tip. Picking one asks the window to open it.
class RecentFiles : public QObject {
  Q_OBJECT

 public:
  static constexpr int Count = 4;

  // Adds the entries RecentFile_men(0) ... (3) to the menu before `before`.
  RecentFiles(QMenu* menu, QAction* before);

  // A project was opened from or saved to the path: it goes to the top.
  void Remember(const QString& path);
  // The path is gone: its entry goes.
  void Forget(const QString& path);

 signals:
  void OpenRequested(const QString& path);

 private:
  void Load();
  void Show();

  std::array<QAction*, Count> entries_{};
  QStringList paths_;
  bool loaded_ = false;
};

}  // namespace tarnwick
