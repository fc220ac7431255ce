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
  const RiggingCells cells = MakeRiggingCells(table_, feet_, QLocale().decimalPoint().toStdString(),
                                              RiggingCaptions::Shown);
  const auto text = [](const std::string& cell) { return QString::fromStdString(cell); };
  QStringList captions;
  for (const std::string& caption : cells.Captions) captions.push_back(text(caption));
  grid_->setColumnCount(int(captions.size()));
  grid_->setHorizontalHeaderLabels(captions);
  grid_->setRowCount(int(cells.Rows.size()));
  for (int r = 0; r < int(cells.Rows.size()); ++r)
    for (int c = 0; c < int(captions.size()); ++c) {
      auto* item = new QTableWidgetItem(text(cells.Rows[r][c]));
      item->setTextAlignment(Qt::AlignCenter);
      grid_->setItem(r, c, item);
    }
  lowest_->setText(QStringLiteral("Inclination %1°; lowest box bottom %2 %3 above the floor")
                       .arg(text(cells.Inclination), text(cells.LowestBottom), text(cells.Unit)));
}

QString Rigging_frm::Text() const {
  return QString::fromStdString(RiggingText(table_, feet_, QLocale().decimalPoint().toStdString()));
}

}  // namespace tarnwick
