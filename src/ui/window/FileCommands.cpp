// File commands: New, Open, Save, Save As, the exports (and the rigging
// table's PDF), Exit and the question on closing.

#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>
#include <sstream>

#include "app/Reports.h"
#include "files/ProjectFile.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/tools/Exports.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/RiggingForm.h"
#include "ui/window/LineArrayForm.h"
#include "ui/window/ProjectHistory.h"
#include "ui/window/RecentFiles.h"

namespace tarnwick {

namespace {

const QString Extension = QStringLiteral("qvd");
const QString OpenPrompt =
    QStringLiteral("Do you want to save your data before another file is opened?");

}  // namespace

void LineArray_frm::SetDialogs(std::unique_ptr<UserDialogs> dialogs) {
  Dialogs = std::move(dialogs);
}

namespace {

QString ProjectsFolder() {
  // The user's documents folder: never one inside the program's build or
  // install tree, where projects would go with the next clean build.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QDir().mkpath(documents);
  return documents;
}

// The window's caption with the name of the project's file, if it has one.
QString CaptionFor(const QString& startCaption, const QString& fileName) {
  // "[*]" shows as "*" while the project differs from its file.
  const QString name = fileName.isEmpty() ? QString() : QStringLiteral("  -  ") + fileName;
  return startCaption + name + QStringLiteral("[*]");
}

// A failure's message with the path and the reason the writer gave, below it.
QString WithReason(const QString& message, const QString& path, const WriteResult& written) {
  if (written.Reason.empty()) return message;
  return message + QStringLiteral("\n\n") + ShownPath(path) + QStringLiteral(": ") +
         QString::fromStdString(written.Reason);
}

FileDialogSetup DialogSetup(const QString& title) {
  FileDialogSetup setup;
  setup.Title = title;
  setup.Filter = QStringLiteral("Quenvar Line Array Data (*.") + Extension + QStringLiteral(")");
  setup.DefaultExtension = Extension;
  setup.Folder = ProjectsFolder();
  return setup;
}

}  // namespace

bool LineArray_frm::WriteToFile(const FileChoice& file) {
  // Projects go to files only: a device or a FIFO chosen here is refused, and the
  // project stays unsaved.
  const WriteResult written = WriteProjectFile(file.Path.toStdString(), Data.Project,
                                               FileRW.FileHeader, WriteTargets::RegularOnly);
  if (!written) {
    Dialogs->Tell(
        this, WithReason(QStringLiteral("Error while trying to save file!"), file.Path, written),
        QStringLiteral("Save Error"), true);
    return false;
  }
  // The caption names a file only once it holds the project.
  FileRW.FilePath = file.Path.toStdString();
  setWindowTitle(CaptionFor(StartCaption, file.Name));
  history_->Saved({Data.Project, FileRW.FilePath});
  setWindowModified(false);
  recent_->Remember(file.Path);
  return true;
}

bool LineArray_frm::ShowSaveDialogAndWrite() {
  FileDialogSetup setup =
      DialogSetup(QStringLiteral("Save *.") + Extension + QStringLiteral(" to..."));
  setup.FileName = QString::fromStdString(CleanFileName(Data.Project.ProjectTitle));
  const FileChoice choice = Dialogs->ChooseSaveFile(this, setup);
  if (choice.Outcome == FileChoice::Result::Cancelled) return false;
  if (choice.Outcome == FileChoice::Result::Failed) {
    // Nothing is written: the user chose no file.
    Dialogs->Tell(this, QStringLiteral("Error while attempting to open file!"),
                  QStringLiteral("File Error"), false);
    return false;
  }
  return WriteToFile(choice);
}

bool LineArray_frm::SaveProject() {
  if (FileRW.FilePath.empty()) return ShowSaveDialogAndWrite();
  const QString path = QString::fromStdString(FileRW.FilePath);
  return WriteToFile({FileChoice::Result::Chosen, path, QFileInfo(path).fileName()});
}

bool LineArray_frm::SaveFirst(const QString& prompt) {
  const auto answer = Dialogs->Ask(this, prompt, QStringLiteral("Save File?"));
  if (answer == UserDialogs::Answer::Cancel) return false;
  // A save the user asked for must happen, edits not yet redrawn included;
  // if it does not, the project is kept.
  if (answer == UserDialogs::Answer::Yes) {
    ReadControls();
    return SaveProject();
  }
  return true;
}

void LineArray_frm::Open_men_Click() {
  // Opening replaces the project as New does, so it asks first as New does.
  if (!SaveFirst(OpenPrompt)) return;
  const FileChoice choice = Dialogs->ChooseOpenFile(
      this, DialogSetup(QStringLiteral("Load *.") + Extension + QStringLiteral(" file")));
  if (choice.Outcome == FileChoice::Result::Cancelled) return;
  if (choice.Outcome == FileChoice::Result::Failed) {
    Dialogs->Tell(this, QStringLiteral("Error while attempting to open file!"),
                  QStringLiteral("File Error"), false);
    return;
  }
  if (choice.Path.isEmpty()) {
    Dialogs->Tell(this, QStringLiteral("Error while trying to open File!"),
                  QStringLiteral("Open Error"), true);
    return;
  }
  OpenFile(choice.Path);
}

bool LineArray_frm::OpenFile(const QString& path) {
  // All or nothing: a refused file leaves the project, the controls, the
  // file name and the caption as they were, so a later Save cannot write
  // over the refused file.
  const LoadStatus status = ReadProjectFile(path.toStdString(), Data.Project);
  if (status != LoadStatus::Loaded) {
    Dialogs->Tell(this, QString::fromLatin1(LoadStatusMessage(status)),
                  QString::fromLatin1(LoadStatusTitle(status)), true);
    return false;
  }
  FileRW.FilePath = path.toStdString();
  setWindowTitle(CaptionFor(StartCaption, QFileInfo(path).fileName()));
  recent_->Remember(path);
  // The reader takes only projects the controls can show in full. Undo gives the earlier
  // project back, with its file.
  history_->NameNext(QStringLiteral("Open ") + QFileInfo(path).fileName());
  WriteControls();
  RedrawAll();
  history_->MarkClean();
  setWindowModified(false);
  return true;
}

namespace {

// The one local .qvd file a drag carries, or an empty text.
QString DroppedProject(const QMimeData* data) {
  const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
  const QString path = urls[0].toLocalFile();
  return path.endsWith(QStringLiteral(".") + Extension, Qt::CaseInsensitive) ? path : QString();
}

}  // namespace

void LineArray_frm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedProject(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void LineArray_frm::dropEvent(QDropEvent* event) {
  const QString path = DroppedProject(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  if (SaveFirst(OpenPrompt)) OpenFile(path);
}

void LineArray_frm::OpenRecentFile(const QString& path) {
  if (!SaveFirst(OpenPrompt)) return;
  if (!QFileInfo::exists(path)) {
    Dialogs->Tell(this, QStringLiteral("The file is no longer there:\n") + ShownPath(path),
                  QStringLiteral("Open Error"), true);
    recent_->Forget(path);
    return;
  }
  OpenFile(path);
}

void LineArray_frm::New_men_Click() {
  if (!SaveFirst(
          QStringLiteral("Do you want to save your data before a new file will be created?")))
    return;
  history_->NameNext(QStringLiteral("New Project"));
  NewProject();
  // A new project has no file yet: its first Save asks for a name instead
  // of writing over the last file.
  FileRW.FilePath.clear();
  setWindowTitle(CaptionFor(StartCaption, {}));
  RedrawAll();
  history_->MarkClean();
  setWindowModified(false);
}

void LineArray_frm::Save_men_Click() {
  ReadControls();
  SaveProject();
}

void LineArray_frm::SaveAs_men_Click() {
  ReadControls();
  ShowSaveDialogAndWrite();
}

void LineArray_frm::Exit_men_Click() { close(); }

void LineArray_frm::closeEvent(QCloseEvent* event) {
  // Form_QueryUnload: asked on every close, whatever its cause.
  const auto answer =
      Dialogs->Ask(this, QStringLiteral("Do you want to save your project before you quit?"),
                   QStringLiteral("Save File?"));
  bool close = answer == UserDialogs::Answer::No;
  if (answer == UserDialogs::Answer::Yes) {
    ReadControls();
    close = SaveProject();
  }
  if (close)
    event->accept();
  else
    event->ignore();
}

void LineArray_frm::RestoreState(const ProjectState& state) {
  Data.Project = state.Project;
  FileRW.FilePath = state.FilePath;
  setWindowTitle(
      CaptionFor(StartCaption, state.FilePath.empty()
                                   ? QString()
                                   : QFileInfo(QString::fromStdString(state.FilePath)).fileName()));
  WriteControls();
  RedrawAll();
}

void LineArray_frm::Export(const QString& title, const QString& filter, const QString& extension,
                           const std::function<WriteResult(const QString&)>& write) {
  // Everything up to date first: the export is of what the window shows.
  RedrawAll();
  FileDialogSetup setup;
  setup.Title = title;
  setup.Filter = filter;
  setup.DefaultExtension = extension;
  setup.Folder = ProjectsFolder();
  const QString base = QString::fromStdString(CleanFileName(Data.Project.ProjectTitle));
  setup.FileName = (base.isEmpty() ? QStringLiteral("Tarnwick") : base) + '.' + extension;
  const FileChoice choice = Dialogs->ChooseSaveFile(this, setup);
  if (choice.Outcome == FileChoice::Result::Cancelled) return;
  const WriteResult written =
      choice.Outcome == FileChoice::Result::Failed ? WriteResult{false, {}} : write(choice.Path);
  if (!written)
    Dialogs->Tell(
        this,
        WithReason(
            QStringLiteral("Error while trying to export to %1!").arg(ShownPath(choice.Name)),
            choice.Path, written),
        QStringLiteral("Export Error"), true);
}

void LineArray_frm::ExportPicture_men_Click() {
  Export(QStringLiteral("Export Picture"),
         QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
         QStringLiteral("png"), [this](const QString& path) {
           return ExportPicture(path, MainView_pbx, BGraphActive ? graph_ : nullptr);
         });
}

void LineArray_frm::ExportLevels_men_Click() {
  Export(QStringLiteral("Export Levels"), QStringLiteral("Comma-separated values (*.csv)"),
         QStringLiteral("csv"), [this](const QString& path) {
           std::ostringstream table;
           WriteAllLevels(table, Data.Project, Graphics, Constants);
           return WriteExport(path, QByteArray::fromStdString(table.str()));
         });
}

void LineArray_frm::RiggingTable_men_Click() {
  if (rigging_ == nullptr)
    rigging_ = new Rigging_frm(this, [this](const QString& html) {
      Export(QStringLiteral("Save Rigging Table"), QStringLiteral("PDF document (*.pdf)"),
             QStringLiteral("pdf"), [&html](const QString& path) {
               QByteArray bytes;
               QBuffer buffer(&bytes);
               if (!buffer.open(QIODevice::WriteOnly))
                 return WriteResult{false, "the document could not be made"};
               {
                 QPdfWriter pdf(&buffer);
                 pdf.setTitle(QStringLiteral("Rigging Table"));
                 QTextDocument document;
                 document.setHtml(html);
                 document.print(&pdf);
               }
               buffer.close();
               return WriteExport(path, bytes);
             });
    });
  RedrawAll();
  rigging_->Show(Data.Project, Graphics);
}

void LineArray_frm::Optimise_men_Click() {
  if (optimise_ == nullptr) {
    const auto shown = [this] {
      RedrawAll();  // the controls' values as they stand
      return ShownDesign{Data.Project, Graphics, Constants};
    };
    // The best design's splays and hanging become the project's, as one step to undo.
    const auto apply = [this](const ProjectData& best) {
      ProjectData& p = Data.Project;
      p.BoxAngle = best.BoxAngle;
      p.InclinationAngle = best.InclinationAngle;
      p.FlybarPin = best.FlybarPin;
      p.FlybarMounting = best.FlybarMounting;
      history_->AsOneStep(QStringLiteral("Optimised Splay Angles"), [this] { WriteControls(); });
      RedrawAll();
      MarkModified();
    };
    optimise_ = new Optimise_frm(this, shown, apply);
  }
  optimise_->Show();
}

}  // namespace tarnwick
