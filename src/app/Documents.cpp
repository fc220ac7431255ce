#include "app/Documents.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <functional>

#include "acoustics/LevelGrid.h"
#include "app/MapReport.h"
#include "geometry/Rigging.h"
#include "model/NumberText.h"
#include "model/ProjectRules.h"
#include "views/Canvas.h"
#include "views/CoverageMap.h"
#include "views/DesignSheet.h"

namespace tarnwick {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PageDpi = 96;           // page units: as many to the inch as the window's pixels
constexpr double FontPoints = 8.0;    // the sheets' text
constexpr double PictureMargin = 12;  // around a picture, its units
constexpr double PdfMarginMm = 10;

QFont SheetFont() {
  QFont font = QGuiApplication::font();
  font.setPointSizeF(FontPoints);
  return font;
}

QString Version() { return QStringLiteral("Tarnwick %1").arg(QStringLiteral(TARNWICK_VERSION)); }

// The project's prediction model in the user's decimal mark; empty for the plain one.
QString ModelText(const ProjectData& project) {
  return QString::fromStdString(
      PredictionLabel(project.Prediction, QLocale().decimalPoint().toStdString()));
}

QString BandAndModel(const ProjectData& project, int band) {
  const QString model = ModelText(project);
  const QString name = QString::fromLatin1(BandChoiceName(band));
  return model.isEmpty() ? name : name + QStringLiteral(", ") + model;
}

TitleBlock MakeTitle(const ProjectData& project, int band, const QString& fileName) {
  return {QString::fromStdString(project.ProjectTitle),
          QString::fromStdString(project.Author),
          QDate::currentDate().toString(Qt::ISODate),
          fileName.isEmpty() ? QStringLiteral("(not saved)") : QFileInfo(fileName).fileName(),
          BandAndModel(project, band),
          Version()};
}

// The map over what the section shows above the floor, one level per 4 units, its picture
// `detail` pixels to a unit.
SheetMap MakeMap(const ReportDesign& design, int band, const SheetSection& where, double detail) {
  const ViewWindow& view = where.View;
  const double right = view.Left + where.Area.width() / view.PixelsPerMetre;
  const double above = std::max(0.0, view.Top) * view.PixelsPerMetre;  // units above the floor
  const double shown = std::min(above, where.Area.height());
  const double top = shown / view.PixelsPerMetre;
  SheetMap map;
  const LevelEngine engine(design.Project, design.Geometry, design.Module);
  map.Areas = AreaLevels(engine, band, design.Project, design.Geometry);
  map.TopLevel = AreasMapTop(map.Areas);
  map.Band = QString::fromLatin1(BandChoiceName(band));
  map.Model = ModelText(design.Project);
  if (!(shown >= 1.0)) return map;  // the view is all below the floor
  const LevelGrid grid =
      ComputeMap(engine, band, view.Left, top, right, 0.0,
                 int(std::ceil(where.Area.width() / 4)) + 1, int(std::ceil(shown / 4)) + 1);
  map.Picture =
      MapImage(grid, map.TopLevel,
               QSize(int(std::ceil(where.Area.width() * detail)), int(std::ceil(shown * detail))));
  map.Left = grid.left, map.Top = grid.top, map.Right = grid.right, map.Bottom = grid.bottom;
  return map;
}

// Lays the sheet out once without a map to learn its section, then with the map fitted to
// that section, draws it.
void DrawPictureSheet(QPainter& painter, const QRectF& area, const ReportDesign& design,
                      const PictureOptions& options, double detail) {
  SheetParts parts;
  parts.Project = &design.Project;
  parts.Geometry = &design.Geometry;
  parts.Grid = options.Grid;
  parts.Graph = options.Graph;
  parts.GraphWords = options.GraphWords;
  parts.Title = MakeTitle(design.Project, options.Band, options.FileName);
  if (options.Map) parts.Map = SheetMap{};  // its column, for the layout
  const SheetSection section = LayOutSheet(QFontMetricsF(painter.font()), area, parts);
  if (options.Region) {
    const auto& r = *options.Region;
    parts.Left = r[0], parts.Top = r[1], parts.Right = r[2], parts.Bottom = r[3];
  } else {
    const ViewWindow fit =
        FitDesign(design.Project, design.Geometry, section.Area.size().toSize(), 0);
    parts.Left = fit.Left, parts.Top = fit.Top;
    parts.Right = fit.Left + section.Area.width() / fit.PixelsPerMetre;
    parts.Bottom = fit.Top - section.Area.height() / fit.PixelsPerMetre;
  }
  if (options.Map) {
    const ViewWindow view =
        FitRegion(parts.Left, parts.Top, parts.Right, parts.Bottom, section.Area.size());
    parts.Map = MakeMap(design, options.Band, {section.Area, view}, detail);
  }
  DrawSheet(painter, area, parts);
}

std::optional<std::string> Bytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// A landscape PDF of the paper's size, page units 1/96 inch, each page drawn by `page`.
std::optional<std::string> Pdf(const QString& title, int pages,
                               const std::function<void(QPainter&, const QRectF&, int)>& page) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return std::nullopt;
  {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(title);
    pdf.setCreator(Version());
    pdf.setResolution(PageDpi);
    pdf.setPageLayout(QPageLayout(Paper(), QPageLayout::Landscape,
                                  QMarginsF(PdfMarginMm, PdfMarginMm, PdfMarginMm, PdfMarginMm),
                                  QPageLayout::Millimeter));
    QPainter painter(&pdf);
    if (!painter.isActive()) return std::nullopt;
    painter.setFont(SheetFont());
    const QRectF area(0, 0, pdf.width(), pdf.height());
    for (int p = 0; p < pages; ++p) {
      if (p > 0) pdf.newPage();
      page(painter, area, p);
    }
  }
  buffer.close();
  return Bytes(bytes);
}

// The footer of a report's page: the program on the left, the page number on the right;
// gives what is left above it.
QRectF Footer(QPainter& painter, const QRectF& area, int page, int pages) {
  const QFontMetricsF metrics(painter.font());
  const QRectF line(area.left(), area.bottom() - metrics.height(), area.width(), metrics.height());
  painter.setPen(QColor(96, 96, 96));
  painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, Version());
  painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
  painter.setPen(Qt::black);
  return area.adjusted(0, 0, 0, -metrics.height() - 8);
}

// Text on a report's page, top down.
class PageText {
 public:
  PageText(QPainter& painter, const QRectF& area)
      : painter_(painter), area_(area), y_(area.top()) {}

  void Heading(const QString& text, double scale = 1.3) {
    QFont font = painter_.font();
    const QFont saved = font;
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * scale);
    painter_.setFont(font);
    y_ += 6;
    Line(text);
    painter_.setFont(saved);
    y_ += 2;
  }
  void Line(const QString& text) {
    const QFontMetricsF metrics(painter_.font());
    painter_.drawText(QPointF(area_.left(), y_ + metrics.ascent()), text);
    y_ += metrics.height() + 2;
  }
  // Rows of cells, the first the header in bold, in columns of the given shares of the
  // width, ruled between the rows.
  void Table(const std::vector<QStringList>& rows, const std::vector<double>& shares) {
    const QFontMetricsF metrics(painter_.font());
    const double height = metrics.height() + 6;
    QFont bold = painter_.font();
    const QFont plain = bold;
    bold.setBold(true);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      painter_.setFont(r == 0 ? bold : plain);
      double x = area_.left();
      for (int c = 0; c < rows[r].size() && c < int(shares.size()); ++c) {
        const double width = shares[c] * area_.width();
        painter_.drawText(QRectF(x + 4, y_, width - 8, height), Qt::AlignLeft | Qt::AlignVCenter,
                          rows[r][c]);
        x += width;
      }
      painter_.setPen(QColor(160, 160, 160));
      painter_.drawLine(QPointF(area_.left(), y_ + height), QPointF(x, y_ + height));
      painter_.setPen(Qt::black);
      y_ += height;
    }
    painter_.setFont(plain);
    y_ += 8;
  }

 private:
  QPainter& painter_;
  QRectF area_;
  double y_;
};

// Lengths in the project's unit, numbers in the user's decimal mark.
struct Shown {
  bool feet;
  QString Length(double metres) const {
    return Number(metres * (feet ? double(MetresToFeet) : 1.0)) + (feet ? u" ft"_s : u" m"_s);
  }
  static QString Number(double value) {
    return QString::fromStdString(TwoDecimalText(value, QLocale().decimalPoint().toStdString()));
  }
};

QString Attenuation(float db) { return db >= 99.0f ? u"off"_s : Shown::Number(db) + u" dB"_s; }

QString Mounting(const ProjectData& p) {
  return QString::fromLatin1(MountingItems[p.FlybarMounting == 1 ? 1 : 0]);
}

// Page one: the design in words.
void DesignPage(QPainter& painter, const QRectF& area, const ReportDesign& design,
                const QString& fileName) {
  const ProjectData& p = design.Project;
  const Shown shown{IsFeet(p.Units)};
  const TitleBlock title = MakeTitle(p, DefaultBandChoice, fileName);
  const QString model = ModelText(p);
  PageText text(painter, area);
  text.Heading(title.Title.isEmpty() ? u"Untitled project"_s : title.Title, 1.8);
  text.Line(u"Author: "_s + title.Author);
  text.Line(u"Date: "_s + title.Date + u"    File: "_s + title.File);
  text.Line(u"Unit: "_s + (shown.feet ? u"feet"_s : u"metres"_s));
  text.Line(u"Prediction: "_s +
            (model.isEmpty()
                 ? u"each band at its centre frequency, directivity in 5° steps, no air"_s
                 : model));
  text.Heading(u"Array"_s);
  text.Line(QStringLiteral("%1 boxes; Flybar pin %2, %3; inclination %4° (%5); mounting height %6")
                .arg(p.BoxesAmount)
                .arg(p.FlybarPin)
                .arg(Mounting(p).toLower(), Shown::Number(p.InclinationAngle),
                     p.AutomaticInclCalc != 0 ? u"worked out automatically"_s : u"typed"_s,
                     shown.Length(p.FloorDistance)));
  std::vector<QStringList> boxes = {{u"Box"_s, u"Tilt Angle"_s, u"Attenuation"_s}};
  for (int b = 0; b < BoxesInUse(p); ++b)
    boxes.push_back({QString::number(b + 1),
                     b > 0 ? Shown::Number(p.BoxAngle[b - 1]) + u"°"_s : QString(),
                     Attenuation(p.BoxAttenuation[b])});
  text.Table(boxes, {0.08, 0.14, 0.14});
  text.Heading(u"Areas"_s);
  std::vector<QStringList> areas = {
      {u"Area"_s, u"Distance from the array"_s, u"Length"_s, u"Height 1"_s, u"Height 2"_s}};
  for (int a = 0; a < AreasInUse(p); ++a)
    areas.push_back({QString::number(a + 1), shown.Length(p.AreaDistance[a]),
                     shown.Length(p.AreaLength[a]), shown.Length(p.AreaHeight1[a]),
                     shown.Length(p.AreaHeight2[a])});
  text.Table(areas, {0.08, 0.2, 0.14, 0.14, 0.14});
}

// The rigging table's page: the hanging, then one row per box, the attenuation beside its
// tilt angle.
void RiggingPage(QPainter& painter, const QRectF& area, const ReportDesign& design,
                 const QString& fileName) {
  const ProjectData& p = design.Project;
  const Shown shown{IsFeet(p.Units)};
  const RiggingCells cells =
      MakeRiggingCells(MakeRiggingTable(p, design.Geometry), shown.feet,
                       QLocale().decimalPoint().toStdString(), RiggingCaptions::Shown);
  const TitleBlock title = MakeTitle(p, DefaultBandChoice, fileName);
  PageText text(painter, area);
  text.Heading(u"Rigging Table"_s, 1.6);
  text.Line(title.Title + u" · "_s + title.Date + u" · "_s + title.File);
  text.Line(QStringLiteral("Flybar pin %1, %2 · mounting height %3 · inclination %4° · lowest box "
                           "bottom %5 %6 above the floor")
                .arg(p.FlybarPin)
                .arg(Mounting(p).toLower(), shown.Length(p.FloorDistance),
                     QString::fromStdString(cells.Inclination),
                     QString::fromStdString(cells.LowestBottom),
                     QString::fromStdString(cells.Unit)));
  const auto row = [](const std::array<std::string, 6>& fields, const QString& attenuation) {
    QStringList out;
    for (const std::string& field : fields) out.push_back(QString::fromStdString(field));
    out.insert(2, attenuation);
    return out;
  };
  std::vector<QStringList> rows = {row(cells.Captions, u"Attenuation"_s)};
  for (std::size_t b = 0; b < cells.Rows.size(); ++b)
    rows.push_back(row(cells.Rows[b], Attenuation(p.BoxAttenuation[b])));
  text.Table(rows, {0.07, 0.13, 0.13, 0.11, 0.2, 0.14, 0.18});
}

// Page two: the section with the map and the graph of every area.
void SectionPage(QPainter& painter, const QRectF& area, const ReportDesign& design, int band,
                 const QString& fileName) {
  PictureOptions options;
  options.Band = band;
  options.FileName = fileName;
  options.Graph =
      PredictCurves(design.Project, design.Geometry, design.Module, 0, true, band, false);
  options.GraphWords.Caption = u"All Areas, "_s + QString::fromLatin1(BandChoiceName(band));
  options.GraphWords.Feet = IsFeet(design.Project.Units);
  options.GraphWords.DecimalPoint = QLocale().decimalPoint();
  options.GraphWords.FromArray = true;
  DrawPictureSheet(painter, area, design, options, 2.0);
}

}  // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tarnwick";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

QPageSize Paper() {
  const QByteArray chosen = qgetenv("TARNWICK_PAPER").trimmed().toLower();
  if (chosen == "letter") return QPageSize(QPageSize::Letter);
  if (chosen == "a4") return QPageSize(QPageSize::A4);
  return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                       ? QPageSize::Letter
                       : QPageSize::A4);
}

std::optional<std::string> PictureBytes(const ReportDesign& design, const PictureOptions& options,
                                        const QString& kind) {
  EnsureGuiApplication();
  if (kind == QLatin1String("pdf"))
    return Pdf(QStringLiteral("Tarnwick section"), 1,
               [&](QPainter& painter, const QRectF& area, int) {
                 DrawPictureSheet(painter, area, design, options, 2.0);
               });
  const QSize size(std::max(options.Width, 64), std::max(options.Height, 64));
  const QRectF area = QRectF(QPointF(0, 0), QSizeF(size))
                          .adjusted(PictureMargin, PictureMargin, -PictureMargin, -PictureMargin);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return std::nullopt;
  if (kind == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(PageDpi);
    svg.setTitle(QStringLiteral("Tarnwick section"));
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setFont(SheetFont());
    DrawPictureSheet(painter, area, design, options, 1.0);
  } else {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setFont(SheetFont());
      DrawPictureSheet(painter, area, design, options, 1.0);
    }
    if (!image.save(&buffer, "PNG")) return std::nullopt;
  }
  buffer.close();
  return Bytes(bytes);
}

int WritePicture(const ReportRequest& request, const ReportDesign& design, std::ostream& err) {
  PictureOptions options;
  options.Band = request.Band;
  options.Width = request.Width, options.Height = request.Height;
  options.FileName = QString::fromStdString(request.File);
  const QString kind = QFileInfo(QString::fromStdString(request.Out)).suffix().toLower();
  return WriteReportFile(request, PictureBytes(design, options, kind), "the picture", err);
}

std::optional<std::string> ReportBytes(const ReportDesign& design, int band,
                                       const QString& fileName) {
  EnsureGuiApplication();
  constexpr int Pages = 3;
  return Pdf(QStringLiteral("Tarnwick report"), Pages,
             [&](QPainter& painter, const QRectF& area, int page) {
               const QRectF above = Footer(painter, area, page, Pages);
               if (page == 0) DesignPage(painter, above, design, fileName);
               if (page == 1) SectionPage(painter, above, design, band, fileName);
               if (page == 2) RiggingPage(painter, above, design, fileName);
             });
}

std::optional<std::string> RiggingBytes(const ReportDesign& design, const QString& fileName) {
  EnsureGuiApplication();
  return Pdf(QStringLiteral("Rigging Table"), 1, [&](QPainter& painter, const QRectF& area, int) {
    RiggingPage(painter, Footer(painter, area, 0, 1), design, fileName);
  });
}

int WriteDocument(const ReportRequest& request, const ReportDesign& design, std::ostream& err) {
  return WriteReportFile(request,
                         ReportBytes(design, request.Band, QString::fromStdString(request.File)),
                         "the report", err);
}

}  // namespace tarnwick
