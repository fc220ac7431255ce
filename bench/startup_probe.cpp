// Tarnwick's start-up as the program does it, quitting after the first paint.

#include <QApplication>

#include "FirstPaint.h"
#include "ui/LineArrayForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tarnwick::LineArray_frm window;
  new QuitAfterFirstPaint(window);
  window.show();
  return app.exec();
}
