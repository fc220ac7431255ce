#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "files/FileWriter.h"

class QMenu;

namespace tarnwick {

class DrawingSurface;
class GraphStrip;
class LineArray_frm;

// File › Export Picture… and Export Levels…, and the rigging table's PDF: each asks for a
// file, writes it through the one writer and tells the user when it could not.
class ExportCommands : public QObject {
  Q_OBJECT

 public:
  // `graphShown` tells whether the graph strip is part of the picture.
  ExportCommands(LineArray_frm& window, DrawingSurface* side, GraphStrip* graph,
                 std::function<bool()> graphShown);

  void AddTo(QMenu* file);
  void ExportPicture_men_Click();
  void ExportLevels_men_Click();
  // The rigging table, given as HTML, as a PDF document.
  void SaveRiggingTable(const QString& html);

 private:
  // A save dialog, then `write`; a failure is told.
  void Export(const QString& title, const QString& filter, const QString& extension,
              const std::function<WriteResult(const QString&)>& write);

  LineArray_frm& window_;
  DrawingSurface* side_;
  GraphStrip* graph_;
  std::function<bool()> graphShown_;
};

}  // namespace tarnwick
