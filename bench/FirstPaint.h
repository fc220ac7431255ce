#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

// Ends the event loop once the window has been painted and shown for the first
// time, and prints on stdout "first-paint <ns> <width>x<height>": the monotonic
// clock at that moment and the window's logical size. startup_bench takes the
// clock just before it launches the process, so the difference is launch to
// first frame, with neither the launcher's bookkeeping nor the teardown in it.
//
// A window whose children cover it entirely never paints itself, so the first
// paint of any widget in it counts. The clock is read from a zero timer, which
// runs after that whole paint pass and its flush; QGuiApplication::sync() then
// waits until the window system has taken the frame. The loop is ended rather
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
      QTimer::singleShot(0, qApp, [this] { Report(); });
    }
    return false;
  }

 private:
  void Report() {
    QGuiApplication::sync();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first-paint %lld %dx%d\n", now.tv_sec * 1000000000LL + now.tv_nsec,
                window_.width(), window_.height());
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }

  QWidget& window_;
  bool done_ = false;
};
