#pragma once

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ScriptedDialogs.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

// One main window as a user meets it, for the window tests: shown and active, asking
// scripted dialogs, with a scratch folder; controls found by their object names and used
// as a user uses them. A test class calls Prepare() in initTestCase and Reset() in init
// and cleanup, so that every case starts from a fresh window and fresh settings.
class WindowFixture {
 public:
  // Settings of this test program's own: window tests run side by side, and one clearing
  // its recent files must not clear another's.
  static void Prepare() {
    QStandardPaths::setTestModeEnabled(true);
    static const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  }
  void Reset() {
    window_.reset();
    dir_ = std::make_unique<QTemporaryDir>();
    QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).clear();
    QLocale::setDefault(QLocale::c());
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a window outlived its test");
  }

  // A shown and active window of the given size (or as designed), with both settings
  // panels expanded unless asked otherwise.
  LineArray_frm& Open(QSize size = {}, bool expanded = true) {
    window_ = std::make_unique<LineArray_frm>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    window_->SetDialogs(std::move(dialogs));
    if (size.isValid()) window_->resize(size);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window not active");
    if (expanded)
      for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"})
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    return *window_;
  }
  LineArray_frm& Window() const { return *window_; }
  ScriptedDialogs& Dialogs() const { return *dialogs_; }
  QString Path(const QString& name) const { return dir_->filePath(name); }

  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* found = window_->findChild<T*>(name);
    if (found == nullptr) qFatal("missing %s", qPrintable(name));
    return found;
  }
  QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
  QComboBox* List(const QString& name) const { return Find<QComboBox>(name); }
  void Trigger(const QString& action) const { Find<QAction>(action)->trigger(); }

  // Typed as a user types, back in the main window: focus, select all, type; then Enter,
  // or a move to another box.
  void Type(const QString& name, const QString& text, bool enter = true) const {
    QLineEdit* box = Box(name);
    if (QApplication::activeWindow() != window_.get()) {
      QApplication::setActiveWindow(window_.get());
      QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    box->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, text);
    if (enter) {
      QTest::keyClick(box, Qt::Key_Return);
    } else {
      QLineEdit* other = Box(name == QLatin1String("Author_tbx") ? "Project_tbx" : "Author_tbx");
      other->setFocus(Qt::TabFocusReason);
      QTRY_VERIFY(other->hasFocus());
    }
  }
  // Picked from the list's popup, as a user picks: one choice, whatever lies between.
  void Pick(const QString& name, int index) const {
    QComboBox* list = List(name);
    list->setFocus(Qt::MouseFocusReason);
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
  // Lets a coverage map under way finish (and its completion redraw).
  void Settle() const {
    auto* map = window_->findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
    QTRY_VERIFY_WITH_TIMEOUT(map == nullptr || !map->Busy(), 20000);
    QCoreApplication::processEvents();
  }

 private:
  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace tarnwick
