// Pictures and reports of a design: to scale, on the paper asked for, and saying in words
// what the design is.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/Documents.h"
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
  static const std::regex box(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])");
  std::vector<std::pair<double, double>> boxes;
  for (std::sregex_iterator at(pdf.begin(), pdf.end(), box), end; at != end; ++at)
    boxes.emplace_back(std::stod((*at)[1]), std::stod((*at)[2]));
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
}

TEST(Documents, picturesComeAtTheirSizeAndPagesOnThePaperAskedFor) {
  const ReportDesign design = Load();
  PictureOptions options;
  options.Width = 900, options.Height = 500;
  const auto png = PictureBytes(design, options, QStringLiteral("png")),
             svg = PictureBytes(design, options, QStringLiteral("svg"));
  ASSERT_TRUE(png && svg);
  EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(*png), "PNG").size(), QSize(900, 500));
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
  // And one row per box on the rigging page, with its number and its splay as the panel names it.
  for (const char* said : {"Stadtfest Hauptbühne", "Flybar pin 4, uptilt", "show.qvd",
                           "inclination", "Page 3 of 3", "Tilt Angle (°)"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;
  const qsizetype rigging = text.indexOf(QStringLiteral("Rigging Table"));
  ASSERT_GE(rigging, 0);
  const QString table = text.mid(rigging);
  for (int box = 2; box <= design.Project.BoxesAmount; ++box) {
    const QString splay = QString::number(design.Project.BoxAngle[box - 2], 'f', 0);
    const QRegularExpression row(QStringLiteral(R"(\n\s*%1\s+%2\s+)").arg(box).arg(splay));
    EXPECT_TRUE(table.contains(row)) << "box " << box;
  }
}
