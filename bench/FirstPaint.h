#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

// Quits the application as soon as the window has been painted once: the
// start-up figure runs from launch to the first shown and painted window.
// A window whose children cover it entirely never paints itself, so the
// first paint of any widget in it counts; the rest of that paint pass and
// its flush finish before the event loop ends. The loop is ended rather
// than the application quit: quitting closes the window, which would ask
// whether to save the project.
class QuitAfterFirstPaint : public QObject {
 public:
  explicit QuitAfterFirstPaint(QWidget& window) : QObject(&window), window_(window) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
      done_ = true;
      QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
    return false;
  }

 private:
  QWidget& window_;
  bool done_ = false;
};
