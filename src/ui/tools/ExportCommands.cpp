#include "ui/tools/ExportCommands.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QMenu>
#include <sstream>

#include "app/Reports.h"
#include "ui/panels/Controls.h"
#include "ui/tools/Exports.h"
#include "ui/window/FileCommands.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

ExportCommands::ExportCommands(LineArray_frm& window, std::function<PictureOptions()> describe,
                               std::function<int()> reportBand)
    : QObject(&window),
      window_(window),
      describe_(std::move(describe)),
      reportBand_(std::move(reportBand)) {}

ReportDesign ExportCommands::Design() const {
  return {window_.Project(), window_.Geometry(), window_.Module()};
}

namespace {

// A document's bytes as the one writer writes them, or why they could not be made.
WriteResult WriteDocumentBytes(const QString& path, const std::optional<std::string>& bytes) {
  if (!bytes) return {false, "the document could not be made"};
  return WriteExport(path, QByteArray::fromStdString(*bytes));
}

}  // namespace

void ExportCommands::AddTo(QMenu* file) {
  connect(AddCommand(file, "ExportPicture_men", QStringLiteral("Export &Picture...")),
          &QAction::triggered, this, &ExportCommands::ExportPicture_men_Click);
  connect(AddCommand(file, "ExportReport_men", QStringLiteral("Export &Report...")),
          &QAction::triggered, this, &ExportCommands::ExportReport_men_Click);
  connect(AddCommand(file, "ExportLevels_men", QStringLiteral("Export &Levels...")),
          &QAction::triggered, this, &ExportCommands::ExportLevels_men_Click);
}

void ExportCommands::Export(const QString& title, const QString& filter, const QString& extension,
                            const std::function<WriteResult(const QString&)>& write) {
  // Everything up to date first: the export is of what the window shows.
  window_.RedrawAll();
  FileDialogSetup setup;
  setup.Title = title;
  setup.Filter = filter;
  setup.DefaultExtension = extension;
  setup.Folder = ProjectsFolder();
  const QString base = QString::fromStdString(CleanFileName(window_.Project().ProjectTitle));
  setup.FileName = (base.isEmpty() ? QStringLiteral("Tarnwick") : base) + '.' + extension;
  const FileChoice choice = window_.Dialogs().ChooseSaveFile(&window_, setup);
  if (choice.Outcome == FileChoice::Result::Cancelled) return;
  const WriteResult written =
      choice.Outcome == FileChoice::Result::Failed ? WriteResult{false, {}} : write(choice.Path);
  if (!written)
    window_.Dialogs().Tell(
        &window_,
        WithReason(
            QStringLiteral("Error while trying to export to %1!").arg(ShownPath(choice.Name)),
            choice.Path, written),
        QStringLiteral("Export Error"), true);
}

void ExportCommands::ExportPicture_men_Click() {
  Export(QStringLiteral("Export Picture"),
         QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"),
         QStringLiteral("png"), [this](const QString& path) {
           // The section as the side view shows it, drawn anew for the file: no control in it.
           return WriteDocumentBytes(
               path, PictureBytes(Design(), describe_(), QFileInfo(path).suffix().toLower()));
         });
}

void ExportCommands::ExportReport_men_Click() {
  Export(QStringLiteral("Export Report"), QStringLiteral("PDF document (*.pdf)"),
         QStringLiteral("pdf"), [this](const QString& path) {
           return WriteDocumentBytes(path,
                                     ReportBytes(Design(), reportBand_(), describe_().FileName));
         });
}

void ExportCommands::ExportLevels_men_Click() {
  Export(QStringLiteral("Export Levels"), QStringLiteral("Comma-separated values (*.csv)"),
         QStringLiteral("csv"), [this](const QString& path) {
           std::ostringstream table;
           WriteAllLevels(table, window_.Project(), window_.Geometry(), window_.Module());
           return WriteExport(path, QByteArray::fromStdString(table.str()));
         });
}

void ExportCommands::SaveRiggingTable() {
  Export(QStringLiteral("Save Rigging Table"), QStringLiteral("PDF document (*.pdf)"),
         QStringLiteral("pdf"), [this](const QString& path) {
           return WriteDocumentBytes(path, RiggingBytes(Design(), describe_().FileName));
         });
}

}  // namespace tarnwick
