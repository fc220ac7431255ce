#include "views/Canvas.h"

#include <sys/mman.h>

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

namespace tarnwick {

namespace {

// A disc larger than this many pixels covers any picture; drawing it bigger
// would only risk overflowing the rasteriser's fixed-point coordinates.
constexpr double MaxDiscRadius = 1.0e5;

bool Finite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// A pixel position the painter can take: finite and within MaxPixel of the picture.
bool Placeable(QPointF p) {
  return Finite(p) && std::fabs(p.x()) <= MaxPixel && std::fabs(p.y()) <= MaxPixel;
}

}  // namespace

bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect) {
  if (!Finite(a) || !Finite(b)) return false;
  // Cohen-Sutherland: an end outside moves onto the edge it lies beyond, so
  // the edge coordinate is exact even when the ends are astronomically far
  // apart; the other coordinate is interpolated.
  enum : int { Left = 1, Right = 2, Top = 4, Bottom = 8 };
  auto code = [&rect](QPointF p) {
    return (p.x() < rect.left()    ? Left
            : p.x() > rect.right() ? Right
                                   : 0) |
           (p.y() < rect.top()      ? Top
            : p.y() > rect.bottom() ? Bottom
                                    : 0);
  };
  int codeA = code(a);
  int codeB = code(b);
  for (int round = 0; round < 8; ++round) {
    if ((codeA | codeB) == 0) return true;
    if ((codeA & codeB) != 0) return false;
    const bool moveA = codeA != 0;
    QPointF& p = moveA ? a : b;
    const QPointF& other = moveA ? b : a;
    const int c = moveA ? codeA : codeB;
    const double dx = other.x() - p.x();
    const double dy = other.y() - p.y();
    if (c & (Left | Right)) {
      const double x = c & Left ? rect.left() : rect.right();
      const double y = p.y() + dy * ((x - p.x()) / dx);
      p = QPointF(x, std::isfinite(y) ? y : p.y());
    } else {
      const double y = c & Top ? rect.top() : rect.bottom();
      const double x = p.x() + dx * ((y - p.y()) / dy);
      p = QPointF(std::isfinite(x) ? x : p.x(), y);
    }
    (moveA ? codeA : codeB) = code(p);
  }
  return false;
}

QImage NewPicture(QSize size, QImage::Format format) {
  const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
  struct Mapping {
    void* address;
    std::size_t bytes;
  };
  const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
  void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (address == MAP_FAILED) return QImage(size, format);
  auto release = [](void* info) {
    const auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->bytes);
    delete mapping;
  };
  return QImage(static_cast<uchar*>(address), size.width(), size.height(), bytesPerLine, format,
                release, new Mapping{address, bytes});
}

Canvas::Canvas() = default;

Canvas::~Canvas() { Finish(); }

void Canvas::SetSize(QSize logical, qreal ratio) {
  size_ = logical;
  ratio_ = ratio;
}

QColor Canvas::QBColor(int number) {
  // As 0xRRGGBB: 0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta, 6 brown,
  // 7 light grey, then the bright variants 8 to 15.
  static constexpr std::array<QRgb, 16> rgb = {
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  return QColor::fromRgb(rgb[std::clamp(number, 0, 15)]);
}

void Canvas::Cls() {
  if (external_ != nullptr) {
    external_->fillRect(QRectF(QPointF(0, 0), QSizeF(InnerSize())), BackColor);
    CurrentX = scaleLeft_;
    CurrentY = scaleTop_;
    return;
  }
  FitImage(false);  // what is there goes anyway: no need to keep it
  image_.fill(BackColor);
  CurrentX = scaleLeft_;
  CurrentY = scaleTop_;
  DrawingChanged();
}

void Canvas::Scale(double x1, double y1, double x2, double y2) {
  scaleLeft_ = x1;
  scaleTop_ = y1;
  scaleWidth_ = x2 - x1;
  scaleHeight_ = y2 - y1;
}

QPointF Canvas::ToPixels(double x, double y) const { return ToPixels(x, y, InnerSize()); }

QPointF Canvas::ToPixels(double x, double y, QSizeF inner) const {
  return {(x - scaleLeft_) / scaleWidth_ * inner.width(),
          (y - scaleTop_) / scaleHeight_ * inner.height()};
}

QPointF Canvas::ToUser(QPointF pixels) const {
  const QSizeF inner = InnerSize();
  return {scaleLeft_ + pixels.x() / inner.width() * scaleWidth_,
          scaleTop_ + pixels.y() / inner.height() * scaleHeight_};
}

QPainter& Canvas::Painter() {
  if (external_ != nullptr) return *external_;
  if (!painter_) {
    FitImage(true);
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing);
    DrawingChanged();
  }
  return *painter_;
}

void Canvas::Finish() { painter_.reset(); }

bool Canvas::DrawPicture(double x1, double y1, double x2, double y2, const QImage& picture) {
  if (picture.isNull()) return false;
  const QPointF a = ToPixels(x1, y1);
  const QPointF b = ToPixels(x2, y2);
  // A corner that is no number brings the rasteriser down. Beyond MaxPixel nothing of the
  // picture could show, and squeezed below a device pixel at most a stray row of it would.
  if (!Placeable(a) || !Placeable(b)) return false;
  const QRectF target = QRectF(a, b).normalized();
  const double ratio = PixelRatio();
  if (!(target.width() * ratio >= 1.0) || !(target.height() * ratio >= 1.0)) return false;
  QPainter& painter = Painter();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // A picture made for these very pixels, its size rounded up to whole ones, is copied as
  // it is: scaled, by however little, it takes the painter's far slower way.
  const QSizeF device = target.size() * ratio;
  if (std::fabs(device.width() - picture.width()) < 1.0 &&
      std::fabs(device.height() - picture.height()) < 1.0)
    painter.drawImage(target, picture, QRectF(QPointF(0, 0), device));
  else
    painter.drawImage(target, picture);
  return true;
}

void Canvas::Line(double x1, double y1, double x2, double y2) { Line(x1, y1, x2, y2, ForeColor); }

void Canvas::Line(double x1, double y1, double x2, double y2, const QColor& colour) {
  const QSizeF inner = InnerSize();
  QPointF a = ToPixels(x1, y1, inner);
  QPointF b = ToPixels(x2, y2, inner);
  const double margin = DrawWidth + 2.0;
  const QRectF bounds = QRectF(QPointF(0, 0), inner).adjusted(-margin, -margin, margin, margin);
  if (!ClipSegment(a, b, bounds)) return;
  QPainter& painter = Painter();
  // Round ends. The painter strokes a line with square or flat ends many times faster than
  // one with round ends, whose whole outline it fills as a curve: up to two device pixels
  // wide, where a round end and a square one cover the same pixels but for a fraction of a
  // corner, the ends are square; wider, they are two dots on a line with flat ends.
  const bool dots = DrawWidth * PixelRatio() > 2.0;
  const auto pen = [&painter, &colour, this](Qt::PenCapStyle cap) {
    // A redraw strokes many lines in few pens: set one only when it changes.
    const QPen& now = painter.pen();
    if (now.color() != colour || now.width() != DrawWidth || now.capStyle() != cap)
      painter.setPen(QPen(colour, DrawWidth, Qt::SolidLine, cap));
  };
  pen(dots ? Qt::FlatCap : Qt::SquareCap);
  painter.drawLine(a, b);
  if (!dots) return;
  pen(Qt::RoundCap);
  const QPointF ends[] = {a, b};
  painter.drawPoints(ends, 2);
}

void Canvas::Rules(const std::vector<QLineF>& lines, const QColor& colour) {
  if (external_ != nullptr) {
    // On a page the rules stay shapes: thin filled rectangles.
    for (const QLineF& line : lines) {
      const QPointF a = ToPixels(line.x1(), line.y1()), b = ToPixels(line.x2(), line.y2());
      if (!Placeable(a) || !Placeable(b)) continue;
      const QRectF rule =
          line.x1() == line.x2()
              ? QRectF(a.x() - 0.25, std::min(a.y(), b.y()), 0.5, std::fabs(b.y() - a.y()))
              : QRectF(std::min(a.x(), b.x()), a.y() - 0.25, std::fabs(b.x() - a.x()), 0.5);
      external_->fillRect(rule.intersected(QRectF(QPointF(0, 0), QSizeF(InnerSize()))), colour);
    }
    return;
  }
  Finish();  // no painter may hold the pixels written here
  FitImage(true);
  const qreal ratio = PixelRatio();
  const int thick = std::max(1, int(std::lround(ratio)));
  const QRect device(QPoint(0, 0), image_.size());
  // Premultiplied source over the picture: each byte keeps (255 - alpha)/255 of itself.
  const QRgb source = qPremultiply(colour.rgba());
  const unsigned keep = 255u - qAlpha(source);
  const auto over = [source, keep](QRgb under) {
    QRgb out = 0;
    for (int shift = 0; shift < 32; shift += 8)
      out |= ((((under >> shift) & 0xffu) * keep + 127u) / 255u + ((source >> shift) & 0xffu))
             << shift;
    return out;
  };
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (const QLineF& line : lines) {
    const QPointF a = ToPixels(line.x1(), line.y1()) * ratio;
    const QPointF b = ToPixels(line.x2(), line.y2()) * ratio;
    if (!Finite(a) || !Finite(b) || std::fabs(a.x()) > MaxPixel || std::fabs(a.y()) > MaxPixel ||
        std::fabs(b.x()) > MaxPixel || std::fabs(b.y()) > MaxPixel)
      continue;
    const auto from = [](double u, double v) { return int(std::floor(std::min(u, v))); };
    const auto span = [](double u, double v) { return int(std::ceil(std::fabs(v - u))); };
    const QRect rule =
        (line.x1() == line.x2()
             ? QRect(from(a.x(), a.x()), from(a.y(), b.y()), thick, span(a.y(), b.y()))
             : QRect(from(a.x(), b.x()), from(a.y(), a.y()), span(a.x(), b.x()), thick))
            .intersected(device);
    for (int y = rule.top(); y <= rule.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
      for (int x = rule.left(); x <= rule.right(); ++x) row[x] = over(row[x]);
    }
  }
  DrawingChanged();
}

void Canvas::Circle(double x, double y, double r, const QColor& colour) {
  const QPointF centre = ToPixels(x, y);
  double radius = std::fabs(r / scaleWidth_ * InnerSize().width());
  if (!Finite(centre) || !std::isfinite(radius)) return;
  radius = std::min(radius, MaxDiscRadius);
  const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
  if (!box.intersects(QRectF(QPointF(0, 0), InnerSize()).adjusted(-4, -4, 4, 4))) return;
  QPainter& painter = Painter();
  painter.setPen(QPen(colour, DrawWidth));
  painter.setBrush(Fill == FillStyle::Solid ? QBrush(FillColor) : QBrush(Qt::NoBrush));
  painter.drawEllipse(box);
  painter.setBrush(Qt::NoBrush);
}

void Canvas::Print(const QString& text) {
  const QPointF at = ToPixels(CurrentX, CurrentY);
  if (!Finite(at) || std::fabs(at.x()) > 1e6 || std::fabs(at.y()) > 1e6) return;
  QPainter& painter = Painter();
  const QFont font = TextFont();
  painter.setFont(font);
  painter.setPen(ForeColor);
  const QFontMetricsF metrics(font);
  painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), text);
  CurrentX = scaleLeft_;
  CurrentY += TextHeight(text);
}

void Canvas::PrintOutlined(const QString& text, const QColor& outline) {
  const double x = CurrentX, y = CurrentY;
  const QSizeF inner = InnerSize();
  const double pixelX = scaleWidth_ / inner.width(), pixelY = scaleHeight_ / inner.height();
  const QColor ink = ForeColor;
  if (external_ != nullptr) {
    const QPointF at = ToPixels(x, y);
    if (!Placeable(at)) return;
    const QFont font = TextFont();
    QPainterPath shape;
    shape.addText(at + QPointF(0, QFontMetricsF(font).ascent()), font, text);
    external_->strokePath(shape, QPen(outline, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  } else {
    ForeColor = outline;
    for (const auto& [dx, dy] : {std::pair(-1, 0), {1, 0}, {0, -1}, {0, 1}}) {
      CurrentX = x + dx * pixelX, CurrentY = y + dy * pixelY;
      Print(text);
    }
  }
  ForeColor = ink;
  CurrentX = x, CurrentY = y;
  Print(text);
}

void Canvas::PrintOnPlate(const QString& text, const QColor& plate) {
  const QPointF at = ToPixels(CurrentX, CurrentY);
  if (Placeable(at)) {
    const QFontMetricsF metrics(TextFont());
    const QRectF box(at, QSizeF(metrics.horizontalAdvance(text), metrics.height()));
    Painter().fillRect(box.adjusted(-1, 0, 1, 0), plate);
  }
  Print(text);
}

double Canvas::TextHeight(const QString& text) const {
  const QFontMetricsF metrics(TextFont());
  const int lines = 1 + int(text.count(QLatin1Char('\n')));
  return lines * metrics.height() / InnerSize().height() * scaleHeight_;
}

const QImage& Canvas::Image() {
  Finish();
  FitImage(true);
  return image_;
}

void Canvas::FitImage(bool keepDrawing) {
  Finish();
  // Whole device pixels covering the inner area: at a fractional ratio the
  // last row and column would otherwise stay unpainted.
  const qreal ratio = PixelRatio();
  const QSizeF device = QSizeF(InnerSize().expandedTo(QSize(1, 1))) * ratio;
  const QSize size(int(std::ceil(device.width() - 1e-9)), int(std::ceil(device.height() - 1e-9)));
  if (image_.size() == size && image_.devicePixelRatio() == ratio) return;
  QImage old = std::move(image_);
  if (!keepDrawing) old = QImage();  // released before the new one is allocated
  // The raster engine's native format: strokes draw and the backing store
  // takes the picture without a conversion per pixel.
  image_ = NewPicture(size);
  image_.setDevicePixelRatio(ratio);
  if (!keepDrawing) return;  // Cls fills it next
  image_.fill(BackColor);
  if (!old.isNull()) {
    QPainter copy(&image_);
    copy.drawImage(QPointF(0, 0), old);
  }
}

}  // namespace tarnwick
