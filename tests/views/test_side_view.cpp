// The drawing surface, side and zoom views, line element and SPL graph on hi-dpi pictures;
// the views draw on bare canvases.
#include <QtTest>
#include <QtWidgets>
#include <cmath>

#include "acoustics/ModuleData.h"
#include "model/ProjectRules.h"
#include "support/DataTable.h"
#include "support/Pixels.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/LineElement.h"
#include "views/SectionGrid.h"
#include "views/SideView.h"
#include "views/SplGraph.h"

using namespace tarnwick;

namespace {

bool IsBlackish(QRgb p) { return qGray(p) < 140 && !IsReddish(p); }
bool IsBluish(QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 30; }
bool IsGreenish(QRgb p) { return qGreen(p) > qRed(p) + 60 && qGreen(p) > qBlue(p) + 20; }

QRgb At(const QImage& i, QPointF p) { return i.pixel((p * i.devicePixelRatio()).toPoint()); }

// The side (800 x 500) and zoom (160 x 320) views, drawn as the window draws them, windowless.
struct Views {
  Canvas side, zoom;
  bool shown;
  ProjectData project = MakeDefaultProject();
  Graphics g;

  explicit Views(bool zoomShown = true) : shown(zoomShown) {
    side.SetSize({800, 500}, 2);
    zoom.SetSize({160, 320}, 2);
  }
  void Draw() {
    Redraw(project, g, {false, 802.0, 502.0});
    side.Cls(), zoom.Cls();
    DrawBackground(side, zoom, shown, project, g);
    DrawAreas(side, project, g);
    DrawArray(side, zoom, project, g);
  }
  bool RedAlongRay(int box, float share) {
    const PlaneVector at =
        AddVectors(g.BoxGeom[box].Source, ScaleVector(g.BoxGeom[box].Ray, share));
    return AnyNear(side, at.X, at.Y, 1, IsReddish);
  }
  bool AreaDrawn(int i) {
    const PlaneVector middle =
        AddVectors(g.AreaGeom[i].Start, ScaleVector(g.AreaGeom[i].Direction, 0.5f));
    return AnyNear(side, middle.X, middle.Y, 1, IsBlackish);
  }
};

}  // namespace

class TestSideView : public QObject {
  Q_OBJECT

 private slots:
  void gridLinesLieOneTwoOrFiveTimesAPowerOfTenApartAndFortyToAHundredPixels() {
    for (double pixels = 0.001; pixels < 1e6; pixels *= 1.37) {
      const double step = GridStep(pixels);
      const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
      const double factor = std::round(step / power);
      QVERIFY2(
          (factor == 1 || factor == 2 || factor == 5) && std::fabs(step / power - factor) < 1e-9,
          qPrintable(QString::number(step)));
      QVERIFY(step * pixels >= 40.0 - 1e-9 && step * pixels <= 100.0 + 1e-9);
    }
    QCOMPARE(GridStep(0.0), 0.0);
  }

  void drawingKeepsItsColourWidthAndFillUntilCleared() {
    DrawingSurface s;
    s.resize(102, 102);
    s.Scale(0, 100, 100, 0);
    s.Cls();
    const QImage blank = s.Image();
    s.Line(10, 80, 90, 80, DrawingSurface::QBColor(4));
    s.DrawWidth = 5;
    s.Line(10, 20, 90, 20);
    s.Fill = DrawingSurface::FillStyle::Solid;
    s.FillColor = DrawingSurface::QBColor(4);
    s.Circle(50, 50, 5, DrawingSurface::QBColor(4));
    std::tie(s.CurrentX, s.CurrentY) = std::pair(5.0, 95.0);
    s.Print("Ag");
    const QImage drawn = s.Image();
    QCOMPARE(drawn.devicePixelRatio(), 2.0);
    QVERIFY(IsReddish(At(drawn, {50, 20})));  // the wide line keeps the colour
    QVERIFY(!IsDark(At(drawn, {50, 23})));
    QVERIFY(IsDark(At(drawn, {50, 80 + 2})));  // the wide line covers two pixels off its axis
    QCOMPARE(At(drawn, {50, 50}), qRgb(128, 0, 0));
    // Text hangs below its top left corner; its height carries the vertical scale's sign.
    const double line = -s.TextHeight("Ag");
    QVERIFY(AnyNear(s, 9, 95 - line / 2, 6, IsInked));
    QVERIFY(!AnyNear(s, 9, 95 + line / 2, 4, IsInked));
    s.update();
    QCOMPARE(s.Image(), drawn);  // painting does not redraw or erase
    s.Cls();
    QCOMPARE(s.Image(), blank);
  }

  void everyBoxInUseGetsOneRayToItsAimAndTheZoomViewNone() {
    Views v;
    v.Draw();
    for (int box = 0; box < 12; ++box)
      QVERIFY2(v.RedAlongRay(box, 0.97f) && !v.RedAlongRay(box, 1.06f),
               qPrintable(QString::number(box)));
    // The zoom view shows the boxes and the red mounting point, but no ray.
    const BoxGeometry& last = v.g.BoxGeom[11];
    QVERIFY(AnyNear(v.zoom, last.BottomFront.X, last.BottomFront.Y, 1, IsInked));
    QVERIFY(AnyNear(v.zoom, v.g.Flybar[4].X, v.g.Flybar[4].Y, 1, IsInked));
    const PlaneVector m = v.g.MountingPoint;
    QVERIFY(AnyNear(v.zoom, m.X, m.Y, 1, IsReddish));
    const PlaneVector ahead = AddVectors(last.Source, ScaleVector(last.Ray, 0.02f));
    QVERIFY(!AnyNear(v.zoom, ahead.X + 0.3, ahead.Y, 1, IsInked));
    // With two boxes only their two rays are drawn; the zoom view follows the mounting point.
    const QPointF before = v.zoom.ToPixels(m.X, m.Y);
    v.project.BoxesAmount = 2;
    v.project.FloorDistance = 8;
    v.Draw();
    QVERIFY(!v.RedAlongRay(11, 0.8f) && v.RedAlongRay(0, 0.5f) && v.RedAlongRay(1, 0.5f));
    QCOMPARE(v.zoom.ToPixels(v.g.MountingPoint.X, v.g.MountingPoint.Y), before);
    // Extreme projects draw without fault, and a sane one draws sanely again after them.
    v.project.AutomaticInclCalc = 0;
    for (float inclination : {90.0f, -90.0f, 1e30f})
      for (float* field :
           {&v.project.AreaLength[0], &v.project.AreaHeight2[0], &v.project.FloorDistance})
        for (float value : {3e38f, -1e38f, 1e-38f, 0.0f}) {
          v.project.InclinationAngle = inclination;
          *field = value;
          v.Draw();
        }
    v.project = MakeDefaultProject();
    v.Draw();
    QVERIFY(v.AreaDrawn(0) && v.RedAlongRay(5, 0.5f));
  }

  void areasAndBaseLineAreDrawnInTheSceneRightOfTheZoomView() {
    Views v;
    v.project.AreaDistance[2] = 5;  // the third area drawn once, then left out
    v.Draw();
    v.project.AreasAmount = 2;
    v.Draw();
    QVERIFY(v.AreaDrawn(0) && v.AreaDrawn(1) && !v.AreaDrawn(2));
    // The base line runs below the floor from 0 to the scene's right end, ticked at its ends.
    const double width = v.g.SceneWidth, height = v.g.SceneHeight;
    const double pixel = v.side.ScaleWidth() / 800;
    for (double x : {0.0, width / 2, width})
      QVERIFY(AnyNear(v.side, x, -0.05 * height, 0, IsBlackish));
    for (double x : {-3 * pixel, width + 3 * pixel})
      QVERIFY(!AnyNear(v.side, x, -0.05 * height, 1, IsInked));
    for (double x : {0.0, width}) QVERIFY(AnyNear(v.side, x, -0.03 * height, 0, IsBlackish));
    QVERIFY(!AnyNear(v.side, width / 2, -0.03 * height, 1, IsInked));
    // The scene lies in the picture, from about the zoom view's right edge while that is shown.
    const QRectF inner(QPointF(0, 0), v.side.InnerSize());
    QVERIFY(inner.contains(v.side.ToPixels(width, height)));
    QVERIFY(v.side.ToPixels(0, 0).x() > 0.9 * v.zoom.OuterSize().width());
    Views without(false);
    without.Draw();
    QVERIFY(without.side.ToPixels(0, 0).x() < v.side.ToPixels(0, 0).x());
    QVERIFY(inner.contains(without.side.ToPixels(0, 0)));
  }

  void distancesAlongTheBottomReadOverTheBaseLine() {
    // A view so low that the base line under the floor runs through the distances' row:
    // each distance sits on a plate, its figures as they look on white.
    Views v(false);
    v.side.SetSize({400, 120}, 2);
    Redraw(v.project, v.g, {false, 402.0, 122.0});
    v.side.Cls();
    DrawBackground(v.side, v.zoom, false, v.project, v.g);
    const ReadoutStyle style{false, QStringLiteral(".")};
    DrawGrid(v.side, style);
    const QImage drawn = v.side.Image();
    const QPointF base = v.side.ToPixels(0, -0.05 * v.g.SceneHeight);
    const double baseEnd = v.side.ToPixels(v.g.SceneWidth, 0).x();
    Canvas plain;
    plain.SetSize({400, 120}, 2);
    plain.Scale(v.side.ScaleLeft(), v.side.ScaleTop(), v.side.ScaleLeft() + v.side.ScaleWidth(),
                v.side.ScaleTop() + v.side.ScaleHeight());
    const QFontMetricsF metrics(v.side.TextFont());
    int crossed = 0;
    for (const GridLabel& label : LayOutGrid(v.side, style).Labels) {
      if (!label.Plated) continue;
      plain.Cls();
      plain.ForeColor = GridInk;
      std::tie(plain.CurrentX, plain.CurrentY) = std::pair(label.X, label.Y);
      plain.PrintOnPlate(label.Text, Qt::white);
      // The text's box in device pixels, less its edges, which the plate covers in part.
      const QRectF box(v.side.ToPixels(label.X, label.Y) * 2,
                       QSizeF(metrics.horizontalAdvance(label.Text), metrics.height()) * 2);
      const QRect inside = box.toAlignedRect().adjusted(1, 1, -1, -1) & drawn.rect();
      crossed += inside.top() < 2 * base.y() && 2 * base.y() < inside.bottom() &&
                 inside.right() > 2 * base.x() && inside.left() < 2 * baseEnd;
      QCOMPARE(drawn.copy(inside), plain.Image().copy(inside));
    }
    QVERIFY(crossed >= 2);
  }

  void lineElementLiesOverThePictureClippedNearIt() {
    DrawingSurface picture;
    picture.resize(202, 102);
    picture.Scale(0, 10, 20, 0);
    LineElement line(&picture);
    line.SetEnds(2, 1, 18, 9);
    QCOMPARE(std::pair(line.From(), line.To()), std::pair(QPointF(21, 91), QPointF(181, 11)));
    QVERIFY(line.geometry().contains(QRect(21, 11, 161, 81)));
    QVERIFY(line.testAttribute(Qt::WA_TransparentForMouseEvents));
    line.SetEnds(-1e9, 5, 1e9, 5);  // far outside: kept within 4 pixels around the picture
    QCOMPARE(std::pair(line.From(), line.To()), std::pair(QPointF(-3, 51), QPointF(205, 51)));
  }

  void allAreasPutsEachCurveAtItsAreasTrueDistancesFromTheArray() {
    ProjectData p = MakeDefaultProject();
    Graphics g;
    Redraw(p, g, {false, 802.0, 502.0});
    Constants constants;
    AssignBandLevel(constants);
    FillDirectivity(constants);
    const std::vector<LevelCurve> curves =
        PredictCurves(p, g, constants, 0, true, DefaultBandChoice, false);
    QCOMPARE(int(curves.size()), AreasInUse(p));
    QFont font;
    GraphText text{QStringLiteral("All Areas, 1 kHz"), false, QStringLiteral(".")};
    text.FromArray = true;
    const GraphLayout layout(curves, QRectF(0, 0, 800, 200), QFontMetricsF(font), text);
    double farthest = 0;
    for (std::size_t c = 0; c < curves.size(); ++c) {
      // Each curve starts where its area starts, its distance from the array.
      QVERIFY(std::fabs(layout.Position(c, 0) - p.AreaDistance[c]) < 1e-5);
      farthest = std::max(farthest, layout.Position(c, curves[c].Points.size() - 1));
    }
    QVERIFY(layout.Start() <= *std::min_element(p.AreaDistance.begin(), p.AreaDistance.end()));
    QVERIFY(layout.End() >= farthest && layout.End() < farthest + 1.0);
    // One area alone keeps the distance along it.
    text.FromArray = false;
    const GraphLayout along(curves, QRectF(0, 0, 800, 200), QFontMetricsF(font), text);
    QCOMPARE(std::pair(along.Start(), along.Position(1, 10)), std::pair(0.0, 10 * SPLPointSpacing));
  }

  void levelGraphPutsItsCurvesOnRoundTicksAndBreaksThemWhereNoLevelIsDefined() {
    // Steps of 1, 2, 3, 5, 6 or 10 dB (then tens of those), at least 15 px apart.
    const std::tuple<double, double, double> levelSteps[] = {
        {7, 200, 1}, {20, 60, 5}, {20, 100, 3}, {40, 60, 10}, {300, 60, 100}};
    for (const auto& [range, pixels, step] : levelSteps)
      QCOMPARE(LevelStep(range, pixels, 15.0), step);
    const std::tuple<double, double, double> distanceSteps[] = {
        {10, 400, 1}, {10, 100, 5}, {0.3, 400, 0.05}, {60, 90, 50}};
    for (const auto& [range, pixels, step] : distanceSteps)
      QCOMPARE(DistanceStep(range, pixels, 40.0), step);

    // 4 m falling from 100 dB to 80 dB, with no level at 2 m; a second area 2 m long.
    std::vector<LevelCurve> curves{{1, std::vector<SPLPoint>(41), {}, {}},
                                   {3, std::vector<SPLPoint>(21, {{}, 0.0f, 85.0f}), {}, {}}};
    for (int i = 0; i <= 40; ++i) curves[0].Points[i].SPL = i == 20 ? SPLFloor : 100.0f - 0.5f * i;
    QImage image(600, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const GraphText text{QStringLiteral("All Areas, 1 kHz"), false, QStringLiteral(".")};
    const GraphLayout layout(curves, QRectF(0, 0, 600, 200), QFontMetricsF(painter.font()), text);
    QCOMPARE(std::pair(layout.Start(), layout.End()), std::pair(0.0, 4.0));
    QVERIFY(layout.LevelBottom() <= 80.5 && layout.LevelBottom() > 80.5 - layout.LevelStepDb());
    QVERIFY(layout.LevelTop() >= 100 && layout.LevelTop() < 100 + layout.LevelStepDb());
    DrawLevelGraph(painter, layout, curves, text, std::nullopt);
    painter.end();
    const auto near = [&](double metres, double level, bool (*test)(QRgb)) {
      return AnyNear(image, layout.ToPixels(metres, level), 2, test);
    };
    QVERIFY(IsBluish(CurveColour(1).rgb()) && IsGreenish(CurveColour(3).rgb()));
    for (int i : {1, 13, 39}) QVERIFY(near(0.1 * i, 100 - 0.5 * i, IsBluish));
    QVERIFY(!near(2.0, 90.0, IsBluish));  // the gap
    QVERIFY(near(1.5, 85.0, IsGreenish) && !near(3.0, 85.0, IsGreenish));
    // The pointer finds the nearest defined point, never the gap.
    const auto nearest = layout.Nearest(layout.ToPixels(1.32, 93.4), 24);
    QVERIFY(nearest && *nearest == std::pair(std::size_t{0}, std::size_t{13}));
    QVERIFY(!layout.Nearest(layout.ToPixels(2.0, 70.0), 5));
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TestSideView test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_side_view.moc"
