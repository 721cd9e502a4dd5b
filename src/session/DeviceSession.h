#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/PacingClock.h"
#include "device/PanelNetwork.h"
#include "device/Replies.h"
#include "model/UiPoster.h"
#include "session/ProjectSession.h"
#include "session/SessionObserver.h"

namespace velk {

class PanelLink;

// The form's device side without widgets: the panel link, writing, reading, the panel's network
// settings and infrared learning. User-interface thread only, apart from the threads it owns.
class DeviceSession {
public:
    DeviceSession(ProjectSession& project, SessionObserver& observer, UiPoster& poster, PacingClock& clock);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // 连接 / 断开 with the address of the form's IP control and the port edit's text.
    void connectOrDisconnect(uint32_t panelIp, const std::string& portText);
    LinkState linkState() const { return m_linkState; }

    void write();                // 写入
    void read();                 // 读取
    void requestPanelNetwork();  // 网络设置
    // After the dialog's OK: sends only what changed, in the fixed order.
    void applyPanelNetwork(const PanelNetworkReply& panel, const PanelNetworkSettings& edited);
    void learnIr(const std::string& idText);  // 红外学习

    // WM_LINK_*, WM_WRITE_* from the link and writer threads.
    void handle(const ViewMessage& message);

    int writeAck() const { return m_writeAck.load(); }
    bool writing() const;

    // Closes the link and joins every thread this session started.
    void shutdown();

private:
    ProjectSession& m_project;
    SessionObserver& m_observer;
    UiPoster& m_poster;
    PacingClock& m_clock;
    std::unique_ptr<PanelLink> m_link;
    LinkState m_linkState = LinkState::Closed;
    std::atomic<int> m_writeAck{0};
};

}  // namespace velk
