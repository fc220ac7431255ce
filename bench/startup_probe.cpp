// Tarnwick's start-up as src/main.cpp does it, ending after the first frame.

#include <QApplication>

#include "FirstPaint.h"
#include "ui/window/LineArrayForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tarnwick::LineArray_frm window;
  new QuitAfterFirstPaint(window);
  window.show();
  return app.exec();
}
