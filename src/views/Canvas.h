#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>
#include <memory>
#include <vector>

namespace tarnwick {

// A picture with a retained drawing: what is drawn stays in an image until it is cleared.
// Drawing uses a user scale of its own, set per picture, with y growing upward when the
// caller passes y1 > y2. A canvas needs no widget: its owner gives it its size, pixel ratio
// and font (a widget gives its own, see ui/panels/DrawingSurface.h), so the same drawing
// serves the window and the command line.
class Canvas {
 public:
  Canvas();
  virtual ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  enum class FillStyle { Transparent, Solid };

  // The inner area in logical pixels and the device pixels per logical pixel, for a canvas
  // without a widget; the image follows when it is next used.
  void SetSize(QSize logical, qreal ratio = 1.0);

  // Erases the whole picture to its background colour.
  void Cls();
  // From now on the inner area spans x1 (left) to x2 (right) and y1 (top)
  // to y2 (bottom); the axes are scaled independently.
  void Scale(double x1, double y1, double x2, double y2);
  // Straight line in the fore colour (or the given one) with the draw width.
  // A line with a non-finite end is not drawn; one reaching far outside the
  // picture is clipped first.
  void Line(double x1, double y1, double x2, double y2);
  void Line(double x1, double y1, double x2, double y2, const QColor& colour);
  // Rules across or up the picture (each line's ends share x or y, in user coordinates) in
  // the colour, a logical pixel wide on whole device pixels, crisp at every scale factor.
  // Blended straight into the picture's pixels: the painter blends a translucent colour
  // down a column span by span, tens of times slower than the pixels it covers.
  void Rules(const std::vector<QLineF>& lines, const QColor& colour);
  // Circle of radius r in horizontal user units, outlined in the colour and,
  // with a solid fill style, filled with the fill colour.
  void Circle(double x, double y, double r, const QColor& colour);
  // Draws an image stretched over the rectangle between two corners in user coordinates.
  // Draws nothing and returns false where a corner does not map to a finite pixel within
  // MaxPixel of the picture's corner, or the rectangle would be less than a device pixel
  // wide or high.
  bool DrawPicture(double x1, double y1, double x2, double y2, const QImage& picture);
  // Draws the text with its top left corner at (CurrentX, CurrentY).
  void Print(const QString& text);
  // Prints the text in the fore colour on an outline a pixel wide in `outline`, so that it
  // reads over any colour. On a page the outline is a stroked shape and the text is drawn
  // once, so that it is found as text.
  void PrintOutlined(const QString& text, const QColor& outline);
  // Prints the text in the fore colour on a rectangle of `plate` a pixel wider than it on
  // either side, so that no line drawn before runs through it.
  void PrintOnPlate(const QString& text, const QColor& plate);
  // Height of a line of the text in vertical user units, with the sign of
  // the vertical scale (negative when y grows upward).
  double TextHeight(const QString& text) const;

  QColor BackColor = Qt::white;
  int DrawWidth = 1;  // pixels
  FillStyle Fill = FillStyle::Transparent;
  QColor FillColor = Qt::black;
  QColor ForeColor = Qt::black;
  double CurrentX = 0.0;
  double CurrentY = 0.0;

  // The published 16-colour palette; the views use 0 (black) and 4 (red).
  static QColor QBColor(int number);

  // Mapping between user coordinates and logical pixels of the inner area.
  QPointF ToPixels(double x, double y) const;
  QPointF ToUser(QPointF pixels) const;
  double ScaleLeft() const { return scaleLeft_; }
  double ScaleTop() const { return scaleTop_; }
  double ScaleWidth() const { return scaleWidth_; }
  double ScaleHeight() const { return scaleHeight_; }

  // The inner area's logical size, device pixel ratio and text font: by default what
  // SetSize gave and the application's font; a widget answers with its own, at the moment
  // of asking, so that a resize or a move to another screen shows at the next drawing.
  virtual QSize InnerSize() const { return size_; }
  virtual qreal PixelRatio() const { return ratio_; }
  virtual QFont TextFont() const { return QFont(); }
  // The whole picture with any frame around the inner area, logical pixels.
  virtual QSize OuterSize() const { return InnerSize(); }

  // The retained drawing, at device resolution; pending drawing is finished first.
  const QImage& Image();

  // From now on every drawing call goes to `painter` instead of the retained image (none
  // while it is set), with the inner area at the painter's origin: the same drawing then
  // makes a page of a PDF or an SVG drawing, vector where the painter draws vector.
  // nullptr goes back to the image.
  void DrawOnto(QPainter* painter) { external_ = painter; }

 protected:
  // Called whenever the drawing may have changed; a widget repaints.
  virtual void DrawingChanged() {}

 private:
  QPainter& Painter();
  void Finish();
  QPointF ToPixels(double x, double y, QSizeF inner) const;
  // Brings the image to the picture's size: keeping what is drawn (cropped
  // or extended with background), or not where it is about to be cleared.
  // Resizing only happens here, when the image is next used, so a resize
  // followed by a redraw never holds two images at once.
  void FitImage(bool keepDrawing);

  QImage image_;
  std::unique_ptr<QPainter> painter_;  // open between drawing calls, closed before showing
  QPainter* external_ = nullptr;       // see DrawOnto
  QSize size_{1, 1};
  qreal ratio_ = 1.0;
  double scaleLeft_ = 0.0;
  double scaleTop_ = 0.0;
  double scaleWidth_ = 1.0;
  double scaleHeight_ = 1.0;
};

// The farthest a pixel position handed to the painter may lie from the picture's corner:
// nothing this far out can show, and beyond it single precision, in which parts of the
// painter work, no longer tells neighbouring pixels apart.
inline constexpr double MaxPixel = 16777216.0;  // 2^24

// A 32-bit picture (ARGB32_Premultiplied or RGB32) whose pixel memory is mapped with its
// pages already present, for a picture that is overwritten whole: taking fresh pages one
// fault at a time costs more than writing every pixel. Null where the size is empty.
QImage NewPicture(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied);

// Clips the segment to the rectangle (Cohen-Sutherland). Returns false when
// nothing of it lies inside or an end is not finite.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect);

}  // namespace tarnwick
