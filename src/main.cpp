#include <QApplication>

#include "ui/LineArrayForm.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tarnwick::LineArray_frm window;
  window.show();
  return app.exec();
}
