#include "ui/window/ProjectHistory.h"

#include <QUndoStack>

#include "model/ProjectRules.h"

namespace tarnwick {

// One change of the project: the states before and after it.
class StateStep : public QUndoCommand {
 public:
  StateStep(ProjectHistory* history, ProjectState before, ProjectState after, const QString& name)
      : QUndoCommand(name),
        history_(history),
        before_(std::move(before)),
        after_(std::move(after)),
        changesFile_(before_.FilePath != after_.FilePath) {}

  void undo() override { history_->Apply(before_, changesFile_); }
  void redo() override {
    // Pushed once the change has happened: only a later redo has to make it again.
    if (std::exchange(done_, false)) return;
    history_->Apply(after_, changesFile_);
  }

 private:
  ProjectHistory* history_;
  ProjectState before_, after_;
  bool changesFile_;
  bool done_ = true;
};

ProjectHistory::ProjectHistory(QObject* parent, Restore restore)
    : QObject(parent), stack_(new QUndoStack(this)), restore_(std::move(restore)) {
  setObjectName(QStringLiteral("ProjectHistory"));
}

void ProjectHistory::Record(const ProjectState& state) {
  if (applying_ || held_) return;
  if (!started_) {
    started_ = true;
    recorded_ = state;
    stack_->setClean();
    return;
  }
  const QString named = std::exchange(nextName_, QString());
  if (!DiffersByUser(recorded_.Project, state.Project) && recorded_.FilePath == state.FilePath)
    return;
  const QString name =
      !named.isEmpty() ? named
                       : QString::fromStdString(DescribeChange(recorded_.Project, state.Project));
  ProjectState before = std::exchange(recorded_, state);
  stack_->push(new StateStep(this, std::move(before), state, name));
}

void ProjectHistory::MarkClean() { stack_->setClean(); }

void ProjectHistory::Saved(const ProjectState& state) {
  recorded_.FilePath = state.FilePath;
  Record(state);
  stack_->setClean();
}

void ProjectHistory::Apply(ProjectState state, bool withFile) {
  if (!withFile) state.FilePath = recorded_.FilePath;
  recorded_ = state;
  applying_ = true;
  restore_(state);
  applying_ = false;
}

}  // namespace tarnwick
