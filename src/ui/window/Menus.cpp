// The menu bar: each part of the window adds its own commands.

#include <QAction>
#include <QMenuBar>
#include <QUndoStack>

#include "ui/panels/ArrayPanel.h"
#include "ui/panels/Controls.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/SectionNavigator.h"
#include "ui/tools/ExportCommands.h"
#include "ui/tools/ToolWindows.h"
#include "ui/window/FileCommands.h"
#include "ui/window/LineArrayForm.h"
#include "ui/window/ProjectHistory.h"
#include "ui/window/WindowLayout.h"

namespace tarnwick {

namespace {

QMenu* AddMenu(QMenuBar* bar, const QString& caption, const char* name) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QLatin1String(name));
  return menu;
}

// Edit › Undo and Redo. Undo in a text box being typed in is the box's own (see
// TypedNumbers).
void AddHistory(QMenu* edit, const ProjectHistory& history) {
  QAction* undo = history.Stack()->createUndoAction(edit, QStringLiteral("&Undo"));
  undo->setObjectName(QStringLiteral("Undo_men"));
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redo = history.Stack()->createRedoAction(edit, QStringLiteral("&Redo"));
  redo->setObjectName(QStringLiteral("Redo_men"));
  redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  for (QAction* entry : {undo, redo}) {
    entry->setShortcutContext(Qt::WindowShortcut);
    edit->addAction(entry);
  }
}

}  // namespace

void LineArray_frm::BuildMenus() {
  QMenuBar* bar = menuBar();
  files_->AddTo(AddMenu(bar, QStringLiteral("&File"), "File_men"),
                [this](QMenu* file) { tools_->Exports().AddTo(file); });
  AddHistory(AddMenu(bar, QStringLiteral("&Edit"), "Edit_men"), *history_);
  navigator_->AddTo(AddMenu(bar, QStringLiteral("&View"), "View_men"));

  QMenu* preferences = AddMenu(bar, QStringLiteral("&Preferences"), "Preferences_men");
  layout_->AddPreferences(preferences);
  QAction* map =
      AddCommand(preferences, "ShowMap_men", QStringLiteral("Show Coverage &Map"), {}, 0);
  connect(map, &QAction::triggered, this, [this](bool shown) {
    coverage_->SetShown(shown);
    RepaintPictures();
  });
  QAction* tolerance =
      AddCommand(preferences, "ShowTolerance_men", QStringLiteral("Show &Tolerance"), {}, 0);
  connect(tolerance, &QAction::triggered, graph_, &GraphStrip::ShowTolerance);
  layout_->AddGridCommand(preferences);
  preferences->addSeparator();
  tools_->AddPrediction(preferences);

  // The presets only select entries in the angle lists, as one step to undo however many
  // lists they change.
  QMenu* tools = AddMenu(bar, QStringLiteral("&Tools"), "Tools_men");
  const auto preset = [this, tools](const char* name, const QString& caption,
                                    ArrayPanel::Preset kind, const QString& step) {
    connect(AddCommand(tools, name, caption), &QAction::triggered, this, [this, kind, step] {
      ChangeAsOneStep(step, [this, kind] { array_->ApplyPreset(kind); });
    });
  };
  preset("JArray_men", QStringLiteral("&J-Array"), ArrayPanel::Preset::JArray,
         QStringLiteral("J-Array Preset"));
  preset("Line_men", QStringLiteral("&Line"), ArrayPanel::Preset::Line,
         QStringLiteral("Line Preset"));
  preset("Curved_men", QStringLiteral("&Curved"), ArrayPanel::Preset::Curved,
         QStringLiteral("Curved Preset"));
  tools->addSeparator();
  tools_->AddTools(tools);
  tools_->AddHelp(AddMenu(bar, QStringLiteral("&Help"), "Help_men"));
}

}  // namespace tarnwick
