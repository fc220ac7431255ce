#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>

namespace tarnwick {

// A framed panel whose caption has a face and colour of its own. The caption
// is painted with them rather than set as the panel's font, so the controls
// inside keep the window's font and nothing is restyled at start-up.
class PanelFrame : public QGroupBox {
  Q_OBJECT

 public:
  PanelFrame(const QString& caption, const QColor& captionColour, QWidget* parent);

  QFont CaptionFont() const { return captionFont_; }
  QColor CaptionColour() const { return captionColour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont captionFont_;
  QColor captionColour_;
};

}  // namespace tarnwick
