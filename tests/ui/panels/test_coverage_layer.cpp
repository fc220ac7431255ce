// The coverage map as a user meets it: always of the design on screen, and whatever a user
// types, the last finished map stands in until a new one is ready and nothing brings the
// window down (what a scale cannot place, the canvas leaves out: test_drawing_surface).
#include "acoustics/LevelEngine.h"
#include "support/WindowFixture.h"

using namespace tarnwick;

class TestCoverageLayer : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void everyNumberBoxTakesEveryExtremeWhileAMapIsShown() {
    LineArray_frm& w = Open();
    List("AreasAmount_cbx")->setCurrentIndex(2);
    List("BoxesAmount_cbx")->setCurrentIndex(MaxBoxes - MinBoxes);
    Click("AutomaticInclCalc_chk");
    Trigger("ShowMap_men");
    Trigger("ShowGraph_men");  // the levels along the areas as well as the map
    WaitForMap();
    // Every box that takes a number: every text box but the title and the author.
    QList<QLineEdit*> boxes =
        w.findChildren<QLineEdit*>(QRegularExpression(u"_tbx(\\(\\d+\\))?$"_s));
    boxes.removeIf([](const QLineEdit* box) {
      return QStringList{"Project_tbx", "Author_tbx"}.contains(box->objectName());
    });
    QCOMPARE(boxes.size(), 2 + 4 * MaxAreas);
    for (const char* unit : {"Feet", "Metres"}) {
      List("Units_cbx")->setCurrentIndex(List("Units_cbx")->findText(unit));
      for (QLineEdit* box : boxes) {
        QVERIFY2(box->isVisible() && !box->isReadOnly(), qPrintable(box->objectName()));
        const QString before = box->text();
        // Numbers at and beyond the ends of single precision, the smallest ones, what is no
        // number at all, and lengths below zero.
        for (const char* extreme :
             {"3e38", "-3e38", "1e39", "1e-45", "-1e-45", "inf", "nan", "0", "-5"}) {
          // The last finished map is what stands in while the next is computed.
          QVERIFY(Map().ShownMap() != nullptr);
          Type(box->objectName(), QLatin1String(extreme));
          QCOMPARE(box->text(), QLatin1String(extreme));
          QTest::qWait(2);  // a map may finish and be drawn in the meantime
          Type(box->objectName(), before);
        }
      }
    }
    // Back at its own design, the window computes and shows its map again.
    WaitForMap();
    const LevelGrid& map = Map().ShownMap()->grid;
    QVERIFY(map.bottom == 0 && map.top > w.Project().FloorDistance && map.right > map.left);
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
