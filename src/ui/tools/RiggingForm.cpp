#include "ui/tools/RiggingForm.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/panels/Controls.h"
#include "ui/tools/CloseButton.h"

namespace tarnwick {

Rigging_frm::Rigging_frm(QWidget* owner, std::function<void()> savePdf)
    : QWidget(owner, Qt::Window), savePdf_(std::move(savePdf)) {
  setObjectName(QStringLiteral("Rigging_frm"));
  setWindowTitle(QStringLiteral("Rigging Table"));
  resize(640, 480);
  auto* layout = new QVBoxLayout(this);
  grid_ = new QTableWidget(this);
  grid_->setObjectName(QStringLiteral("Rigging_tbl"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
  lowest_ = new QLabel(this);
  lowest_->setObjectName(QStringLiteral("RiggingLowest_lbl"));
  auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
  copy->setObjectName(QStringLiteral("RiggingCopy_cbt"));
  auto* pdf = new QPushButton(QStringLiteral("Save as &PDF..."), this);
  pdf->setObjectName(QStringLiteral("RiggingPdf_cbt"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lowest_, 1);
  buttons->addWidget(copy);
  buttons->addWidget(pdf);
  buttons->addWidget(MakeCloseButton(this, "RiggingClose_cbt"));
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);
  connect(copy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(Text()); });
  connect(pdf, &QPushButton::clicked, this, [this] { savePdf_(); });
}

void Rigging_frm::Show(const ProjectData& project, const Graphics& graphics) {
  Follow(project, graphics);
  show();
  raise();
}

void Rigging_frm::Follow(const ProjectData& project, const Graphics& graphics) {
  table_ = MakeRiggingTable(project, graphics);
  feet_ = IsFeet(project.Units);
  const double unit = feet_ ? double(MetresToFeet) : 1.0;
  const QString name = feet_ ? QStringLiteral("ft") : QStringLiteral("m");
  grid_->setColumnCount(6);
  grid_->setHorizontalHeaderLabels(
      {QStringLiteral("Box"), QStringLiteral("Tilt Angle (°)"), QStringLiteral("Aim (°)"),
       QStringLiteral("Top front height (%1)").arg(name), QStringLiteral("Ray lands on"),
       QStringLiteral("Along the area (%1)").arg(name)});
  grid_->setRowCount(int(table_.Rows.size()));
  for (int r = 0; r < int(table_.Rows.size()); ++r) {
    const RiggingRow& row = table_.Rows[r];
    const QString cells[] = {
        QString::number(row.Box),
        row.Box > 1 ? DecimalText(row.Splay) : QString(),
        DecimalText(row.Aim),
        DecimalText(row.TopFrontHeight * unit),
        row.Area > 0 ? QStringLiteral("Area %1").arg(row.Area) : QStringLiteral("none"),
        row.Area > 0 ? DecimalText(row.AlongArea * unit) : QString()};
    for (int c = 0; c < 6; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment(Qt::AlignCenter);
      grid_->setItem(r, c, item);
    }
  }
  lowest_->setText(
      QStringLiteral("Inclination %1°; lowest box bottom %2 %3 above the floor")
          .arg(DecimalText(table_.Inclination), DecimalText(table_.LowestBottom * unit), name));
}

QString Rigging_frm::Text() const {
  return QString::fromStdString(RiggingText(table_, feet_, QLocale().decimalPoint().toStdString()));
}

}  // namespace tarnwick
