#pragma once

#include <string>

#include "device/TcpSocket.h"

namespace velk {

// What the form says next to the address fields about the link (UTF-8): why a connection attempt
// failed, or that the panel's connection was lost. Empty for a failure the user caused (a
// cancelled attempt), which needs no word.
std::string connectFailureNotice(ConnectFailure failure, const std::string& detail);
extern const char* const kLinkLostNotice;

}  // namespace velk
