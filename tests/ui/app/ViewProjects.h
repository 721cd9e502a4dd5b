#pragma once

#include <QString>

namespace velk::ui {
class CVelkView;
}

namespace velk::test {

// A temporary folder's template for a test's project files, on a memory file system where there is
// one: every statement of New is synced otherwise, which makes each new project take seconds.
QString projectFolderTemplate(const QString& testName);

// New through the view's button and file dialog; fails the test when the project never settles.
QString newProjectThroughView(ui::CVelkView& view, const QString& path);

}  // namespace velk::test
