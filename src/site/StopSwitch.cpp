#include "site/StopSwitch.h"

#include "device/PanelLink.h"

namespace velk {

void StopSwitch::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped.store(true);
    for (PanelLink* link : m_links) {
        link->interrupt();
    }
}

StopSwitch::Watch::Watch(StopSwitch& stopSwitch, PanelLink& link) : m_switch(stopSwitch), m_link(link) {
    std::lock_guard lock(m_switch.m_mutex);
    m_switch.m_links.insert(&m_link);
    if (m_switch.m_stopped.load()) {
        m_link.interrupt();
    }
}

StopSwitch::Watch::~Watch() {
    std::lock_guard lock(m_switch.m_mutex);
    m_switch.m_links.erase(&m_link);
}

}  // namespace velk
