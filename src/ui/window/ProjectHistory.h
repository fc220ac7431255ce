#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "model/ProjectData.h"

class QUndoStack;

namespace tarnwick {

// What one step of the history restores: the project and the file it belongs to (so that
// undoing an Open also gives the earlier file back, and a later Save cannot write the
// earlier project over the file just opened).
struct ProjectState {
  ProjectData Project;
  std::string FilePath;
};

// Undo and redo for the project. After every redraw, and after every edit that needs
// none (a title, an attenuation, the unit), the window shows the history the project as
// it now stands; whatever the user changed since the last time becomes one step, named
// after what changed ("Splay of Box 5") or as the command that made it asked ("Open
// show.qvd"). Undo and redo give a state back to the window, which shows it. Only a step
// that changed the file (Open, New) gives its file back; any other step keeps the file
// the project now belongs to, so that a Save As is never undone by undoing an edit.
class ProjectHistory : public QObject {
  Q_OBJECT

 public:
  using Restore = std::function<void(const ProjectState&)>;
  ProjectHistory(QObject* parent, Restore restore);

  QUndoStack* Stack() const { return stack_; }

  // The state now, after a redraw. The first one only sets where the history starts.
  void Record(const ProjectState& state);
  // The name of the step the next record makes, if it makes one; a record that finds
  // nothing changed forgets the name.
  void NameNext(const QString& name) { nextName_ = name; }
  // Runs a command that changes several controls one by one (a preset, the optimiser's
  // design) with the redraws they cause recording nothing, so that it becomes one step,
  // named `name`, at the first redraw after it.
  void AsOneStep(const QString& name, const std::function<void()>& change) {
    nextName_ = name;
    held_ = true;
    change();
    held_ = false;
  }
  // The state now is what its file holds.
  void MarkClean();
  // The project was saved to `state.FilePath`: not a step (the redo steps stay), but
  // edits read for the save and not yet recorded are one.
  void Saved(const ProjectState& state);

 private:
  friend class StateStep;
  // `withFile`: the step changed the file, so its file comes back too.
  void Apply(ProjectState state, bool withFile);

  QUndoStack* stack_;
  Restore restore_;
  ProjectState recorded_;
  bool started_ = false;
  bool applying_ = false;
  bool held_ = false;
  QString nextName_;
};

}  // namespace tarnwick
