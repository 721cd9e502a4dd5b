#include "ui/app/EditCommand.h"

#include "model/ConfigModel.h"
#include "session/ProjectSession.h"

namespace velk::ui {
EditCommand::EditCommand(ProjectSession& project, ProjectEdit edit, Shown shown, QUndoCommand* parent)
    : QUndoCommand(describe(edit), parent),
      m_project(project),
      m_edit(std::move(edit)),
      m_shown(std::move(shown)) {}

QString EditCommand::describe(const ProjectEdit& edit) {
    return std::visit(
        EditVisitor{
            [](const EnumEdit& e) {
                return QStringLiteral("修改 %1").arg(QString::fromStdString(enumName(e.after.index)));
            },
            [](const VariableEdit& e) {
                return QStringLiteral("修改 %1").arg(QString::fromStdString(variableName(e.after.index)));
            },
            [](const NetTargetEdit& e) {
                return QStringLiteral("修改 %1").arg(QString::fromStdString(netTargetName(e.after.index)));
            },
            [](const ActionEdit& e) {
                const QString what = !e.before  ? QStringLiteral("添加动作")
                                     : !e.after ? QStringLiteral("删除动作")
                                                : QStringLiteral("修改动作");
                return QStringLiteral("%1 (%2)").arg(what, QString::fromStdString(eventName(e.slot)));
            },
            [](const ActionMoveEdit& e) {
                return QStringLiteral("%1 (%2)").arg(
                    e.toRow < e.fromRow ? QStringLiteral("上移动作") : QStringLiteral("下移动作"),
                    QString::fromStdString(eventName(e.slot)));
            },
            [](const SettingsEdit& e) {
                return QStringLiteral("修改设置 (%1)").arg(QString::fromStdString(eventName(e.slot)));
            },
        },
        edit);
}

void EditCommand::undo() {
    apply(false);
}

void EditCommand::redo() {
    if (m_made) {
        m_made = false;
        return;
    }
    apply(true);
}

void EditCommand::apply(bool after) {
    ProjectSession& project = m_project;
    std::visit(
        EditVisitor{
            [&](const EnumEdit& e) { project.applyEnum(after ? e.after : e.before); },
            [&](const VariableEdit& e) { project.applyVariable(after ? e.after : e.before); },
            [&](const NetTargetEdit& e) { project.applyNetTarget(after ? e.after : e.before); },
            [&](const ActionEdit& e) {
                const std::optional<KeyAction>& from = after ? e.before : e.after;
                const std::optional<KeyAction>& to = after ? e.after : e.before;
                if (from && to) {
                    project.replaceActionById(e.slot, to->id, *to);
                } else if (to) {
                    project.insertActionById(e.slot, *to);
                } else if (from) {
                    project.removeActionById(e.slot, from->id);
                }
            },
            [&](const ActionMoveEdit& e) {
                for (const KeyAction& action : after ? e.after : e.before) {
                    project.replaceActionById(e.slot, action.id, action);
                }
            },
            [&](const SettingsEdit& e) { project.applyEventSettings(e.slot, after ? e.after : e.before); },
        },
        m_edit);
    if (m_shown) {
        m_shown(m_edit, after);
    }
}

}  // namespace velk::ui
