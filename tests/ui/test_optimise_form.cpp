// Tools › Optimise Splay Angles… and --optimise with a design whose areas have no point
// with a level: both say so at once and search nothing; with levels, they search again.
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "../support/ScriptedDialogs.h"
#include "files/ProjectFile.h"
#include "ui/LineArrayForm.h"
#include "ui/OptimiseForm.h"

using namespace tarnwick;

namespace {

// Types into a box as a user does, back in its window, and presses Enter.
void TypeAndEnter(QLineEdit* box, const QString& text) {
  QApplication::setActiveWindow(box->window());
  QVERIFY(QTest::qWaitForWindowActive(box->window()));
  box->setFocus(Qt::MouseFocusReason);
  QTRY_VERIFY(box->hasFocus());
  box->selectAll();
  QTest::keyClicks(box, text);
  QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace

class TestOptimiseForm : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;
  std::unique_ptr<QTemporaryDir> dir_;
  QTemporaryDir settings_;  // the user's settings, this test's own: files opened go there

  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* found = window_->findChild<T*>(name);
    if (found == nullptr) qFatal("missing %s", qPrintable(name));
    return found;
  }
  QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
  QString Status() const { return Find<QLabel>(QStringLiteral("OptimiseStatus_lbl"))->text(); }

  // The window shown with both settings panels open and four boxes, so that a search is
  // short.
  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    window_->SetDialogs(std::make_unique<ScriptedDialogs>());
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window not active");
    for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"})
      QTest::mouseClick(Find<QPushButton>(QLatin1String(button)), Qt::LeftButton);
    Find<QComboBox>(QStringLiteral("BoxesAmount_cbx"))->setCurrentIndex(4 - MinBoxes);
    return *window_;
  }

  // True when the form refused the design on the spot: no search under way, none found,
  // nothing to apply, and the reason shown.
  bool Refused(const Optimise_frm& form) const {
    return !form.Busy() && !form.Result().Found && !form.Result().Cancelled &&
           form.Result().Designs == 0 &&
           !Find<QPushButton>(QStringLiteral("OptimiseApply_cbt"))->isEnabled() &&
           !Find<QProgressBar>(QStringLiteral("OptimiseProgress_pgb"))->isVisible() &&
           Status().contains(QStringLiteral("no point of the areas has a level"));
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settings_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
  }
  void init() {
    QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).clear();
    QLocale::setDefault(QLocale::c());
    dir_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void aDesignWithoutALevelOnItsAreasIsToldAndNotSearched() {
    LineArray_frm& w = Open();
    QCOMPARE(w.Data.Project.AreasAmount, MaxAreas);
    QStringList lengths;
    for (int i = 0; i < MaxAreas; ++i) {
      QLineEdit* length = Box(QStringLiteral("AreaLength_tbx(%1)").arg(i));
      lengths << length->text();
      TypeAndEnter(length, QStringLiteral("-5"));
    }
    QCOMPARE(w.Data.Project.AreaLength[2], -5.0f);
    Find<QAction>(QStringLiteral("Optimise_men"))->trigger();
    auto* form = Find<Optimise_frm>(QStringLiteral("Optimise_frm"));
    QVERIFY(form->isVisible());
    QVERIFY2(Refused(*form), qPrintable(Status()));
    QTest::qWait(50);  // and nothing searches behind the message
    QVERIFY2(Refused(*form), qPrintable(Status()));

    // With the areas back, a search runs and finds the best design.
    for (int i = 0; i < MaxAreas; ++i)
      TypeAndEnter(Box(QStringLiteral("AreaLength_tbx(%1)").arg(i)), lengths[i]);
    QSignalSpy ended(form, &Optimise_frm::SearchEnded);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("OptimiseSearch_cbt")), Qt::LeftButton);
    QVERIFY(ended.count() == 1 || ended.wait(60000));
    QVERIFY(form->Result().Found && form->Result().CurrentScore.Points > 0);

    // The array hung so far above or below the areas that no sound reaches them.
    for (const char* floor : {"1e38", "-1e38"}) {
      TypeAndEnter(Box(QStringLiteral("FloorDistance_tbx")), QLatin1String(floor));
      QCOMPARE(w.Data.Project.FloorDistance, QString::fromLatin1(floor).toFloat());
      QTest::mouseClick(Find<QPushButton>(QStringLiteral("OptimiseSearch_cbt")), Qt::LeftButton);
      QVERIFY2(Refused(*form), floor);
    }
  }

  void theCommandLineRefusesSuchADesignWithAReason() {
    struct Unheard {
      const char* name;
      float length, floor;
    };
    for (const Unheard& u :
         {Unheard{"lengths_negative", -5.0f, 5.0f}, Unheard{"floor_1e38", 10.0f, 1e38f},
          Unheard{"floor_-1e38", 10.0f, -1e38f}}) {
      ProjectData project = MakeDefaultProject();
      project.BoxesAmount = 4;
      project.FloorDistance = u.floor;
      for (float& length : project.AreaLength) length = u.length;
      ProjectFileHeader header;
      const std::vector<unsigned char> bytes = EncodeProject(project, header);
      const QString path = dir_->filePath(QLatin1String(u.name) + QStringLiteral(".qvd"));
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
      file.close();
      QProcess program;
      program.start(QStringLiteral(TARNWICK_PROGRAM), {QStringLiteral("--optimise"), path});
      QVERIFY(program.waitForFinished(60000));
      QCOMPARE(program.exitStatus(), QProcess::NormalExit);
      QVERIFY2(program.exitCode() == 2, u.name);
      QVERIFY(program.readAllStandardOutput().isEmpty());
      QVERIFY2(program.readAllStandardError().contains("has a level to even out"), u.name);
    }
  }
};

QTEST_MAIN(TestOptimiseForm)
#include "test_optimise_form.moc"
