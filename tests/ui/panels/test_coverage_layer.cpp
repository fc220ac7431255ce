// The coverage map as a user meets it: always of the design on screen, and against whatever
// a user can type or open, until a new map is ready the last finished one stands in at the
// new scene's scale, or is left out where that scale cannot place it, and nothing brings the
// window down.
#include "acoustics/LevelEngine.h"
#include "support/WindowFixture.h"
#include "views/CoverageMap.h"

using namespace tarnwick;

namespace {

// Numbers at and beyond the ends of single precision, the smallest ones, what is no number
// at all, and lengths below zero.
const char* const Extremes[] = {"3e38", "-3e38", "1e39", "1e-45", "-1e-45",
                                "inf",  "nan",   "0",    "-5"};

// Every pixel in the background colour.
bool Blank(const QImage& picture) {
  QImage white(picture.size(), QImage::Format_ARGB32);
  white.fill(qRgb(255, 255, 255));
  return picture.convertToFormat(QImage::Format_ARGB32) == white;
}

}  // namespace

class TestCoverageLayer : public QObject, WindowFixture {
  Q_OBJECT

  // The window shown with both settings panels open, three areas, twelve boxes, a typed
  // inclination and the coverage map; returns once the first map is on screen.
  LineArray_frm& OpenWithMap() {
    Open();
    List("AreasAmount_cbx")->setCurrentIndex(2);
    List("BoxesAmount_cbx")->setCurrentIndex(MaxBoxes - MinBoxes);
    if (Find<QCheckBox>("AutomaticInclCalc_chk")->isChecked()) Click("AutomaticInclCalc_chk");
    Trigger("ShowMap_men");
    WaitForMap();
    return Window();
  }

  // Whether the side view's scale places the shown map's corners on pixels it can draw at.
  bool MapPlaceable() const {
    const LevelGrid& map = Map().ShownMap()->grid;
    for (const QPointF corner :
         {Side()->ToPixels(map.left, map.top), Side()->ToPixels(map.right, map.bottom)})
      if (!(std::fabs(corner.x()) <= MaxPixel) || !(std::fabs(corner.y()) <= MaxPixel))
        return false;
    return true;
  }
  // The side view's pixels in any of the map's colours.
  int MapColoured() const {
    QSet<QRgb> colours;
    for (float below = -1.0f; below < MapStepDb * (MapSteps + 2); below += MapStepDb / 2)
      colours << MapColour(Map().Top() - below, Map().Top());
    const QImage& shown = Side()->Image();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) count += colours.contains(shown.pixel(x, y));
    return count;
  }

  // Where the scene now shown cannot place the last map, the view goes without it: no more
  // of its colours than the areas' own coloured lines show, and nothing at all where the
  // scene places nothing.
  bool LeftOutWhereUnplaceable() const {
    if (Map().ShownMap() == nullptr || MapPlaceable()) return true;
    const QImage& shown = Side()->Image();
    if (MapColoured() >= shown.width() * shown.height() / 20) return false;
    const QPointF origin = Side()->ToPixels(0, 0);
    return (std::isfinite(origin.x()) && std::isfinite(origin.y())) || Blank(shown);
  }

  // The boxes that take numbers: every text box but the title and the author, one of a row
  // named with its index, as "AreaLength_tbx(2)".
  QList<QLineEdit*> NumberBoxes() const {
    static const QRegularExpression textBox(u"_tbx(\\(\\d+\\))?$"_s);
    QList<QLineEdit*> boxes = Window().findChildren<QLineEdit*>(textBox);
    boxes.removeIf([](const QLineEdit* box) {
      return QStringList{"Project_tbx", "Author_tbx"}.contains(box->objectName());
    });
    return boxes;
  }

 private slots:
  void cleanup() { Reset(); }

  void everyNumberBoxTakesEveryExtremeWhileAMapIsShown_data() {
    QTest::addColumn<bool>("feet");
    QTest::newRow("metres") << false;
    QTest::newRow("feet") << true;
  }

  void everyNumberBoxTakesEveryExtremeWhileAMapIsShown() {
    QFETCH(bool, feet);
    LineArray_frm& w = OpenWithMap();
    List("Units_cbx")->setCurrentIndex(List("Units_cbx")->findText(feet ? "Feet" : "Metres"));
    QCOMPARE(IsFeet(w.Project().Units), feet);
    const QList<QLineEdit*> boxes = NumberBoxes();
    QCOMPARE(boxes.size(), 2 + 4 * MaxAreas);
    for (QLineEdit* box : boxes) {
      QVERIFY2(box->isVisible() && !box->isReadOnly(), qPrintable(box->objectName()));
      const QString before = box->text();
      for (const char* extreme : Extremes) {
        // The last finished map is what stands in while the next is computed.
        QVERIFY(Map().ShownMap() != nullptr);
        Type(box->objectName(), QLatin1String(extreme));
        QCOMPARE(box->text(), QLatin1String(extreme));
        QVERIFY2(LeftOutWhereUnplaceable(), qPrintable(box->objectName() + ' ' + extreme));
        QTest::qWait(2);  // a map may finish and be drawn in the meantime
        Type(box->objectName(), before);
      }
    }
    // Back at its own design, the window computes and shows its map again.
    WaitForMap();
    const LevelGrid& map = Map().ShownMap()->grid;
    QVERIFY(map.bottom == 0 && map.top > w.Project().FloorDistance && map.right > map.left);
  }

  void everyLoadableExtremeFileOpensWhileAMapIsShown() {
    LineArray_frm& w = OpenWithMap();
    // The fuzzer's seeds, the loadable files at the ends of what a file can hold among
    // them ("extreme_...", written by tools/make_expected.py).
    const QDir corpus(TARNWICK_SOURCE_DIR "/tests/fuzz/corpus"_L1);
    const QStringList files = corpus.entryList(QDir::Files);
    const auto extremes = files.filter(QRegularExpression(u"^extreme_"_s)).size();
    QVERIFY(extremes >= 8);
    int opened = 0;
    for (const QString& name : files) {
      // Opened over a finished map of an ordinary design.
      QVERIFY(w.OpenFile(Sample("default.qvd")));
      WaitForMap();
      const bool loaded = w.OpenFile(corpus.filePath(name));
      opened += loaded;
      QVERIFY2(loaded || !name.startsWith("extreme_"_L1), qPrintable(name));
      QVERIFY2(LeftOutWhereUnplaceable(), qPrintable(name));
      QTest::qWait(20);
    }
    QVERIFY(opened >= extremes);
  }
  void theCoverageMapShowsTheLevelsOfTheDesignOnScreenOnly() {
    LineArray_frm& w = Open(QSize(), false);
    const CoverageLayer* layer = &Map();
    // Every map that reaches the screen is of the design on screen, whatever changed while
    // it was computed: its nodes are that design's levels to the last bit.
    int maps = 0, mixed = 0;
    QObject::connect(layer, &CoverageLayer::MapReady, &w, [&] {
      if (layer->ShownMap() == nullptr || layer->Busy()) return;  // a band change, no new map
      const LevelGrid* map = &layer->ShownMap()->grid;
      ++maps;
      const LevelEngine engine(w.Project(), w.Geometry(), w.Module());
      for (int j = 0; j < map->ny; j += 17)
        for (int i = 0; i < map->nx; i += 13)
          mixed += engine.Level(map->entry, map->Node(i, j)) != map->nodes[j * map->nx + i];
    });
    Trigger("ShowMap_men");
    QVERIFY(Find("MapFreq_cbx")->isVisible());
    KeyPick("BoxesAmount_cbx", 2);  // changes while the first map is computed
    KeyPick("BoxesAmount_cbx", 6);
    WaitForMap();
    KeyPick("MapFreq_cbx", BroadbandAChoice);
    QTRY_VERIFY_WITH_TIMEOUT(!layer->Busy() && layer->ShownMap()->grid.entry == BroadbandAChoice,
                             30000);
    QVERIFY(maps >= 2);
    QCOMPARE(mixed, 0);
    // The map covers the section above the floor; the scale's top is the loudest area
    // level rounded up to 3 dB.
    const LevelGrid& map = layer->ShownMap()->grid;
    QVERIFY(map.bottom == 0 && map.top > w.Project().FloorDistance && map.left < 0);
    QCOMPARE(std::fmod(layer->Top(), 3.0f), 0.0f);
    QVERIFY(layer->Top() - map.nodes[map.nodes.size() / 2] > -60);
    Trigger("ShowMap_men");
    QVERIFY(!Find("MapFreq_cbx")->isVisible() && layer->ShownMap() == nullptr);
  }
};

QTEST_MAIN(TestCoverageLayer)
#include "test_coverage_layer.moc"
