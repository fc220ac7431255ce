#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QWidget>
#include <memory>

namespace tarnwick {

// A picture with a retained drawing: what is drawn stays in an image until
// it is cleared, and painting only shows that image. Drawing uses a user
// scale of its own, set per picture, with y growing upward when the caller
// passes y1 > y2.
class DrawingSurface : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingSurface(QWidget* parent = nullptr);
  ~DrawingSurface() override;

  enum class FillStyle { Transparent, Solid };

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

  // The retained drawing, at device resolution; pending drawing is finished first.
  const QImage& Image();

 signals:
  // Mouse events with the position in user coordinates: the button that
  // changed and the buttons held.
  void MouseDown(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  void MouseMove(Qt::MouseButtons held, QPointF at);
  void MouseUp(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

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
  double scaleLeft_ = 0.0;
  double scaleTop_ = 0.0;
  double scaleWidth_ = 1.0;
  double scaleHeight_ = 1.0;
};

// The farthest a pixel position handed to the painter may lie from the picture's corner:
// nothing this far out can show, and beyond it single precision, in which parts of the
// painter work, no longer tells neighbouring pixels apart.
inline constexpr double MaxPixel = 16777216.0;  // 2^24

// Clips the segment to the rectangle (Cohen-Sutherland). Returns false when
// nothing of it lies inside or an end is not finite.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect);

}  // namespace tarnwick
