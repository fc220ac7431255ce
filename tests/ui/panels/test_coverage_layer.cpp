// The coverage map against whatever a user can type or open: until a new map is ready the
// last finished one stands in at the new scene's scale, or is left out where that scale
// cannot place it, and nothing brings the window down.
#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <cmath>
#include <memory>

#include "support/WindowFixture.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/window/LineArrayForm.h"
#include "views/CoverageMap.h"

using namespace tarnwick;

namespace {

// Numbers at and beyond the ends of single precision, the smallest ones, what is no number
// at all, and lengths below zero.
const char* const Extremes[] = {"3e38", "-3e38", "1e39", "1e-45", "-1e-45",
                                "inf",  "nan",   "0",    "-5"};

}  // namespace

class TestCoverageLayer : public QObject {
  Q_OBJECT

  WindowFixture ui_;

  template <typename T = QWidget>
  T* Find(const QString& name) const {
    return ui_.Find<T>(name);
  }
  DrawingSurface& Side() const { return *Find<DrawingSurface>(QStringLiteral("MainView_pbx")); }
  const CoverageLayer& Layer() const { return *Find<CoverageLayer>(QStringLiteral("CoverageMap")); }
  bool MapFinished() const { return !Layer().Busy() && Layer().ShownMap() != nullptr; }

  // The window shown with both settings panels open, three areas, twelve boxes, a typed
  // inclination and the coverage map; returns once the first map is on screen.
  LineArray_frm& Open() {
    ui_.Open();
    Find<QComboBox>(QStringLiteral("AreasAmount_cbx"))->setCurrentIndex(2);
    Find<QComboBox>(QStringLiteral("BoxesAmount_cbx"))->setCurrentIndex(MaxBoxes - MinBoxes);
    auto* automatic = Find<QCheckBox>(QStringLiteral("AutomaticInclCalc_chk"));
    if (automatic->isChecked()) QTest::mouseClick(automatic, Qt::LeftButton);
    Find<QAction>(QStringLiteral("ShowMap_men"))->trigger();
    WaitForMap();
    return ui_.Window();
  }
  void WaitForMap() const { QTRY_VERIFY_WITH_TIMEOUT(MapFinished(), 30000); }

  // Whether the side view's scale places the shown map's corners on pixels it can draw at.
  bool MapPlaceable() const {
    const LevelGrid& map = Layer().ShownMap()->grid;
    for (const QPointF corner :
         {Side().ToPixels(map.left, map.top), Side().ToPixels(map.right, map.bottom)})
      if (!(std::fabs(corner.x()) <= MaxPixel) || !(std::fabs(corner.y()) <= MaxPixel))
        return false;
    return true;
  }
  // Every pixel in the background colour.
  static bool Blank(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if (picture.pixel(x, y) != qRgb(255, 255, 255)) return false;
    return true;
  }
  // The side view's pixels in any of the map's colours.
  int MapColoured() const {
    QSet<QRgb> colours;
    for (float below = -1.0f; below < MapStepDb * (MapSteps + 2); below += MapStepDb / 2)
      colours << MapColour(Layer().Top() - below, Layer().Top());
    const QImage& shown = Side().Image();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) count += colours.contains(shown.pixel(x, y));
    return count;
  }

  // Where the scene now shown cannot place the last map, the view goes without it: no more
  // of its colours than the areas' own coloured lines show, and nothing at all where the
  // scene places nothing.
  bool LeftOutWhereUnplaceable() const {
    if (Layer().ShownMap() == nullptr || MapPlaceable()) return true;
    const QImage& shown = Side().Image();
    if (MapColoured() >= shown.width() * shown.height() / 20) return false;
    const QPointF origin = Side().ToPixels(0, 0);
    return (std::isfinite(origin.x()) && std::isfinite(origin.y())) || Blank(shown);
  }

  // The boxes that take numbers: every text box but the title and the author, one of a row
  // named with its index, as "AreaLength_tbx(2)".
  QList<QLineEdit*> NumberBoxes() const {
    static const QRegularExpression textBox(QStringLiteral("_tbx(\\(\\d+\\))?$"));
    QList<QLineEdit*> boxes;
    for (QLineEdit* box : ui_.Window().findChildren<QLineEdit*>()) {
      const QString name = box->objectName();
      if (textBox.match(name).hasMatch() && name != QLatin1String("Project_tbx") &&
          name != QLatin1String("Author_tbx"))
        boxes << box;
    }
    return boxes;
  }

 private slots:
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void everyNumberBoxTakesEveryExtremeWhileAMapIsShown_data() {
    QTest::addColumn<bool>("feet");
    QTest::newRow("metres") << false;
    QTest::newRow("feet") << true;
  }

  void everyNumberBoxTakesEveryExtremeWhileAMapIsShown() {
    QFETCH(bool, feet);
    LineArray_frm& w = Open();
    auto* units = Find<QComboBox>(QStringLiteral("Units_cbx"));
    units->setCurrentIndex(
        units->findText(feet ? QStringLiteral("Feet") : QStringLiteral("Metres")));
    QCOMPARE(IsFeet(w.Data.Project.Units), feet);
    const QList<QLineEdit*> boxes = NumberBoxes();
    QCOMPARE(boxes.size(), 2 + 4 * MaxAreas);
    for (QLineEdit* box : boxes) {
      QVERIFY2(box->isVisible() && !box->isReadOnly(), qPrintable(box->objectName()));
      const QString before = box->text();
      for (const char* extreme : Extremes) {
        // The last finished map is what stands in while the next is computed.
        QVERIFY(Layer().ShownMap() != nullptr);
        ui_.Type(box->objectName(), QLatin1String(extreme));
        QCOMPARE(box->text(), QLatin1String(extreme));
        QVERIFY2(LeftOutWhereUnplaceable(),
                 qPrintable(box->objectName() + QLatin1Char(' ') + QLatin1String(extreme)));
        QTest::qWait(2);  // a map may finish and be drawn in the meantime
        ui_.Type(box->objectName(), before);
      }
    }
    // Back at its own design, the window computes and shows its map again.
    WaitForMap();
    const LevelGrid& map = Layer().ShownMap()->grid;
    QVERIFY(map.bottom == 0 && map.top > w.Data.Project.FloorDistance && map.right > map.left);
  }

  void everyLoadableExtremeFileOpensWhileAMapIsShown() {
    LineArray_frm& w = Open();
    // The fuzzer's seeds, the loadable files at the ends of what a file can hold among
    // them ("extreme_...", written by tools/make_expected.py).
    QStringList files;
    for (const QFileInfo& corpus :
         QDir(QStringLiteral(TARNWICK_SOURCE_DIR "/tests/fuzz/corpus")).entryInfoList(QDir::Files))
      files << corpus.absoluteFilePath();
    const auto extreme = [](const QString& file) {
      return QFileInfo(file).fileName().startsWith(QLatin1String("extreme_"));
    };
    const int extremes = int(std::count_if(files.begin(), files.end(), extreme));
    QVERIFY(extremes >= 8);
    const QString plain = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/default.qvd");
    int opened = 0;
    for (const QString& file : files) {
      // Opened over a finished map of an ordinary design.
      QVERIFY(w.OpenFile(plain));
      WaitForMap();
      const bool loaded = w.OpenFile(file);
      opened += loaded;
      QVERIFY2(loaded || !extreme(file), qPrintable(file));
      QVERIFY2(LeftOutWhereUnplaceable(), qPrintable(file));
      QTest::qWait(20);
    }
    QVERIFY(opened >= extremes);
  }
};

QTEST_MAIN(TestCoverageLayer)
#include "test_coverage_layer.moc"
