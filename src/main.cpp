#include <QApplication>
#include <cstdio>
#include <iostream>

#include "app/CommandLine.h"
#include "ui/window/LineArrayForm.h"

// Exit statuses: 0 done, 2 a wrong command line, 3 a report's file refused; otherwise the
// window's.
int main(int argc, char* argv[]) {
  using tarnwick::CommandLine;
  const CommandLine line = tarnwick::ParseCommandLine({argv + 1, argv + argc});
  switch (line.Do) {
    case CommandLine::Action::Help:
      std::fputs(tarnwick::CommandLineUsage(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::printf("tarnwick %s\n", TARNWICK_VERSION);
      return 0;
    case CommandLine::Action::Wrong:
      std::fprintf(stderr, "tarnwick: %s\n%s", line.Error.c_str(), tarnwick::CommandLineUsage());
      return 2;
    case CommandLine::Action::Report:
      return tarnwick::RunReport(line.Report, std::cout, std::cerr);
    case CommandLine::Action::Run:
      break;
  }
  QApplication app(argc, argv);
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.quenvar.Tarnwick"));
  tarnwick::LineArray_frm window;
  window.show();
  if (!line.File.empty()) window.OpenFile(QString::fromLocal8Bit(line.File.c_str()));
  return app.exec();
}
