#include "ui/tools/OptimiseForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "model/ProjectRules.h"
#include "ui/panels/Controls.h"
#include "ui/tools/CloseButton.h"

namespace tarnwick {

namespace {

constexpr int ProgressDelay = 200;  // ms before a search shows its progress

QString Angles(const ProjectData& p) {
  QStringList angles;
  for (int j = 0; j < JointsInUse(p); ++j) angles << QString::number(p.BoxAngle[j]);
  return angles.join(QLatin1Char(' '));
}

}  // namespace

Optimise_frm::Optimise_frm(QWidget* owner, std::function<ShownDesign()> shown,
                           std::function<void(const ProjectData&)> apply)
    : QWidget(owner, Qt::Window), shown_(std::move(shown)), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("Optimise_frm"));
  setWindowTitle(QStringLiteral("Optimise Splay Angles"));
  resize(780, 560);  // three columns of twelve splays each, every row without scrolling
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(MakeQuestion());
  MakeAnswer(*layout);
  ticker_ = new QTimer(this);
  ticker_->setInterval(50);
  connect(ticker_, &QTimer::timeout, this, &Optimise_frm::Tick);
  connect(cancel_, &QPushButton::clicked, this, &Optimise_frm::Cancel);
  // A new question is a new search.
  connect(band_, &QComboBox::activated, this, &Optimise_frm::Search);
  connect(goal_, &QComboBox::activated, this, [this] {
    fall_->setEnabled(goal_->currentIndex() == 1);
    Search();
  });
  connect(keep_, &QCheckBox::toggled, this, &Optimise_frm::Search);
  connect(fall_, &QLineEdit::editingFinished, this, [this] {
    if (fall_->isModified()) Search();
    fall_->setModified(false);
  });
  connect(applyButton_, &QPushButton::clicked, this, [this] {
    if (!result_.Found || !current_) return;
    // Applied, the best design is the current one.
    searched_ = result_.Current = result_.Best;
    result_.CurrentScore = result_.BestScore;
    apply_(result_.Best);
    ShowResult();
  });
}

QLayout* Optimise_frm::MakeQuestion() {
  band_ = new QComboBox(this);
  band_->setObjectName(QStringLiteral("OptimiseBand_cbx"));
  for (int entry = 0; entry < BandChoiceCount; ++entry)
    band_->addItem(QString::fromLatin1(BandChoiceName(entry)));
  band_->setCurrentIndex(DefaultBandChoice);
  goal_ = new QComboBox(this);
  goal_->setObjectName(QStringLiteral("OptimiseGoal_cbx"));
  goal_->addItems({QStringLiteral("Most even level (smallest spread)"),
                   QStringLiteral("Closest fit to a fall per doubling of distance")});
  fall_ = new QLineEdit(DecimalText(3.0), this);
  fall_->setObjectName(QStringLiteral("OptimiseFall_tbx"));
  fall_->setValidator(new QDoubleValidator(-20.0, 20.0, 2, fall_));
  fall_->setEnabled(false);
  keep_ = new QCheckBox(
      QStringLiteral("&Keep the sound on the audience (top box no higher than the back row)"),
      this);
  keep_->setObjectName(QStringLiteral("OptimiseKeepOnAudience_chk"));
  keep_->setChecked(true);
  auto* settings = new QFormLayout;
  settings->addRow(QStringLiteral("&Band:"), band_);
  settings->addRow(QStringLiteral("&Goal:"), goal_);
  settings->addRow(QStringLiteral("&Fall (dB per doubling):"), fall_);
  settings->addRow(keep_);
  return settings;
}

void Optimise_frm::MakeAnswer(QVBoxLayout& layout) {
  table_ = new QTableWidget(0, 2, this);
  table_->setObjectName(QStringLiteral("OptimiseResult_tbl"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Current"), QStringLiteral("Best")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("OptimiseStatus_lbl"));
  status_->setWordWrap(true);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("OptimiseProgress_pgb"));
  cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel_->setObjectName(QStringLiteral("OptimiseCancel_cbt"));
  auto* search = new QPushButton(QStringLiteral("&Search Again"), this);
  search->setObjectName(QStringLiteral("OptimiseSearch_cbt"));
  connect(search, &QPushButton::clicked, this, &Optimise_frm::Search);
  applyButton_ = new QPushButton(QStringLiteral("&Apply"), this);
  applyButton_->setObjectName(QStringLiteral("OptimiseApply_cbt"));
  auto* running = new QHBoxLayout;
  running->addWidget(progress_, 1);
  running->addWidget(cancel_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(search);
  buttons->addWidget(applyButton_);
  buttons->addWidget(MakeCloseButton(this, "OptimiseClose_cbt"));
  layout.addWidget(table_, 1);
  layout.addWidget(status_);
  layout.addLayout(running);
  layout.addLayout(buttons);
  progress_->hide();
  cancel_->hide();
  applyButton_->setEnabled(false);
}

Optimise_frm::~Optimise_frm() {
  // Before any member goes: the search reports to this window.
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

void Optimise_frm::Show(int band) {
  band_->setCurrentIndex(band);
  show();
  raise();
  Search();
}

void Optimise_frm::closeEvent(QCloseEvent* event) {
  // A search nobody waits for any more would only keep the processor busy; showing the
  // window again searches anew.
  Cancel();
  QWidget::closeEvent(event);
}

void Optimise_frm::Follow(const ProjectData& project) {
  const bool current = !DiffersByUser(project, searched_) && !DiffersByUser(searched_, project);
  if (current == current_) return;
  current_ = current;
  ShowResult();
}

SplaySearch Optimise_frm::Settings() const {
  SplaySearch search;
  search.Band = band_->currentIndex();
  search.KeepOnAudience = keep_->isChecked();
  if (goal_->currentIndex() == 1) {
    search.Goal = SplayGoal::Fall;
    search.FallPerDoubling = QLocale().toDouble(fall_->text());
  }
  return search;
}

void Optimise_frm::Search() {
  Cancel();
  const ShownDesign design = shown_();
  const SplaySearch search = Settings();
  searched_ = design.Project;
  current_ = true;
  result_ = SplayResult{};
  // A design without an area point that has a level has nothing to even out: the user is
  // told so at once instead of watching a search that cannot find anything.
  if (MeasureDesign(design.Project, design.Geometry, design.Module, search).Points == 0) {
    ShowResult();
    emit SearchEnded();
    return;
  }
  total_ = SplayDesignCount(design.Project, search);
  done_ = 0;
  searching_ = true;
  const int generation = ++generation_;
  clock_.start();
  ticker_->start();
  ShowResult();
  worker_ = std::jthread([this, design, search, generation](std::stop_token stop) {
    const auto start = std::chrono::steady_clock::now();
    const SplayResult result =
        OptimiseSplay(design.Project, design.Geometry, design.Module, search, stop, &done_);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QMetaObject::invokeMethod(
        this, [this, generation, result, seconds] { Finish(generation, result, seconds); },
        Qt::QueuedConnection);
  });
}

void Optimise_frm::Cancel() {
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
  if (searching_) {
    searching_ = false;
    ticker_->stop();
    result_.Cancelled = true;
    ShowResult();
    emit SearchEnded();
  }
}

void Optimise_frm::Tick() {
  const bool show = searching_ && clock_.elapsed() >= ProgressDelay;
  progress_->setVisible(show);
  cancel_->setVisible(show);
  if (show) {
    progress_->setMaximum(1000);
    progress_->setValue(int(1000 * done_.load() / std::max(1LL, total_)));
  }
}

void Optimise_frm::Finish(int generation, const SplayResult& result, double seconds) {
  if (generation != generation_ || !searching_) return;  // a search since, or cancelled
  if (worker_.joinable()) worker_.join();
  searching_ = false;
  ticker_->stop();
  Tick();
  result_ = result;
  seconds_ = seconds;
  ShowResult();
  emit SearchEnded();
}

void Optimise_frm::ShowResult() {
  Tick();
  const bool automatic = searched_.AutomaticInclCalc == 1;
  const bool fall = goal_->currentIndex() == 1;
  const ProjectData& best = result_.Found ? result_.Best : searched_;
  QStringList rows{QStringLiteral("Splay angles (°)"), QStringLiteral("Inclination (°)")};
  if (automatic) rows << QStringLiteral("Flybar pin") << QStringLiteral("Flybar mounting");
  rows << QStringLiteral("Spread (dB)") << QStringLiteral("Standard deviation (dB)");
  if (fall) rows << QStringLiteral("Distance from the fall (dB rms)");
  rows << QStringLiteral("Mean level (dB)") << QStringLiteral("Rays on an area");
  table_->setRowCount(int(rows.size()));
  table_->setVerticalHeaderLabels(rows);
  // Beside the best design that keeps the sound on the audience, the best of all when it
  // differs: what keeping to the audience costs.
  const bool offAudience = result_.Found && !result_.BestOnAudience;
  const bool beside =
      result_.Found && result_.BestOnAudience && DiffersByUser(result_.Unconstrained, result_.Best);
  QStringList headers{QStringLiteral("Current"), offAudience
                                                     ? QStringLiteral("Best (aims too high)")
                                                     : QStringLiteral("Best")};
  if (beside) headers << QStringLiteral("Best, aiming anywhere");
  table_->setColumnCount(int(headers.size()));
  table_->setHorizontalHeaderLabels(headers);
  const auto column = [&](int c, const ProjectData& p, const Evenness& e, bool known) {
    QStringList cells{Angles(p), DecimalText(p.InclinationAngle)};
    if (automatic)
      cells << QString::number(p.FlybarPin)
            << QString::fromLatin1(MountingItems[p.FlybarMounting == 1 ? 1 : 0]);
    cells << DecimalText(e.Spread) << DecimalText(e.Deviation);
    if (fall) cells << DecimalText(e.FallError);
    cells << DecimalText(e.Mean)
          << QStringLiteral("%1 of %2").arg(e.RaysOnAreas).arg(BoxesInUse(p));
    for (int r = 0; r < cells.size(); ++r)
      table_->setItem(r, c, new QTableWidgetItem(known ? cells[r] : QString()));
  };
  column(0, result_.Found ? result_.Current : searched_, result_.CurrentScore, result_.Found);
  column(1, best, result_.BestScore, result_.Found);
  if (beside) column(2, result_.Unconstrained, result_.UnconstrainedScore, true);
  applyButton_->setEnabled(result_.Found && current_ && !searching_ &&
                           DiffersByUser(searched_, result_.Best));
  status_->setText(Status(offAudience));
}

QString Optimise_frm::Status(bool offAudience) const {
  if (searching_) return QStringLiteral("Trying %1 designs...").arg(QLocale().toString(total_));
  if (result_.Cancelled) return QStringLiteral("Cancelled.");
  if (!result_.Found)
    return QStringLiteral(
        "Nothing to search: no point of the areas has a level to even out. Check "
        "the areas' lengths and the array's distance to the floor.");
  if (!current_) return QStringLiteral("The design has changed since this search: search again.");
  if (offAudience)
    return QStringLiteral(
        "No design keeps the sound on the audience: in every one the top box aims above the "
        "back row. Shown is the best of all designs; lower the inclination or the mounting "
        "height, or search with a typed inclination.");
  return QStringLiteral("%1 designs tried in %2 s. %3")
      .arg(QLocale().toString(result_.Designs), DecimalText(seconds_),
           DiffersByUser(searched_, result_.Best)
               ? QStringLiteral("Apply makes the best design yours.")
               : QStringLiteral("The current design is the best."));
}

}  // namespace tarnwick
