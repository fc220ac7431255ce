#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

// Quits the application as soon as the window has been painted once: the
// start-up figure runs from launch to the first shown and painted window.
class QuitAfterFirstPaint : public QObject {
 public:
  explicit QuitAfterFirstPaint(QWidget& window) : QObject(&window) {
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      // After this paint and the flush that follows it.
      QTimer::singleShot(0, qApp, &QApplication::quit);
    }
    return false;
  }

 private:
  bool done_ = false;
};
