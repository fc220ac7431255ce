// Pictures and reports of a design: to scale, on the paper asked for, and saying in words
// what the design is.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Documents.h"
#include "app/MapReport.h"
#include "model/ProjectRules.h"
#include "views/DesignSheet.h"

using namespace tarnwick;

namespace {

ReportDesign Load(const char* file = "default.qvd") {
  EnsureGuiApplication();
  ReportRequest request;
  request.File = TARNWICK_SOURCE_DIR "/tests/data/" + std::string(file);
  ReportDesign design;
  std::ostringstream err;
  EXPECT_EQ(LoadReportDesign(request, design, err), ReportDone) << err.str();
  return design;
}

// The page boxes of a PDF, width by height in points.
std::vector<std::pair<double, double>> MediaBoxes(const std::string& pdf) {
  std::vector<std::pair<double, double>> boxes;
  static const QRegularExpression box(
      QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
  for (auto it = box.globalMatch(QString::fromLatin1(pdf.data(), qsizetype(pdf.size())));
       it.hasNext();) {
    const auto match = it.next();
    boxes.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
  }
  return boxes;
}

// The text of a PDF as `pdftotext -layout` lays it out.
std::string PdfText(const std::string& pdf) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("tarnwick-report-" + std::to_string(::getpid()) + ".pdf");
  std::ofstream(file, std::ios::binary) << pdf;
  std::string text;
  if (FILE* pipe = ::popen(("pdftotext -layout '" + file.string() + "' -").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      text.append(buffer, n);
    ::pclose(pipe);
  }
  std::filesystem::remove(file);
  return text;
}

}  // namespace

TEST(Documents, theSectionAndTheMapAreDrawnToScale) {
  const ReportDesign design = Load();
  // A red square 10 m by 10 m laid where the map goes, in a sheet far wider than high.
  SheetParts parts;
  parts.Project = &design.Project;
  parts.Geometry = &design.Geometry;
  parts.Left = -5, parts.Top = 25, parts.Right = 35, parts.Bottom = -2;
  parts.Grid = false;
  SheetMap square;
  square.Picture = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
  square.Picture.fill(Qt::red);
  square.Left = 10, square.Top = 20, square.Right = 20, square.Bottom = 10;
  parts.Map = square;
  QImage sheet(1400, 600, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(Qt::white);
  SheetSection section;
  {
    QPainter painter(&sheet);
    section = DrawSheet(painter, QRectF(10, 10, 1380, 580), parts);
  }
  int left = sheet.width(), right = -1, top = sheet.height(), bottom = -1;
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x)
      if (sheet.pixel(x, y) == qRgb(255, 0, 0))
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
        bottom = std::max(bottom, y);
  ASSERT_GT(right, left);
  EXPECT_NEAR(right - left, bottom - top, 1.5);
  EXPECT_NEAR(right - left + 1, 10 * section.View.PixelsPerMetre, 1.5);
  // The whole region asked for is in view.
  EXPECT_LE(section.View.Left, -5);
  EXPECT_GE(section.View.Left + section.Area.width() / section.View.PixelsPerMetre, 35);
  // The command line's bare map: as many pixels to a metre across as up.
  ReportRequest map;
  map.Width = 800, map.Height = 300;
  const LevelGrid grid = ComputeMap(map, design);
  EXPECT_NEAR(map.Width / (grid.right - grid.left), map.Height / (grid.top - grid.bottom), 1e-9);
  EXPECT_GE(grid.right, design.Geometry.SceneWidth - 1e-3);
  EXPECT_GE(grid.top, design.Geometry.SceneHeight - 1e-3);
}

TEST(Documents, picturesComeAtTheirSizeAndPagesOnThePaperAskedFor) {
  const ReportDesign design = Load();
  PictureOptions options;
  options.Width = 900, options.Height = 500;
  const std::optional<std::string> png = PictureBytes(design, options, QStringLiteral("png"));
  ASSERT_TRUE(png);
  const QImage picture = QImage::fromData(QByteArray::fromStdString(*png), "PNG");
  EXPECT_EQ(picture.size(), QSize(900, 500));
  const std::optional<std::string> svg = PictureBytes(design, options, QStringLiteral("svg"));
  ASSERT_TRUE(svg);
  EXPECT_NE(svg->find("<svg"), std::string::npos);
  for (const auto& [paper, width, height] :
       {std::tuple("a4", 841.89, 595.28), std::tuple("letter", 792.0, 612.0),
        std::tuple("LETTER", 792.0, 612.0)}) {
    ::setenv("TARNWICK_PAPER", paper, 1);
    for (const std::optional<std::string>& pdf :
         {PictureBytes(design, options, QStringLiteral("pdf")), ReportBytes(design, 0, {})}) {
      ASSERT_TRUE(pdf);
      const auto boxes = MediaBoxes(*pdf);
      ASSERT_FALSE(boxes.empty());
      for (const auto& [w, h] : boxes) {
        EXPECT_NEAR(w, width, 1.0) << paper;
        EXPECT_NEAR(h, height, 1.0) << paper;
      }
    }
  }
  ::unsetenv("TARNWICK_PAPER");
}

TEST(Documents, theReportSaysWhatTheDesignIsOnThreePages) {
  ReportDesign design = Load();
  design.Project.ProjectTitle = "Stadtfest Hauptbühne";
  design.Project.FlybarPin = 4;
  design.Project.FlybarMounting = 1;
  const std::optional<std::string> pdf = ReportBytes(design, BroadbandAChoice, "show.qvd");
  ASSERT_TRUE(pdf);
  EXPECT_EQ(MediaBoxes(*pdf).size(), 3u);
  const QString text = QString::fromStdString(PdfText(*pdf));
  ASSERT_FALSE(text.isEmpty()) << "pdftotext gave nothing";
  EXPECT_TRUE(text.contains(QStringLiteral("Stadtfest Hauptbühne")));
  EXPECT_TRUE(text.contains(QStringLiteral("Flybar pin 4, uptilt")));
  EXPECT_TRUE(text.contains(QStringLiteral("show.qvd")));
  EXPECT_TRUE(text.contains(QStringLiteral("inclination")));
  EXPECT_TRUE(text.contains(QStringLiteral("Page 3 of 3")));
  // One row per box on the rigging page, with its number and its splay as the panel names it.
  EXPECT_TRUE(text.contains(QStringLiteral("Tilt Angle (°)")));
  const qsizetype rigging = text.indexOf(QStringLiteral("Rigging Table"));
  ASSERT_GE(rigging, 0);
  const QString table = text.mid(rigging);
  for (int box = 2; box <= design.Project.BoxesAmount; ++box) {
    const QString splay = QString::number(design.Project.BoxAngle[box - 2], 'f', 0);
    const QRegularExpression row(QStringLiteral(R"(\n\s*%1\s+%2\s+)").arg(box).arg(splay));
    EXPECT_TRUE(table.contains(row)) << "box " << box;
  }
}
