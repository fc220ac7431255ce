#include "ui/tools/ExportCommands.h"

#include <QAction>
#include <QBuffer>
#include <QMenu>
#include <QPdfWriter>
#include <QTextDocument>
#include <sstream>

#include "app/Reports.h"
#include "ui/panels/Controls.h"
#include "ui/panels/GraphStrip.h"
#include "ui/tools/Exports.h"
#include "ui/window/FileCommands.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

ExportCommands::ExportCommands(LineArray_frm& window, DrawingSurface* side, GraphStrip* graph,
                               std::function<bool()> graphShown)
    : QObject(&window),
      window_(window),
      side_(side),
      graph_(graph),
      graphShown_(std::move(graphShown)) {}

void ExportCommands::AddTo(QMenu* file) {
  connect(AddCommand(file, "ExportPicture_men", QStringLiteral("Export &Picture...")),
          &QAction::triggered, this, &ExportCommands::ExportPicture_men_Click);
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
           return ExportPicture(path, side_, graphShown_() ? graph_ : nullptr);
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

void ExportCommands::SaveRiggingTable(const QString& html) {
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
}

}  // namespace tarnwick
