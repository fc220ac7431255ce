#include "ui/tools/PredictionForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/panels/Controls.h"

namespace tarnwick {

namespace {

// The value in a box, or `kept` when its text is no number within the box's range.
float ValueIn(const QLineEdit* box, float kept) {
  const auto* range = static_cast<const QDoubleValidator*>(box->validator());
  bool ok = false;
  const double value = QLocale().toDouble(box->text(), &ok);
  return ok && value >= range->bottom() && value <= range->top() ? float(value) : kept;
}

}  // namespace

Prediction_frm::Prediction_frm(QWidget* owner, std::function<void(const PredictionOptions&)> apply)
    : QWidget(owner, Qt::Window), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("Prediction_frm"));
  setWindowTitle(QStringLiteral("Prediction"));
  const auto check = [this](const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    connect(box, &QCheckBox::toggled, this, &Prediction_frm::Changed);
    return box;
  };
  average_ = check("PredictionAverage_chk",
                   QStringLiteral("&Average each band over its third of an octave"));
  interpolate_ = check("PredictionInterpolate_chk",
                       QStringLiteral("&Interpolate the directivity between its 5° steps"));
  air_ = check("PredictionAir_chk", QStringLiteral("Absorption and speed of sound of the &air"));
  temperature_ = AtmosphereBox("Temperature_tbx", -20.0, 50.0, 1);
  humidity_ = AtmosphereBox("Humidity_tbx", 10.0, 100.0, 1);
  pressure_ = AtmosphereBox("Pressure_tbx", 80.0, 110.0, 3);
  auto* air = new QFormLayout;
  air->addRow(QStringLiteral("&Temperature (°C, −20 to 50):"), temperature_);
  air->addRow(QStringLiteral("&Humidity (%, 10 to 100):"), humidity_);
  air->addRow(QStringLiteral("&Pressure (kPa, 80 to 110):"), pressure_);
  air->setContentsMargins(24, 0, 0, 0);
  auto* recommended = new QPushButton(QStringLiteral("&Recommended"), this);
  recommended->setObjectName(QStringLiteral("PredictionRecommended_cbt"));
  recommended->setToolTip(QStringLiteral("All three, in air at 20 °C and 50 % humidity"));
  connect(recommended, &QPushButton::clicked, this, [this] {
    PredictionOptions o;
    o.Average = o.Interpolate = o.Air = true;
    o.Pressure = shown_.Pressure;
    if (o == shown_) return;
    Follow(o);
    apply_(o);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->addButton(recommended, QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
  auto* note = new QLabel(
      QStringLiteral("With every option off, each band is predicted at its centre frequency "
                     "alone, with the directivity in 5° steps and no air. Each change applies "
                     "at once and is one step to undo."),
      this);
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* w : {static_cast<QWidget*>(average_), static_cast<QWidget*>(interpolate_),
                     static_cast<QWidget*>(air_)})
    layout->addWidget(w);
  layout->addLayout(air);
  layout->addWidget(note);
  layout->addWidget(buttons);
}

QLineEdit* Prediction_frm::AtmosphereBox(const char* name, double low, double high, int decimals) {
  QLineEdit* box = MakeBox(this, QLatin1String(name));
  box->setValidator(new QDoubleValidator(low, high, decimals, box));
  connect(box, &QLineEdit::editingFinished, this, [this, box] {
    if (box->isModified()) Changed();
    box->setModified(false);
  });
  return box;
}

void Prediction_frm::Show(const PredictionOptions& options) {
  Follow(options);
  show();
  raise();
  activateWindow();
}

void Prediction_frm::Follow(const PredictionOptions& options) {
  updating_ = true;
  shown_ = options;
  average_->setChecked(options.Average);
  interpolate_->setChecked(options.Interpolate);
  air_->setChecked(options.Air);
  // Six digits show every value the boxes take (101.325 kPa) without a float's tail.
  temperature_->setText(QLocale().toString(double(options.Temperature), 'g', 6));
  humidity_->setText(QLocale().toString(double(options.Humidity), 'g', 6));
  pressure_->setText(QLocale().toString(double(options.Pressure), 'g', 6));
  for (QLineEdit* box : {temperature_, humidity_, pressure_}) box->setEnabled(options.Air);
  updating_ = false;
}

PredictionOptions Prediction_frm::Chosen() const {
  PredictionOptions o;
  o.Average = average_->isChecked();
  o.Interpolate = interpolate_->isChecked();
  o.Air = air_->isChecked();
  o.Temperature = ValueIn(temperature_, shown_.Temperature);
  o.Humidity = ValueIn(humidity_, shown_.Humidity);
  o.Pressure = ValueIn(pressure_, shown_.Pressure);
  return o;
}

void Prediction_frm::Changed() {
  if (updating_) return;
  const PredictionOptions chosen = Chosen();
  const bool changed = !(chosen == shown_);
  Follow(chosen);  // a refused number shows the value kept
  if (changed) apply_(chosen);
}

}  // namespace tarnwick
