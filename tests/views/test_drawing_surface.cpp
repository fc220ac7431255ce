// The canvas's primitives at the ends of what a scale can be: what can be placed is
// drawn as ever, what cannot is left out without a trace, and nothing brings it down.
#include <QtGui>
#include <QtTest>
#include <cmath>

#include "support/Pixels.h"
#include "views/Canvas.h"

using namespace tarnwick;

namespace {

using Quad = std::array<double, 4>;  // a scale, or two corners: x1, y1, x2, y2

// An inner area of 256 x 128 pixels; the default scale makes a user unit a pixel, y upward.
struct Surface {
  Canvas s;
  QImage blank;

  Surface() {
    s.SetSize({256, 128});
    Reset();
  }
  void Reset(Quad scale = {0, 128, 256, 0}) {
    s.Scale(scale[0], scale[1], scale[2], scale[3]);
    s.DrawWidth = 1;
    s.Fill = Canvas::FillStyle::Transparent;
    s.Cls();
    blank = s.Image();
  }
  bool Blank() { return s.Image() == blank; }
  QRgb At(int x, int y) { return s.Image().pixel(x, y); }
};

}  // namespace

class TestDrawingSurface : public QObject {
  Q_OBJECT

 private slots:
  void aPictureIsStretchedOverItsCornersOrLeftOutWhole() {
    Surface v;
    QImage map(40, 16, QImage::Format_ARGB32_Premultiplied);
    map.fill(Qt::red);
    // As placed: from x 32 to 224 and from y 112 down to 32 (pixel rows 16 to 96).
    QVERIFY(v.s.DrawPicture(32, 112, 224, 32, map));
    QVERIFY(IsReddish(v.At(33, 17)) && IsReddish(v.At(222, 94)) && IsReddish(v.At(128, 64)));
    QVERIFY(!IsReddish(v.At(30, 64)) && !IsReddish(v.At(226, 64)) && !IsReddish(v.At(128, 14)) &&
            !IsReddish(v.At(128, 98)));
    // The same extents at another scale: smaller, as a stand-in for a map of a new scene.
    v.Reset({0, 1280, 2560, 0});
    QVERIFY(v.s.DrawPicture(32, 112, 224, 32, map));
    QVERIFY(IsReddish(v.At(12, 122)) && !IsReddish(v.At(30, 122)));
    // Reaching far beyond the picture but within 2^24 pixels: it covers it.
    v.Reset();
    QVERIFY(v.s.DrawPicture(-MaxPixel, 128 + MaxPixel, MaxPixel, 128 - MaxPixel, map));
    QCOMPARE(Count(v.s.Image(), IsReddish), 256 * 128);

    // Corners the scale cannot place: beyond 2^24 pixels, not numbers, or a scale that is
    // none; or below a device pixel apart. Nothing of the picture is drawn, and nothing else.
    const std::tuple<const char*, Quad, Quad> refused[] = {
        {"beyond 2^24 pixels", {0, 128, 256, 0}, {-MaxPixel - 2, 112, 224, 32}},
        {"beyond 2^24 pixels below", {0, 128, 256, 0}, {32, 112, 224, -MaxPixel}},
        {"a corner no number", {0, 128, 256, 0}, {32, NAN, 224, 32}},
        {"a scale of no width", {5, 128, 5, 0}, {32, 112, 224, 32}},
        {"six tenths of a pixel high", {0, 128, 256, 0}, {32, 20, 224, 19.4}},
        {"six tenths of a pixel wide", {0, 128, 256, 0}, {100, 112, 100.6, 32}},
    };
    for (const auto& [what, scale, c] : refused) {
      v.Reset(scale);
      QVERIFY2(!v.s.DrawPicture(c[0], c[1], c[2], c[3], map) && v.Blank(), what);
    }
    v.Reset();
    QVERIFY(!v.s.DrawPicture(32, 112, 224, 32, QImage()) && v.Blank());
  }

  void noPrimitiveDrawsWhereItCannotBePlacedAndEachDrawsAsEverWhereItCan() {
    Surface v;
    // As ever: a line and a ring where they are asked for (text: test_side_view).
    v.s.Line(16, 64, 240, 64, Qt::red);
    QVERIFY(IsReddish(v.At(20, 64)) && IsReddish(v.At(236, 64)) && !IsReddish(v.At(10, 64)));
    v.s.Circle(128, 100, 10, Qt::red);
    QVERIFY(IsReddish(v.At(138, 28)) && !IsReddish(v.At(128, 28)));
    // A line reaching past either end of double is drawn across the picture.
    v.Reset();
    v.s.Line(-1.7e308, 64, 1.7e308, 64, Qt::red);
    QVERIFY(IsReddish(v.At(1, 64)) && IsReddish(v.At(254, 64)));
    // A filled disc larger than everything covers the picture; its outline far away shows not.
    v.Reset();
    v.s.Circle(128, 64, 1e300, Qt::red);
    QVERIFY(v.Blank());
    v.s.Fill = Canvas::FillStyle::Solid;
    v.s.FillColor = Qt::red;
    v.s.Circle(128, 64, 1e300, Qt::red);
    QCOMPARE(Count(v.s.Image(), IsReddish), 256 * 128);

    // Where a position is not a number, infinite or out of reach, no line, disc or text is
    // drawn (pictures: above).
    const std::tuple<const char*, Quad, QPointF> refused[] = {
        {"a point no number", {0, 128, 256, 0}, {NAN, 64}},
        {"a point far out", {0, 128, 256, 0}, {1e30, 64}},
    };
    for (const auto& [what, scale, at] : refused) {
      v.Reset(scale);
      const double x = at.x(), y = at.y();
      v.s.DrawWidth = 3;
      v.s.Line(x, y, x, y, Qt::red);
      v.s.Fill = Canvas::FillStyle::Solid;
      v.s.Circle(x, y, 4, Qt::red);
      v.s.CurrentX = x, v.s.CurrentY = y;
      v.s.Print(QStringLiteral("MMMM"));
      QVERIFY2(v.Blank(), what);
    }
  }

  void rulesBlendOverWhatIsDrawnOnWholeDevicePixelsAndLeaveOutWhatCannotBePlaced() {
    for (const qreal ratio : {1.0, 2.0}) {
      Canvas s;
      s.SetSize({256, 128}, ratio);
      s.Scale(0, 128, 256, 0);
      s.Cls();
      const QImage white = s.Image();
      // Half the picture red under the rules, then a rule up at x 10 and one across at y 40.
      s.DrawWidth = 40;
      s.Line(0, 20, 256, 20, Qt::red);
      s.Rules({QLineF(10.5, 0, 10.5, 128), QLineF(0, 40.2, 256, 40.2), QLineF(qQNaN(), 0, 5, 5),
               QLineF(1e30, 0, 1e30, 128)},
              QColor(0, 0, 0, 64));
      const QImage& image = s.Image();
      const int column = int(10.5 * ratio), row = int(std::floor((128 - 40.2) * ratio));
      // Over white a grey of a quarter's darkening, over red a darker red; a logical pixel
      // wide in whole device pixels, and nothing either side.
      const QRgb grey = image.pixel(column, int(60 * ratio));
      QCOMPARE(qRed(grey), 191);
      QCOMPARE(qGreen(grey), qRed(grey));
      QCOMPARE(image.pixel(column + int(ratio) - 1, int(60 * ratio)), grey);
      QCOMPARE(image.pixel(column + int(ratio), int(60 * ratio)), white.pixel(0, 0));
      QCOMPARE(image.pixel(column - 1, int(60 * ratio)), white.pixel(0, 0));
      const QRgb onRed = image.pixel(column, int(110 * ratio));
      QVERIFY(qRed(onRed) == 191 && qGreen(onRed) == 0);
      QCOMPARE(image.pixel(int(200 * ratio), row), grey);
      QCOMPARE(image.pixel(int(200 * ratio), row - 1), white.pixel(0, 0));
      // Drawing goes on over the rules.
      s.DrawWidth = 1;
      s.Line(0, 64, 256, 64, Qt::blue);
      QVERIFY(qBlue(s.Image().pixel(int(100 * ratio), int(64 * ratio))) > 100);
    }
  }
};

QTEST_MAIN(TestDrawingSurface)
#include "test_drawing_surface.moc"
