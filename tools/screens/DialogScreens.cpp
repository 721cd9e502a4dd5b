// Screens of the small dialogs, the about box and the logo, filled with typical values.
#include <QApplication>
#include <QEnterEvent>

#include "ScreenRegistry.h"
#include "model/Gbk.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CAddCommandDlg.h"
#include "ui/dialogs/CAddEnumDialog.h"
#include "ui/dialogs/CAddNet.h"
#include "ui/dialogs/CAddVariableDialog.h"
#include "ui/dialogs/CHyperLink.h"
#include "ui/dialogs/CSetIpDialog.h"
#include "ui/dialogs/CSetTimeDlg.h"
#include "ui/dialogs/CWritingTip.h"
#include "ui/dialogs/Clogo.h"

namespace {

using velk::screens::addScreen;
using velk::screens::Screen;
using namespace velk::ui;

std::string gbk(const char* utf8) {
    return velk::utf8ToGbk(utf8).value_or(std::string());
}

constexpr uint32_t ipv4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

const bool registered[] = {
    addScreen(
        QStringLiteral("dialog-enum-ascii"),
        [] {
            auto dialog = std::make_unique<CAddEnumDialog>();
            dialog->setRecord(velk::EnumVariable{2, velk::kAscii, {gbk("开机"), gbk("关机"), "standby"}}, 1);
            return std::unique_ptr<QWidget>(std::move(dialog));
        }),
    addScreen(
        QStringLiteral("dialog-enum-hex"),
        [] {
            auto dialog = std::make_unique<CAddEnumDialog>();
            dialog->setRecord(velk::EnumVariable{3, velk::kHex, {"01 02 ab ff", "ff", "0a", "10 20"}}, 2);
            return std::unique_ptr<QWidget>(std::move(dialog));
        }),
    addScreen(QStringLiteral("dialog-variable"),
              [] {
                  auto dialog = std::make_unique<CAddVariableDialog>();
                  dialog->setRecord(velk::Variable{5, 0, 20, 100, 1}, 4);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-net-target"),
              [] {
                  auto dialog = std::make_unique<CAddNet>();
                  dialog->setRecord(velk::NetTarget{ipv4(192, 168, 1, 20), 5000, 6}, 5);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-time"),
              [] {
                  auto dialog = std::make_unique<CSetTimeDlg>();
                  velk::EventSettings settings;
                  settings.timeEnable = 1;
                  settings.time = 300;
                  dialog->setSettings(settings);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-append"),
              [] {
                  auto dialog = std::make_unique<CAddCommandDlg>();
                  velk::EventSettings settings;
                  settings.addEnable = 1;
                  settings.addIsSend = 1;
                  settings.addString = gbk("PLAY-1 播放");
                  dialog->setSettings(settings);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-append-off"),
              [] {
                  auto dialog = std::make_unique<CAddCommandDlg>();
                  velk::EventSettings settings;
                  settings.addString = "STOP";
                  dialog->setSettings(settings);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-writing"),
              [] {
                  auto dialog = std::make_unique<CWritingTip>();
                  dialog->setPosition(180);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-panel-network"),
              [] {
                  auto dialog = std::make_unique<CSetIpDialog>();
                  velk::PanelNetworkReply reply;
                  reply.ip = ipv4(192, 168, 1, 165);
                  reply.mask = ipv4(255, 255, 255, 0);
                  reply.gateway = ipv4(192, 168, 1, 1);
                  reply.mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xfe};
                  reply.tcpPort = 4800;
                  reply.udpPort = 4801;
                  dialog->setPanelValues(reply);
                  return std::unique_ptr<QWidget>(std::move(dialog));
              }),
    addScreen(QStringLiteral("dialog-about"),
              [] { return std::unique_ptr<QWidget>(std::make_unique<CAboutDlg>()); }),
    addScreen(Screen{QStringLiteral("dialog-about-link-hover"),
                     [] { return std::unique_ptr<QWidget>(std::make_unique<CAboutDlg>()); },
                     {},
                     [](QWidget& widget) {
                         CHyperLink* link = static_cast<CAboutDlg&>(widget).link();
                         QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
                         QApplication::sendEvent(link, &enter);
                     }}),
    addScreen(QStringLiteral("logo"),
              [] {
                  // The logo over the form's face colour, as the form shows it.
                  auto face = std::make_unique<QWidget>();
                  face->setFixedSize(420, 70);
                  auto* logo = new Clogo(face.get());
                  logo->setGeometry(-88, 8, 495, 62);
                  return face;
              }),
};

}  // namespace
