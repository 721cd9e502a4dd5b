#pragma once

#include <QUndoCommand>
#include <functional>

#include "session/ProjectEdit.h"

namespace velk {
class ProjectSession;
}

namespace velk::ui {

// One edit of the form on the undo stack. The edit has already been made when it is pushed; undo
// and redo write the statement the same change made by hand would write, through the project
// session's addressed calls, and then let the form show the row they changed.
class EditCommand : public QUndoCommand {
public:
    // shown(edit, after): the row to bring into view once the edit is undone (after false) or
    // redone (after true).
    using Shown = std::function<void(const ProjectEdit& edit, bool after)>;

    EditCommand(ProjectSession& project, ProjectEdit edit, Shown shown, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

    // The text of an edit ("修改 E3", "删除动作 (按键1 弹起)").
    static QString describe(const ProjectEdit& edit);

private:
    void apply(bool after);

    ProjectSession& m_project;
    ProjectEdit m_edit;
    Shown m_shown;
    bool m_made = true;  // pushing runs redo() once; the edit is already in the file then
};

}  // namespace velk::ui
