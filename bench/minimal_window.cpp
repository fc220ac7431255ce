// The smallest comparable program: an empty 800 x 600 main window, shown
// the same way and quitting after its first paint.

#include <QApplication>
#include <QMainWindow>

#include "FirstPaint.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.resize(800, 600);
  new QuitAfterFirstPaint(window);
  window.show();
  return app.exec();
}
