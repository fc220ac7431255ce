#pragma once

#include <QProcess>
#include <QStringList>
#include <utility>

namespace tarnwick {

// What the program said and how it ended; status -1 where it did not end by itself in time,
// or crashed.
struct Ran {
  int status = -1;
  QString out;
  QByteArray err;
};

// The program itself run with `arguments` as a script runs it, without a display to find,
// its environment changed by `set` (an empty value removes the variable); stopped after
// `seconds` if still running.
inline Ran RunProgram(const QStringList& arguments,
                      const QList<std::pair<QString, QString>>& set = {}, int seconds = 60) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(QLatin1String(name));
  for (const auto& [name, value] : set)
    value.isEmpty() ? environment.remove(name) : environment.insert(name, value);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TARNWICK_PROGRAM), arguments);
  bool ended = program.waitForFinished(seconds * 1000);
  if (!ended) {
    program.kill();
    program.waitForFinished();
  }
  ended = ended && program.exitStatus() == QProcess::NormalExit;
  return {ended ? program.exitCode() : -1, QString::fromUtf8(program.readAllStandardOutput()),
          program.readAllStandardError()};
}

}  // namespace tarnwick
