// The least a comparable program shows: a main window with a menu bar of one
// menu with one entry and a label as its only content, at the size given on
// the command line (Tarnwick's window size), ending after its first frame as
// the probe does.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdio>

#include "FirstPaint.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int width = 800, height = 600;
  if (argc > 1) std::sscanf(argv[1], "%dx%d", &width, &height);
  QMainWindow window;
  window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
  window.setCentralWidget(new QLabel(QStringLiteral("Quenvar Tarnwick")));
  window.resize(width, height);
  new QuitAfterFirstPaint(window);
  window.show();
  return app.exec();
}
