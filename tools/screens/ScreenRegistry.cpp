#include "ScreenRegistry.h"

#include <algorithm>

namespace velk::screens {
namespace {

// A function-local list, so registrations from other files' static initialisers find it built.
std::vector<Screen>& screenList() {
    static std::vector<Screen> list;
    return list;
}

}  // namespace

bool addScreen(Screen screen) {
    screenList().push_back(std::move(screen));
    return true;
}

bool addScreen(const QString& name, std::function<std::unique_ptr<QWidget>()> make) {
    return addScreen(Screen{name, std::move(make), {}, {}});
}

std::vector<Screen> registeredScreens() {
    std::vector<Screen> list = screenList();
    std::sort(list.begin(), list.end(), [](const Screen& a, const Screen& b) { return a.name < b.name; });
    return list;
}

}  // namespace velk::screens
