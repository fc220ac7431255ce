// The menu bar: file commands, view preferences, presets and the About box.

#include <QAction>
#include <QKeyEvent>
#include <QMenuBar>

#include "ui/LineArrayForm.h"

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

}  // namespace

void LineArray_frm::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File_men"));
  New_men = AddEntry(file, "New_men", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
  Open_men =
      AddEntry(file, "Open_men", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
  file->addSeparator()->setObjectName(QStringLiteral("seperator1"));
  Save_men =
      AddEntry(file, "Save_men", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
  SaveAs_men = AddEntry(file, "SaveAs_men", QStringLiteral("Save &As..."),
                        QKeySequence(Qt::CTRL | Qt::Key_A));
  file->addSeparator()->setObjectName(QStringLiteral("seperator2"));
  Exit_men =
      AddEntry(file, "Exit_men", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(New_men, &QAction::triggered, this, &LineArray_frm::New_men_Click);
  connect(Open_men, &QAction::triggered, this, &LineArray_frm::Open_men_Click);
  connect(Save_men, &QAction::triggered, this, &LineArray_frm::Save_men_Click);
  connect(SaveAs_men, &QAction::triggered, this, &LineArray_frm::SaveAs_men_Click);
  connect(Exit_men, &QAction::triggered, this, &LineArray_frm::Exit_men_Click);

  QMenu* preferences = menuBar()->addMenu(QStringLiteral("&Preferences"));
  preferences->setObjectName(QStringLiteral("Preferences_men"));
  auto addCheck = [&](const char* name, const QString& caption) {
    QAction* entry = AddEntry(preferences, name, caption);
    entry->setCheckable(true);
    entry->setChecked(true);  // start-up unchecks all but the zoom view
    return entry;
  };
  FixedHeight_men = addCheck("FixedHeight_men", QStringLiteral("Set &fixed picture height"));
  ShowZoom_men = addCheck("ShowZoom_men", QStringLiteral("Show &Zoom View"));
  ShowGraph_men = addCheck("ShowGraph_men", QStringLiteral("Show &SPL Graph"));
  connect(FixedHeight_men, &QAction::triggered, this, &LineArray_frm::FixedHeight_men_Click);
  connect(ShowZoom_men, &QAction::triggered, this, &LineArray_frm::ShowZoom_men_Click);

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->setObjectName(QStringLiteral("Tools_men"));
  JArray_men = AddEntry(tools, "JArray_men", QStringLiteral("&J-Array"));
  Line_men = AddEntry(tools, "Line_men", QStringLiteral("&Line"));
  Curved_men = AddEntry(tools, "Curved_men", QStringLiteral("&Curved"));
  connect(JArray_men, &QAction::triggered, this, &LineArray_frm::JArray_men_Click);
  connect(Line_men, &QAction::triggered, this, &LineArray_frm::Line_men_Click);
  connect(Curved_men, &QAction::triggered, this, &LineArray_frm::Curved_men_Click);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help_men"));
  About_men = AddEntry(help, "About_men", QStringLiteral("&About"));
  connect(About_men, &QAction::triggered, this, &LineArray_frm::About_men_Click);
}

bool LineArray_frm::IsMenuShortcut(const QKeyEvent* key) const {
  const QKeySequence pressed(key->keyCombination());
  for (const QAction* entry : findChildren<QAction*>())
    if (!entry->shortcut().isEmpty() && entry->shortcut() == pressed) return true;
  return false;
}

}  // namespace tarnwick
