#pragma once

#include <QPushButton>

namespace tarnwick {

// A push button whose caption wraps onto further lines when it is wider
// than the button, as the narrow "Calculate Response" button needs.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarnwick
