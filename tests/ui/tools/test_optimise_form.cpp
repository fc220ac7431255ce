// Tools › Optimise Splay Angles… and --optimise with a design whose areas have no point
// with a level: both say so at once and search nothing; with levels, they search again.
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "files/ProjectFile.h"
#include "support/WindowFixture.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/window/LineArrayForm.h"

using namespace tarnwick;

class TestOptimiseForm : public QObject {
  Q_OBJECT

  WindowFixture ui_;

  template <typename T = QWidget>
  T* Find(const QString& name) const {
    return ui_.Find<T>(name);
  }
  QLineEdit* Box(const QString& name) const { return ui_.Box(name); }
  QString Status() const { return Find<QLabel>(QStringLiteral("OptimiseStatus_lbl"))->text(); }

  // The window shown with both settings panels open and four boxes, so that a search is
  // short.
  LineArray_frm& Open() {
    LineArray_frm& w = ui_.Open();
    Find<QComboBox>(QStringLiteral("BoxesAmount_cbx"))->setCurrentIndex(4 - MinBoxes);
    return w;
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
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void aDesignWithoutALevelOnItsAreasIsToldAndNotSearched() {
    LineArray_frm& w = Open();
    QCOMPARE(w.Project().AreasAmount, MaxAreas);
    QStringList lengths;
    for (int i = 0; i < MaxAreas; ++i) {
      QLineEdit* length = Box(QStringLiteral("AreaLength_tbx(%1)").arg(i));
      lengths << length->text();
      ui_.Type(length->objectName(), QStringLiteral("-5"));
    }
    QCOMPARE(w.Project().AreaLength[2], -5.0f);
    Find<QAction>(QStringLiteral("Optimise_men"))->trigger();
    auto* form = Find<Optimise_frm>(QStringLiteral("Optimise_frm"));
    QVERIFY(form->isVisible());
    QVERIFY2(Refused(*form), qPrintable(Status()));
    QTest::qWait(50);  // and nothing searches behind the message
    QVERIFY2(Refused(*form), qPrintable(Status()));

    // With the areas back, a search runs and finds the best design.
    for (int i = 0; i < MaxAreas; ++i)
      ui_.Type(QStringLiteral("AreaLength_tbx(%1)").arg(i), lengths[i]);
    QSignalSpy ended(form, &Optimise_frm::SearchEnded);
    QTest::mouseClick(Find<QPushButton>(QStringLiteral("OptimiseSearch_cbt")), Qt::LeftButton);
    QVERIFY(ended.count() == 1 || ended.wait(60000));
    QVERIFY(form->Result().Found && form->Result().CurrentScore.Points > 0);

    // The array hung so far above or below the areas that no sound reaches them.
    for (const char* floor : {"1e38", "-1e38"}) {
      ui_.Type(QStringLiteral("FloorDistance_tbx"), QLatin1String(floor));
      QCOMPARE(w.Project().FloorDistance, QString::fromLatin1(floor).toFloat());
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
      const QString path = ui_.Path(QLatin1String(u.name) + QStringLiteral(".qvd"));
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
