#include <QApplication>
#include <cstdio>
#include <iostream>

#include "app/CommandLine.h"
#include "app/FileAccess.h"
#include "app/RuntimeDirectory.h"
#include "ui/window/LineArrayForm.h"

// Exit statuses: 0 done, 2 a wrong command line, 3 a report's file refused, or the project
// the window was to open missing or unreadable; otherwise the window's.
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
      // Pictures and reports are drawn by Qt, which wants a runtime folder.
      tarnwick::PrepareRuntimeDirectory();
      return tarnwick::RunReport(line.Report, std::cout, std::cerr);
    case CommandLine::Action::Run:
      break;
  }
  // Said on the terminal it was typed on, before a window opens; a file that opens but is
  // not a project is the window's to refuse.
  if (const auto why = line.File.empty() ? std::nullopt : tarnwick::WhyUnreadable(line.File)) {
    std::fprintf(stderr, "tarnwick: %s: %s\n", line.File.c_str(), why->c_str());
    return 3;
  }
  tarnwick::PrepareRuntimeDirectory();
  QApplication app(argc, argv);
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.quenvar.Tarnwick"));
  tarnwick::LineArray_frm window;
  window.show();
  if (!line.File.empty()) window.OpenFile(QString::fromLocal8Bit(line.File.c_str()));
  return app.exec();
}
