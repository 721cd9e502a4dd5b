#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

// The screens velk-screens renders. Each layer registers its own in a .cpp file of this folder:
//
//     static const bool registered = velk::screens::addScreen("dialog-x", [] { ... return widget; });
//
// The file name of the picture is the screen's name with ".png".
namespace velk::screens {

struct Screen {
    QString name;
    // Builds the widget to capture; it is shown before the capture.
    std::function<std::unique_ptr<QWidget>()> make;
    // Polled with the event loop running until it answers true (for content that arrives from
    // other threads); empty means the widget is ready once shown.
    std::function<bool(QWidget&)> ready;
    // Runs after the widget is shown and ready, just before the capture (hover states and such).
    std::function<void(QWidget&)> beforeCapture;
};

// Always true, so that a registration can initialise a static constant.
bool addScreen(Screen screen);
bool addScreen(const QString& name, std::function<std::unique_ptr<QWidget>()> make);

// Every registered screen, sorted by name.
std::vector<Screen> registeredScreens();

}  // namespace velk::screens
