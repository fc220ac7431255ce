#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "app/Documents.h"
#include "files/FileWriter.h"

class QMenu;

namespace tarnwick {

class LineArray_frm;

// File › Export Picture…, Export Report… and Export Levels…, and the rigging table's PDF:
// each asks for a
// file, writes it through the one writer and tells the user when it could not.
class ExportCommands : public QObject {
  Q_OBJECT

 public:
  // `describe` tells what the side view shows now (its view, the map, the grid, the graph),
  // `reportBand` the band of the report's map and graph.
  ExportCommands(LineArray_frm& window, std::function<PictureOptions()> describe,
                 std::function<int()> reportBand);

  void AddTo(QMenu* file);
  void ExportPicture_men_Click();
  void ExportReport_men_Click();
  void ExportLevels_men_Click();
  // The rigging table as a PDF page.
  void SaveRiggingTable();

 private:
  // A save dialog, then `write`; a failure is told.
  void Export(const QString& title, const QString& filter, const QString& extension,
              const std::function<WriteResult(const QString&)>& write);

  // The design on screen, for the documents.
  ReportDesign Design() const;

  LineArray_frm& window_;
  std::function<PictureOptions()> describe_;
  std::function<int()> reportBand_;
};

}  // namespace tarnwick
