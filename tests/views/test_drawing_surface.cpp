#include <QApplication>
#include <QtTest>
#include <cmath>

#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

bool IsDark(QRgb p) { return qGray(p) < 128; }

// Whether any pixel within `radius` logical pixels of `at` passes the test.
template <typename Test>
bool AnyNear(const QImage& image, QPointF at, int radius, Test test) {
  const qreal ratio = image.devicePixelRatio();
  const int cx = int(std::lround(at.x() * ratio));
  const int cy = int(std::lround(at.y() * ratio));
  const int r = int(std::ceil(radius * ratio));
  for (int y = cy - r; y <= cy + r; ++y)
    for (int x = cx - r; x <= cx + r; ++x)
      if (image.valid(x, y) && test(image.pixel(x, y))) return true;
  return false;
}

// Pixel at a point given in logical pixels.
QRgb At(const QImage& image, double x, double y) {
  const qreal ratio = image.devicePixelRatio();
  return image.pixel(int(x * ratio), int(y * ratio));
}

int CountDark(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += IsDark(image.pixel(x, y));
  return n;
}

// A cleared picture with an inner area of 100 x 100 pixels spanning 0 to `extent` both
// ways, y growing upward.
void Prepare(DrawingSurface& s, double extent) {
  s.resize(102, 102);
  s.Scale(0, extent, extent, 0);
  s.Cls();
}

}  // namespace

class TestDrawingSurface : public QObject {
  Q_OBJECT

 private slots:
  void userScaleMapsCornersAndTheImageFollowsThePixelRatio() {
    DrawingSurface s;
    s.resize(202, 102);  // inner area 200 x 100
    s.Scale(-1, 10, 9, 0);
    QCOMPARE(s.ToPixels(-1, 10), QPointF(0, 0));
    QCOMPARE(s.ToPixels(9, 0), QPointF(200, 100));
    QCOMPARE(s.ToPixels(4, 5), QPointF(100, 50));
    QCOMPARE(s.ToUser(QPointF(100, 50)), QPointF(4, 5));
    s.Cls();
    QCOMPARE(s.Image().size(), QSize(200, 100) * s.devicePixelRatioF());
    QCOMPARE(s.Image().devicePixelRatio(), s.devicePixelRatioF());
  }

  void linesKeepTheirColourAndWidthUntilCleared() {
    DrawingSurface s;
    Prepare(s, 100);
    s.Line(10, 80, 90, 80, DrawingSurface::QBColor(4));
    s.DrawWidth = 5;
    s.Line(10, 20, 90, 20);
    const QImage drawn = s.Image();
    const QRgb red = At(drawn, 50, 20);
    QVERIFY(qRed(red) > 100 && qGreen(red) < 60 && qBlue(red) < 60);
    QVERIFY(!IsDark(At(drawn, 50, 23)));
    QVERIFY(IsDark(At(drawn, 50, 80 + 2)));  // the wide line covers two pixels off its axis
    s.update();
    QCOMPARE(s.Image(), drawn);  // painting does not redraw or erase
    s.Cls();
    QCOMPARE(CountDark(s.Image()), 0);
  }

  void nonFiniteLinesAreSkippedAndHugeOnesClipped() {
    DrawingSurface s;
    Prepare(s, 10);
    s.Line(NAN, 5, 10, 5);
    s.Line(0, INFINITY, 10, 5);
    s.Line(1e300, 1, -1e300, 1);     // crosses the picture: its middle shows
    s.Line(1e30, 1e30, 2e30, 3e30);  // far away: nothing
    const QImage image = s.Image();
    QVERIFY(IsDark(At(image, 50, 90)));
    QVERIFY(IsDark(At(image, 1, 90)));
    QVERIFY(IsDark(At(image, 98, 90)));
    const qreal ratio = image.devicePixelRatio();
    QCOMPARE(CountDark(image),
             CountDark(image.copy(0, int(88 * ratio), image.width(), int(5 * ratio))));

    // The clipping itself: cut to the rectangle, kept whole inside it, or rejected.
    const QRectF box(0, 0, 10, 10);
    QPointF a(-10, 5), b(20, 5);
    QVERIFY(ClipSegment(a, b, box));
    QCOMPARE(a, QPointF(0, 5));
    QCOMPARE(b, QPointF(10, 5));
    a = QPointF(2, 2), b = QPointF(3, 3);
    QVERIFY(ClipSegment(a, b, box));
    QCOMPARE(b, QPointF(3, 3));
    a = QPointF(-10, -10), b = QPointF(-1, 20);
    QVERIFY(!ClipSegment(a, b, box));
  }

  void solidCirclesAreFilledAndHugeOnesAreSafe() {
    DrawingSurface s;
    Prepare(s, 10);
    s.Fill = DrawingSurface::FillStyle::Solid;
    s.FillColor = DrawingSurface::QBColor(4);
    s.Circle(5, 5, 1, DrawingSurface::QBColor(4));
    QCOMPARE(At(s.Image(), 50, 50), qRgb(128, 0, 0));
    s.Circle(5, 5, 1e30, DrawingSurface::QBColor(0));
    s.Circle(NAN, 5, 1, DrawingSurface::QBColor(0));
    QCOMPARE(qRed(At(s.Image(), 50, 50)), 128);  // a disc covering everything keeps the fill
  }

  void textHeightCarriesTheSignOfTheVerticalScale() {
    DrawingSurface s;
    s.resize(202, 102);
    s.Scale(0, 10, 10, 0);
    const double up = s.TextHeight("Ag");
    QVERIFY(up < 0);
    s.Scale(0, 0, 10, 10);
    QCOMPARE(s.TextHeight("Ag"), -up);
    s.Scale(0, 10, 10, 0);
    s.Cls();
    s.CurrentX = 1;
    s.CurrentY = 9;
    s.Print("Ag");
    const QImage image = s.Image();
    // The text hangs below its top left corner, in the line's height.
    auto inked = [](QRgb p) { return qGray(p) < 200; };
    QVERIFY(AnyNear(image, s.ToPixels(1.4, 9 + up / 2), 6, inked));
    QVERIFY(!AnyNear(image, s.ToPixels(1.4, 9 - up / 2), 4, inked));
    QVERIFY(!AnyNear(image, s.ToPixels(8, 2), 6, inked));
  }
};

int main(int argc, char** argv) {
  // Draw at twice the pixel ratio, as on a high-density screen.
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TestDrawingSurface test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_drawing_surface.moc"
