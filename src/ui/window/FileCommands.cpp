#include "ui/window/FileCommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include "ui/panels/Controls.h"
#include "ui/window/LineArrayForm.h"
#include "ui/window/ProjectHistory.h"
#include "ui/window/RecentFiles.h"

namespace tarnwick {

namespace {

const QString Extension = QStringLiteral("qvd");
const QString OpenPrompt =
    QStringLiteral("Do you want to save your data before another file is opened?");
const QString QuitPrompt = QStringLiteral("Do you want to save your project before you quit?");

// The window's caption with the name of the project's file, if it has one.
QString CaptionFor(const QString& startCaption, const QString& fileName) {
  // "[*]" shows as "*" while the project differs from its file.
  const QString name = fileName.isEmpty() ? QString() : QStringLiteral("  -  ") + fileName;
  return startCaption + name + QStringLiteral("[*]");
}

FileDialogSetup DialogSetup(const QString& title) {
  FileDialogSetup setup;
  setup.Title = title;
  setup.Filter = QStringLiteral("Quenvar Line Array Data (*.") + Extension + QStringLiteral(")");
  setup.DefaultExtension = Extension;
  setup.Folder = ProjectsFolder();
  return setup;
}

// The one local .qvd file a drag carries, or an empty text.
QString DroppedProject(const QMimeData* data) {
  const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
  const QString path = urls[0].toLocalFile();
  return path.endsWith(QStringLiteral(".") + Extension, Qt::CaseInsensitive) ? path : QString();
}

}  // namespace

QString ProjectsFolder() {
  // The user's documents folder: never one inside the program's build or
  // install tree, where projects would go with the next clean build.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QDir().mkpath(documents);
  return documents;
}

FileCommands::FileCommands(LineArray_frm& window, ProjectHistory& history)
    : QObject(&window), window_(window), history_(history) {
  startCaption_ = window.windowTitle();
  window.setWindowTitle(CaptionFor(startCaption_, {}));
  window.setAcceptDrops(true);
  window.installEventFilter(this);
}

void FileCommands::AddTo(QMenu* file, const std::function<void(QMenu*)>& exports) {
  using Files = FileCommands;
  const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
  connect(AddCommand(file, "New_men", QStringLiteral("&New"), {ctrl(Qt::Key_N)}),
          &QAction::triggered, this, &Files::New_men_Click);
  connect(AddCommand(file, "Open_men", QStringLiteral("&Open"), {ctrl(Qt::Key_O)}),
          &QAction::triggered, this, &Files::Open_men_Click);
  file->addSeparator()->setObjectName(QStringLiteral("seperator1"));
  connect(AddCommand(file, "Save_men", QStringLiteral("&Save"), {ctrl(Qt::Key_S)}),
          &QAction::triggered, this, &Files::Save_men_Click);
  // Ctrl+A as the program has always had it, and Ctrl+Shift+S as on the desktop; in a
  // text box Ctrl+A selects all instead.
  connect(AddCommand(file, "SaveAs_men", QStringLiteral("Save &As..."),
                     {ctrl(Qt::Key_A), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}),
          &QAction::triggered, this, &Files::SaveAs_men_Click);
  exports(file);
  file->addSeparator()->setObjectName(QStringLiteral("seperator2"));
  QAction* exit = AddCommand(file, "Exit_men", QStringLiteral("E&xit"), {ctrl(Qt::Key_Q)});
  connect(exit, &QAction::triggered, this, &Files::Exit_men_Click);
  recent_ = new RecentFiles(file, exit);
  connect(recent_, &RecentFiles::OpenRequested, this, &Files::OpenRecentFile);
}

void FileCommands::ShowFileName(const QString& path) {
  window_.setWindowTitle(
      CaptionFor(startCaption_, path.isEmpty() ? QString() : QFileInfo(path).fileName()));
}

bool FileCommands::WriteToFile(const FileChoice& file) {
  // Projects go to files only: a device or a FIFO chosen here is refused, and the
  // project stays unsaved.
  const WriteResult written = WriteProjectFile(file.Path.toStdString(), window_.Project(),
                                               fileRW_.FileHeader, WriteTargets::RegularOnly);
  if (!written) {
    window_.Dialogs().Tell(
        &window_,
        WithReason(QStringLiteral("Error while trying to save file!"), file.Path, written),
        QStringLiteral("Save Error"), true);
    return false;
  }
  // The caption names a file only once it holds the project.
  fileRW_.FilePath = file.Path.toStdString();
  window_.setWindowTitle(CaptionFor(startCaption_, file.Name));
  history_.Saved({window_.Project(), fileRW_.FilePath});
  window_.setWindowModified(false);
  recent_->Remember(file.Path);
  return true;
}

bool FileCommands::ShowSaveDialogAndWrite() {
  FileDialogSetup setup =
      DialogSetup(QStringLiteral("Save *.") + Extension + QStringLiteral(" to..."));
  setup.FileName = QString::fromStdString(CleanFileName(window_.Project().ProjectTitle));
  const FileChoice choice = window_.Dialogs().ChooseSaveFile(&window_, setup);
  if (choice.Outcome == FileChoice::Result::Cancelled) return false;
  if (choice.Outcome == FileChoice::Result::Failed) {
    // Nothing is written: the user chose no file.
    window_.Dialogs().Tell(&window_, QStringLiteral("Error while attempting to open file!"),
                           QStringLiteral("File Error"), false);
    return false;
  }
  return WriteToFile(choice);
}

bool FileCommands::SaveProject() {
  if (fileRW_.FilePath.empty()) return ShowSaveDialogAndWrite();
  const QString path = QString::fromStdString(fileRW_.FilePath);
  return WriteToFile({FileChoice::Result::Chosen, path, QFileInfo(path).fileName()});
}

bool FileCommands::SaveFirst(const QString& prompt) {
  // Only a project that differs from its file, marked so in the caption, has anything to
  // lose; an untouched one, one just saved and one undone back to its file go unasked.
  if (!window_.isWindowModified()) return true;
  const auto answer = window_.Dialogs().Ask(&window_, prompt, QStringLiteral("Save File?"));
  if (answer == UserDialogs::Answer::Cancel) return false;
  // A save the user asked for must happen, edits not yet redrawn included;
  // if it does not, the project is kept.
  if (answer == UserDialogs::Answer::Yes) {
    window_.ReadControls();
    return SaveProject();
  }
  return true;
}

void FileCommands::Open_men_Click() {
  // Opening replaces the project as New does, so it asks first as New does.
  if (!SaveFirst(OpenPrompt)) return;
  const FileChoice choice = window_.Dialogs().ChooseOpenFile(
      &window_, DialogSetup(QStringLiteral("Load *.") + Extension + QStringLiteral(" file")));
  if (choice.Outcome == FileChoice::Result::Cancelled) return;
  if (choice.Outcome == FileChoice::Result::Failed) {
    window_.Dialogs().Tell(&window_, QStringLiteral("Error while attempting to open file!"),
                           QStringLiteral("File Error"), false);
    return;
  }
  if (choice.Path.isEmpty()) {
    window_.Dialogs().Tell(&window_, QStringLiteral("Error while trying to open File!"),
                           QStringLiteral("Open Error"), true);
    return;
  }
  OpenFile(choice.Path);
}

bool FileCommands::OpenFile(const QString& path) {
  // All or nothing: a refused file leaves the project, the controls, the
  // file name and the caption as they were, so a later Save cannot write
  // over the refused file.
  ProjectData loaded = window_.Project();
  const LoadStatus status = ReadProjectFile(path.toStdString(), loaded);
  if (status != LoadStatus::Loaded) {
    window_.Dialogs().Tell(&window_, QString::fromLatin1(LoadStatusMessage(status)),
                           QString::fromLatin1(LoadStatusTitle(status)), true);
    return false;
  }
  fileRW_.FilePath = path.toStdString();
  ShowFileName(path);
  recent_->Remember(path);
  // The reader takes only projects the controls can show in full. Undo gives the earlier
  // project back, with its file.
  history_.NameNext(QStringLiteral("Open ") + QFileInfo(path).fileName());
  window_.ShowProject(loaded);
  window_.RedrawAll();
  history_.MarkClean();
  window_.setWindowModified(false);
  return true;
}

void FileCommands::OpenRecentFile(const QString& path) {
  if (!SaveFirst(OpenPrompt)) return;
  if (!QFileInfo::exists(path)) {
    window_.Dialogs().Tell(&window_,
                           QStringLiteral("The file is no longer there:\n") + ShownPath(path),
                           QStringLiteral("Open Error"), true);
    recent_->Forget(path);
    return;
  }
  OpenFile(path);
}

void FileCommands::New_men_Click() {
  if (!SaveFirst(
          QStringLiteral("Do you want to save your data before a new file will be created?")))
    return;
  history_.NameNext(QStringLiteral("New Project"));
  window_.NewProject();
  // A new project has no file yet: its first Save asks for a name instead
  // of writing over the last file.
  fileRW_.FilePath.clear();
  ShowFileName({});
  window_.RedrawAll();
  history_.MarkClean();
  window_.setWindowModified(false);
}

void FileCommands::Save_men_Click() {
  window_.ReadControls();
  SaveProject();
}

void FileCommands::SaveAs_men_Click() {
  window_.ReadControls();
  ShowSaveDialogAndWrite();
}

void FileCommands::Exit_men_Click() { window_.close(); }

void FileCommands::RestoreState(const ProjectState& state) {
  fileRW_.FilePath = state.FilePath;
  ShowFileName(QString::fromStdString(state.FilePath));
  window_.ShowProject(state.Project);
  window_.RedrawAll();
}

bool FileCommands::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  switch (event->type()) {
    case QEvent::Close: {
      // Asked on a close of whatever cause, Exit's among them, as before a new project.
      const bool close = SaveFirst(QuitPrompt);
      event->setAccepted(close);
      return !close;  // a refused close goes no further
    }
    case QEvent::DragEnter: {
      auto* enter = static_cast<QDragEnterEvent*>(event);
      if (!DroppedProject(enter->mimeData()).isEmpty()) enter->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString path = DroppedProject(drop->mimeData());
      if (path.isEmpty()) return true;
      drop->acceptProposedAction();
      if (SaveFirst(OpenPrompt)) OpenFile(path);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tarnwick
