#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <thread>

#include "acoustics/SplayOptimiser.h"

class QCheckBox;
class QComboBox;
class QLayout;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace tarnwick {

// The design of the main window as it stands, for a search to start from.
struct ShownDesign {
  ProjectData Project;
  Graphics Geometry;
  Constants Module;
};

// Tools › Optimise Splay Angles…: searches every splay set, with the inclination or the pin
// and mounting, for the most even level over the areas, away from the window's thread so
// that the window keeps answering; shows the best design beside the current one and
// applies it on request. A search that takes longer than 200 ms shows its progress and can
// be cancelled. It belongs to the main window, which tells it of every redraw.
class Optimise_frm : public QWidget {
  Q_OBJECT

 public:
  // `shown` gives the window's design now; `apply` makes the best design the window's.
  Optimise_frm(QWidget* owner, std::function<ShownDesign()> shown,
               std::function<void(const ProjectData&)> apply);
  ~Optimise_frm() override;

  // Shows the window at `band` (what the graph shows) and searches the design as it now
  // stands.
  void Show(int band);
  // The window's design has changed: a result found for another design cannot be applied.
  void Follow(const ProjectData& project);
  bool Busy() const { return searching_; }
  const SplayResult& Result() const { return result_; }

 signals:
  void SearchEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The band, the goal and the fall asked for; the table of current and best, the status,
  // the progress and the buttons.
  QLayout* MakeQuestion();
  void MakeAnswer(QVBoxLayout& layout);
  void Search();
  void Cancel();
  void Tick();
  void Finish(int generation, const SplayResult& result, double seconds);
  void ShowResult();
  QString Status(bool offAudience) const;
  SplaySearch Settings() const;

  std::function<ShownDesign()> shown_;
  std::function<void(const ProjectData&)> apply_;
  QComboBox* band_ = nullptr;
  QComboBox* goal_ = nullptr;
  QLineEdit* fall_ = nullptr;
  QCheckBox* keep_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* applyButton_ = nullptr;
  QTimer* ticker_ = nullptr;
  QElapsedTimer clock_;

  ProjectData searched_;  // the design the result was found for
  SplayResult result_;
  double seconds_ = 0.0;  // the search took
  bool searching_ = false;
  bool current_ = false;  // the window still shows the design searched
  int generation_ = 0;    // of the newest search; older ones' results are dropped
  long long total_ = 0;
  std::atomic<long long> done_{0};
  std::jthread worker_;  // last: stopped and joined before everything it reports to
};

}  // namespace tarnwick
