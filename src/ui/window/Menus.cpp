// The menu bar: file commands, view preferences, presets and the About box.

#include <QAction>
#include <QMenuBar>
#include <QUndoStack>

#include "ui/panels/ArrayPanel.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/tools/AboutForm.h"
#include "ui/window/LineArrayForm.h"
#include "ui/window/ProjectHistory.h"
#include "ui/window/RecentFiles.h"

namespace tarnwick {

namespace {

QAction* AddEntry(QMenu* menu, const char* name, const QString& caption,
                  const QKeySequence& shortcut = {}) {
  QAction* entry = menu->addAction(caption);
  entry->setObjectName(QLatin1String(name));
  entry->setShortcut(shortcut);
  // Commands reach the window from any of its controls.
  entry->setShortcutContext(Qt::WindowShortcut);
  return entry;
}

QAction* AddCheck(QMenu* menu, const char* name, const QString& caption) {
  QAction* entry = AddEntry(menu, name, caption);
  entry->setCheckable(true);
  entry->setChecked(true);  // start-up unchecks all but the zoom view
  return entry;
}

}  // namespace

void LineArray_frm::BuildMenus() {
  using Window = LineArray_frm;
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File_men"));
  const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
  connect(AddEntry(file, "New_men", QStringLiteral("&New"), ctrl(Qt::Key_N)), &QAction::triggered,
          this, &Window::New_men_Click);
  connect(AddEntry(file, "Open_men", QStringLiteral("&Open"), ctrl(Qt::Key_O)), &QAction::triggered,
          this, &Window::Open_men_Click);
  file->addSeparator()->setObjectName(QStringLiteral("seperator1"));
  connect(AddEntry(file, "Save_men", QStringLiteral("&Save"), ctrl(Qt::Key_S)), &QAction::triggered,
          this, &Window::Save_men_Click);
  // Ctrl+A as designed, and Ctrl+Shift+S as on the desktop; in a text box
  // Ctrl+A selects all instead.
  QAction* saveAs = AddEntry(file, "SaveAs_men", QStringLiteral("Save &As..."), ctrl(Qt::Key_A));
  saveAs->setShortcuts({ctrl(Qt::Key_A), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  connect(saveAs, &QAction::triggered, this, &Window::SaveAs_men_Click);
  connect(AddEntry(file, "ExportPicture_men", QStringLiteral("Export &Picture..."), {}),
          &QAction::triggered, this, &Window::ExportPicture_men_Click);
  connect(AddEntry(file, "ExportLevels_men", QStringLiteral("Export &Levels..."), {}),
          &QAction::triggered, this, &Window::ExportLevels_men_Click);
  file->addSeparator()->setObjectName(QStringLiteral("seperator2"));
  QAction* exit = AddEntry(file, "Exit_men", QStringLiteral("E&xit"), ctrl(Qt::Key_Q));
  connect(exit, &QAction::triggered, this, &Window::Exit_men_Click);
  recent_ = new RecentFiles(file, exit);
  connect(recent_, &RecentFiles::OpenRequested, this, &Window::OpenRecentFile);

  // Undo in a text box being typed in is the box's own (see NumberEntry).
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->setObjectName(QStringLiteral("Edit_men"));
  QAction* undo = history_->Stack()->createUndoAction(edit, QStringLiteral("&Undo"));
  undo->setObjectName(QStringLiteral("Undo_men"));
  undo->setShortcut(ctrl(Qt::Key_Z));
  QAction* redo = history_->Stack()->createRedoAction(edit, QStringLiteral("&Redo"));
  redo->setObjectName(QStringLiteral("Redo_men"));
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl(Qt::Key_Y)});
  for (QAction* entry : {undo, redo}) {
    entry->setShortcutContext(Qt::WindowShortcut);
    edit->addAction(entry);
  }

  QMenu* preferences = menuBar()->addMenu(QStringLiteral("&Preferences"));
  preferences->setObjectName(QStringLiteral("Preferences_men"));
  FixedHeight_men =
      AddCheck(preferences, "FixedHeight_men", QStringLiteral("Set &fixed picture height"));
  ShowZoom_men = AddCheck(preferences, "ShowZoom_men", QStringLiteral("Show &Zoom View"));
  ShowGraph_men = AddCheck(preferences, "ShowGraph_men", QStringLiteral("Show &SPL Graph"));
  connect(FixedHeight_men, &QAction::triggered, this, &Window::RedrawAll);
  connect(ShowZoom_men, &QAction::triggered, this, [this] {
    ZoomView_pbx->setVisible(ShowZoom_men->isChecked());
    RedrawAll();
  });
  connect(ShowGraph_men, &QAction::triggered, this, &Window::ShowGraph_men_Click);
  ShowMap_men = AddCheck(preferences, "ShowMap_men", QStringLiteral("Show Coverage &Map"));
  QAction* tolerance =
      AddCheck(preferences, "ShowTolerance_men", QStringLiteral("Show &Tolerance"));
  tolerance->setChecked(false);  // off at start, and the graph strip knows it
  connect(tolerance, &QAction::triggered, graph_, &GraphStrip::ShowTolerance);
  connect(ShowMap_men, &QAction::triggered, this, [this] {
    coverage_->SetShown(ShowMap_men->isChecked());
    RedrawAll();
  });

  // The presets only select entries in the angle lists; the lists' own
  // handler redraws.
  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->setObjectName(QStringLiteral("Tools_men"));
  // A preset is one step to undo, however many lists it changes.
  const auto preset = [this](ArrayPanel::Preset kind, const QString& name) {
    return [this, kind, name] {
      history_->AsOneStep(name, [this, kind] { array_->ApplyPreset(kind); });
      RedrawAll();
      MarkModified();
    };
  };
  connect(AddEntry(tools, "JArray_men", QStringLiteral("&J-Array")), &QAction::triggered, this,
          preset(ArrayPanel::Preset::JArray, QStringLiteral("J-Array Preset")));
  connect(AddEntry(tools, "Line_men", QStringLiteral("&Line")), &QAction::triggered, this,
          preset(ArrayPanel::Preset::Line, QStringLiteral("Line Preset")));
  connect(AddEntry(tools, "Curved_men", QStringLiteral("&Curved")), &QAction::triggered, this,
          preset(ArrayPanel::Preset::Curved, QStringLiteral("Curved Preset")));
  tools->addSeparator();
  connect(AddEntry(tools, "RiggingTable_men", QStringLiteral("&Rigging Table...")),
          &QAction::triggered, this, &Window::RiggingTable_men_Click);
  connect(AddEntry(tools, "Optimise_men", QStringLiteral("&Optimise Splay Angles...")),
          &QAction::triggered, this, &Window::Optimise_men_Click);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help_men"));
  connect(AddEntry(help, "About_men", QStringLiteral("&About")), &QAction::triggered, this, [this] {
    if (About == nullptr) About = new About_frm(this);  // created on first use, then reused
    About->ShowModal();
  });
}

}  // namespace tarnwick
