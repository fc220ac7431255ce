#pragma once

#include <QString>

#include "files/FileWriter.h"

class QWidget;

namespace tarnwick {

// Settings of an open or save dialog.
struct FileDialogSetup {
  QString Title;
  QString Filter;            // e.g. "Quenvar Line Array Data (*.qvd)"
  QString DefaultExtension;  // without the dot
  QString Folder;            // initial folder
  QString FileName;          // initial name (save dialog)
};

// What a file dialog gave: a chosen file, a cancel, or a failure of the
// dialog itself, which the commands treat apart from a cancel.
struct FileChoice {
  enum class Result { Chosen, Cancelled, Failed };
  Result Outcome = Result::Cancelled;
  QString Path;  // full path
  QString Name;  // the file's name without its folder
};

// The window's modal questions, messages and file dialogs. The program
// uses the toolkit's; tests script the answers, so no test ever waits on a
// modal window.
class UserDialogs {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~UserDialogs() = default;
  // Yes / No / Cancel question without an icon.
  virtual Answer Ask(QWidget* parent, const QString& prompt, const QString& title) = 0;
  // Message with an OK button, with or without the critical icon.
  virtual void Tell(QWidget* parent, const QString& prompt, const QString& title,
                    bool critical) = 0;
  // Save dialog that asks before overwriting an existing file.
  virtual FileChoice ChooseSaveFile(QWidget* parent, const FileDialogSetup& setup) = 0;
  // Open dialog that accepts existing files only.
  virtual FileChoice ChooseOpenFile(QWidget* parent, const FileDialogSetup& setup) = 0;
};

// A path as a message shows it: one longer than `most` characters keeps its start and, the
// larger part, its end (the file's name) around an ellipsis, so that no message lays out
// more than a line or two of a path, however long.
QString ShownPath(const QString& path, int most = 120);

// A failure's message with the path and the reason the writer gave, below it.
QString WithReason(const QString& message, const QString& path, const WriteResult& written);

// The toolkit's message boxes and file dialogs.
class QtDialogs : public UserDialogs {
 public:
  Answer Ask(QWidget* parent, const QString& prompt, const QString& title) override;
  void Tell(QWidget* parent, const QString& prompt, const QString& title, bool critical) override;
  FileChoice ChooseSaveFile(QWidget* parent, const FileDialogSetup& setup) override;
  FileChoice ChooseOpenFile(QWidget* parent, const FileDialogSetup& setup) override;
};

}  // namespace tarnwick
