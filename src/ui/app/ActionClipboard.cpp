#include "ui/app/ActionClipboard.h"

#include <QMimeData>

#include "action/ActionText.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace velk::ui {
namespace {

constexpr const char* kFragmentStart = "# velk actions";

QString plainLines(const std::vector<KeyAction>& actions) {
    QStringList lines;
    for (const KeyAction& action : actions) {
        if (std::optional<ActionRowTexts> texts = actionRowTextsOf(action)) {
            QStringList columns;
            for (const std::string& text : *texts) {
                columns << QString::fromStdString(text);
            }
            lines << columns.join(QLatin1Char('\t'));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

std::unique_ptr<QMimeData> actionsMimeData(const std::vector<KeyAction>& actions, const std::string& event) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kActionsMimeType),
                  QByteArray::fromStdString(text::exportActions(actions, event)));
    data->setText(plainLines(actions));
    return data;
}

ClipboardActions actionsFromMimeData(const QMimeData* data) {
    ClipboardActions found;
    std::string fragment;
    if (data != nullptr && data->hasFormat(QString::fromLatin1(kActionsMimeType))) {
        fragment = data->data(QString::fromLatin1(kActionsMimeType)).toStdString();
    } else if (data != nullptr && data->text().startsWith(QString::fromLatin1(kFragmentStart))) {
        // The text form pasted from an editor or a file.
        fragment = data->text().toStdString();
    } else {
        found.problem = QStringLiteral("剪贴板中没有可粘贴的动作。");
        return found;
    }
    text::ActionsRead read = text::readActionsText(fragment);
    if (read.hasErrors()) {
        QStringList problems;
        for (const text::Problem& problem : read.problems) {
            if (problem.severity == text::Severity::Error) {
                problems << QString::fromStdString(text::formatProblem("剪贴板", problem));
            }
        }
        found.problem =
            QStringLiteral("剪贴板中的动作无法读取：\n") + problems.mid(0, 5).join(QLatin1Char('\n'));
        return found;
    }
    found.actions = std::move(read.actions);
    if (found.actions.empty()) {
        found.problem = QStringLiteral("剪贴板中没有可粘贴的动作。");
    }
    return found;
}

}  // namespace velk::ui
