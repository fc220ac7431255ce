#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "files/ProjectFile.h"
#include "model/ProjectData.h"
#include "ui/window/Dialogs.h"

class QMenu;

namespace tarnwick {

class LineArray_frm;
class ProjectHistory;
class RecentFiles;
struct ProjectState;

// File › New, Open, Save, Save As, Exit and the recent files, the question before a
// modified project is replaced or the window closes, and project files dropped on the
// window. It keeps which file the project belongs to and names it in the caption.
class FileCommands : public QObject {
  Q_OBJECT

 public:
  FileCommands(LineArray_frm& window, ProjectHistory& history);

  // Adds the file commands to the File menu; `exports` adds its entries after Save As.
  void AddTo(QMenu* file, const std::function<void(QMenu*)>& exports);
  // The file the project belongs to (UTF-8), empty until it has one.
  const std::string& FilePath() const { return fileRW_.FilePath; }

  void New_men_Click();
  void Open_men_Click();
  void Save_men_Click();
  void SaveAs_men_Click();
  void Exit_men_Click();
  // Loads a project file without asking, as Open does once a file is chosen; a refused
  // file is reported and changes nothing.
  bool OpenFile(const QString& path);
  // File › a recent file: asks first as Open does; a file that is gone is reported and
  // leaves the list.
  void OpenRecentFile(const QString& path);
  // Undo and redo: the project and its file as a step of the history had them.
  void RestoreState(const ProjectState& state);

 protected:
  // The window's close (asked about) and project files dragged onto it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Asks whether to save before the project is replaced or the window closes, when it is
  // modified: true to go on (not modified, No, or Yes and the save succeeded).
  bool SaveFirst(const QString& prompt);
  // Each save gives true only when the project was written.
  bool SaveProject();
  bool ShowSaveDialogAndWrite();
  bool WriteToFile(const FileChoice& file);
  void ShowFileName(const QString& path);

  LineArray_frm& window_;
  ProjectHistory& history_;
  FileRW fileRW_;
  QString startCaption_;
  RecentFiles* recent_ = nullptr;
};

// The folder a file dialog opens in: the user's documents folder.
QString ProjectsFolder();

}  // namespace tarnwick
