#include "ui/window/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tarnwick {

namespace {

FileChoice RunFileDialog(QWidget* parent, const FileDialogSetup& setup, bool saving) {
  QFileDialog dialog(parent, setup.Title, setup.Folder, setup.Filter);
  dialog.setDefaultSuffix(setup.DefaultExtension);
  if (saving) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(setup.FileName);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  FileChoice choice;
  if (dialog.exec() != QDialog::Accepted) return choice;  // cancelled
  const QStringList files = dialog.selectedFiles();
  if (files.size() != 1 || files.front().isEmpty()) {
    choice.Outcome = FileChoice::Result::Failed;
    return choice;
  }
  choice.Outcome = FileChoice::Result::Chosen;
  choice.Path = files.front();
  choice.Name = QFileInfo(choice.Path).fileName();
  return choice;
}

}  // namespace

QString WithReason(const QString& message, const QString& path, const WriteResult& written) {
  if (written.Reason.empty()) return message;
  return message + QStringLiteral("\n\n") + ShownPath(path) + QStringLiteral(": ") +
         QString::fromStdString(written.Reason);
}

QString ShownPath(const QString& path, int most) {
  if (path.size() <= most) return path;
  qsizetype tail = (most - 1) * 2 / 3;
  qsizetype head = most - 1 - tail;
  // Never between the halves of a character written as a surrogate pair.
  if (head > 0 && path[head - 1].isHighSurrogate()) --head;
  if (tail > 0 && path[path.size() - tail].isLowSurrogate()) --tail;
  return path.left(head) + QChar(0x2026) + path.right(tail);
}

UserDialogs::Answer QtDialogs::Ask(QWidget* parent, const QString& prompt, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, prompt,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void QtDialogs::Tell(QWidget* parent, const QString& prompt, const QString& title, bool critical) {
  QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::NoIcon, title, prompt,
                  QMessageBox::Ok, parent);
  box.exec();
}

FileChoice QtDialogs::ChooseSaveFile(QWidget* parent, const FileDialogSetup& setup) {
  return RunFileDialog(parent, setup, true);
}

FileChoice QtDialogs::ChooseOpenFile(QWidget* parent, const FileDialogSetup& setup) {
  return RunFileDialog(parent, setup, false);
}

}  // namespace tarnwick
