#pragma once

#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <memory>
#include <vector>

#include "ProgramRun.h"
#include "ScriptedDialogs.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

using namespace Qt::StringLiterals;
using Answer = UserDialogs::Answer;
using Dlg = ScriptedDialogs;

// Rounded to the two decimals the text boxes show.
inline double Shown2(double v) { return std::nearbyint(v * 100) / 100; }
inline QString Sample(const QString& name) { return TARNWICK_SOURCE_DIR "/tests/data/"_L1 + name; }
inline QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// The names of the first n rows of an indexed control, such as "Angle_cbx(%1)".
inline QStringList Rows(const char* pattern, int n) {
  QStringList names;
  for (int i = 0; i < n; ++i) names << QString::fromLatin1(pattern).arg(i);
  return names;
}

// One main window as a user meets it: shown and active, asking scripted dialogs, with a
// scratch folder; controls found by their object names and used as a user uses them. A
// test derives from it and calls Reset() in cleanup: each case starts afresh.
class WindowFixture {
 public:
  // Settings of this test program's own: window tests run side by side, and one clearing
  // its recent files must not clear another's.
  WindowFixture() {
    QStandardPaths::setTestModeEnabled(true);
    static const QTemporaryDir settings;
    if (!settings.isValid()) qFatal("no folder for the settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    Reset();
  }
  void Reset() {
    window_.reset();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QSettings(u"Quenvar"_s, u"Tarnwick"_s).clear();
    QLocale::setDefault(QLocale::c());
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a window outlived its test");
  }

  // A shown and active window of the given size (or its own), with both settings panels
  // expanded unless asked otherwise.
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
      for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"}) Click(button);
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
  DrawingSurface* Picture(const QString& name) const { return Find<DrawingSurface>(name); }
  DrawingSurface* Side() const { return Picture(u"MainView_pbx"_s); }
  void Trigger(const QString& action) const { Find<QAction>(action)->trigger(); }
  // Triggers the command with `path` chosen in the file dialog it opens.
  void TriggerWith(const QString& action, const QString& path) const {
    dialogs_->Files.push_back(Dlg::Chosen(path));
    Trigger(action);
  }
  void Click(const QString& button) const {
    QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton);
  }
  QString Label(const QString& name) const { return Find<QLabel>(name)->text(); }
  // Drags the level graph's top border `pixels` up, pressing on whatever lies under the
  // border `offset` pixels below it, as a user's mouse would.
  void DragGraphEdge(int pixels, int offset = 0) const {
    const QWidget* strip = Find(u"Graph_pbx"_s);
    const QPoint border = strip->pos() + QPoint(strip->width() / 2, offset);
    QWidget* under = strip->parentWidget()->childAt(border);
    QVERIFY(under != nullptr);
    const QPoint from = under->mapFrom(strip->parentWidget(), border);
    const QPoint to = from - QPoint(0, pixels);
    QTest::mousePress(under, Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, under->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(under, &drag);
    QTest::mouseRelease(under, Qt::LeftButton, {}, to);
  }
  QString UndoText() const { return Find<QAction>(u"Undo_men"_s)->text().remove('&'); }
  // The caption as shown, its modified mark left out.
  QString Caption() const { return window_->windowTitle().remove(u"[*]"_s); }
  // What text boxes or lists show, joined by '|'.
  QString Shown(const QStringList& names) const {
    QStringList texts;
    for (const QString& name : names)
      if (auto* box = window_->findChild<QLineEdit*>(name))
        texts << box->text();
      else
        texts << List(name)->currentText();
    return texts.join('|');
  }
  QString Shown(const QString& name) const { return Shown(QStringList{name}); }
  // For each named control, 1 when it is visible, else 0.
  QString Visible(const QStringList& names) const {
    QString flags;
    for (const QString& name : names) flags += Find(name)->isVisible() ? '1' : '0';
    return flags;
  }

  // Typed as a user types, back in the main window: focus, select all, type; then Enter,
  // or a move to another box (Leave), or neither.
  enum Then { Enter, Leave, Stay };
  void Type(const QString& name, const QString& text, Then then = Enter) const {
    QLineEdit* box = Box(name);
    if (QApplication::activeWindow() != window_.get()) {
      QApplication::setActiveWindow(window_.get());
      QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    box->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, text);
    if (then == Enter) QTest::keyClick(box, Qt::Key_Return);
    if (then == Leave) LeaveBox(name);
  }
  // Leaves the box being typed in by moving the focus to another control.
  void LeaveBox(const QString& name = {}) const {
    QLineEdit* other = Box(name == "Author_tbx"_L1 ? u"Project_tbx"_s : u"Author_tbx"_s);
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
  }
  // Picked from the list's popup, as a user picks: one choice, whatever lies between.
  void Pick(const QString& name, int index) const {
    QComboBox* list = List(name);
    list->setFocus(Qt::MouseFocusReason);
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
  // Picked with the keyboard from the top, as a user can: every entry on the way is chosen.
  void KeyPick(const QString& name, int index) const {
    QComboBox* list = List(name);
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), index);
  }
  const CoverageLayer& Map() const { return *Find<CoverageLayer>(u"CoverageMap"_s); }
  // Lets a coverage map under way finish (and its completion redraw).
  void Settle() const {
    QTRY_VERIFY_WITH_TIMEOUT(!Map().Busy(), 20000);
    QCoreApplication::processEvents();
  }
  void WaitForMap() const {
    QTRY_VERIFY_WITH_TIMEOUT(!Map().Busy() && Map().ShownMap() != nullptr, 30000);
  }

  // Widget pixel of a scene point in the side view, and back.
  QPoint Pixel(double x, double y) const {
    return (Side()->ToPixels(x, y) + Side()->contentsRect().topLeft()).toPoint();
  }
  QPoint Pixel(QPointF p) const { return Pixel(p.x(), p.y()); }
  QPointF SceneAt(QPoint pixel) const {
    return Side()->ToUser(QPointF(pixel) - Side()->contentsRect().topLeft());
  }
  // A point `above` metres above area i's slope at scene x.
  QPoint AboveSlope(int i, double x, double above) const {
    const AreaGeometry& a = window_->Geometry().AreaGeom[i];
    return Pixel(x, a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y + above);
  }
  // The side view's widget pixel of logical pixel `at` of its picture.
  QPointF Inner(QPointF at) const { return at + Side()->contentsRect().topLeft(); }
  // The mouse moved over the side view to widget pixel `to`, `held` buttons down.
  void MoveHeld(QPointF to, Qt::MouseButtons held) const {
    QMouseEvent move(QEvent::MouseMove, to, Side()->mapToGlobal(to), Qt::NoButton, held, {});
    QApplication::sendEvent(Side(), &move);
  }

 private:
  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace tarnwick
