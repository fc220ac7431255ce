#pragma once

#include <QStringList>
#include <deque>

#include "ui/window/Dialogs.h"

namespace tarnwick {

// Dialogs that answer from a script and record what they were asked, so tests never wait
// on a modal window. An unscripted question is answered Cancel.
class ScriptedDialogs : public UserDialogs {
 public:
  std::deque<Answer> Answers;
  std::deque<FileChoice> Files;  // an unscripted file dialog is cancelled
  QStringList Log;  // "ask <title>: <prompt>", "tell <title>: <prompt> [critical]", "save"/"open"
  FileDialogSetup LastSetup;

  Answer Ask(QWidget*, const QString& prompt, const QString& title) override {
    Log << QStringLiteral("ask %1: %2").arg(title, prompt);
    return Next(Answers, Answer::Cancel);
  }
  void Tell(QWidget*, const QString& prompt, const QString& title, bool critical) override {
    Log << QStringLiteral("tell %1: %2%3").arg(title, prompt, critical ? " [critical]" : "");
  }
  FileChoice ChooseSaveFile(QWidget*, const FileDialogSetup& setup) override {
    return Choose(QStringLiteral("save"), setup);
  }
  FileChoice ChooseOpenFile(QWidget*, const FileDialogSetup& setup) override {
    return Choose(QStringLiteral("open"), setup);
  }

  static FileChoice Chosen(const QString& path) {
    return {FileChoice::Result::Chosen, path, path.section(QLatin1Char('/'), -1)};
  }
  static FileChoice Cancelled() { return {FileChoice::Result::Cancelled, {}, {}}; }
  static FileChoice Failed() { return {FileChoice::Result::Failed, {}, {}}; }

 private:
  FileChoice Choose(const QString& kind, const FileDialogSetup& setup) {
    Log << kind;
    LastSetup = setup;
    return Next(Files, Cancelled());
  }
  template <typename T>
  static T Next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    otherwise = script.front();
    script.pop_front();
    return otherwise;
  }
};

}  // namespace tarnwick
