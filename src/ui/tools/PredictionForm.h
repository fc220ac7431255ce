#pragma once

#include <QWidget>
#include <functional>

#include "model/ProjectData.h"

class QCheckBox;
class QLineEdit;

namespace tarnwick {

// Preferences › Prediction...: how the levels are predicted, beyond the plain model. Each
// change applies at once through `apply`, which makes it one step to undo; the window
// follows the project (an undo, an opened file) while it is shown.
class Prediction_frm : public QWidget {
  Q_OBJECT

 public:
  Prediction_frm(QWidget* owner, std::function<void(const PredictionOptions&)> apply);

  void Show(const PredictionOptions& options);
  void Follow(const PredictionOptions& options);

 private:
  QLineEdit* AtmosphereBox(const char* name, double low, double high, int decimals);
  // The options as the controls now say; a box whose text is no number in its range keeps
  // the value shown before.
  PredictionOptions Chosen() const;
  void Changed();

  std::function<void(const PredictionOptions&)> apply_;
  PredictionOptions shown_;
  bool updating_ = false;
  QCheckBox* average_ = nullptr;
  QCheckBox* interpolate_ = nullptr;
  QCheckBox* air_ = nullptr;
  QLineEdit* temperature_ = nullptr;
  QLineEdit* humidity_ = nullptr;
  QLineEdit* pressure_ = nullptr;
};

}  // namespace tarnwick
