#include "session/LinkNotice.h"

namespace velk {

const char* const kLinkLostNotice = "与面板的连接已断开";

std::string connectFailureNotice(ConnectFailure failure, const std::string& detail) {
    switch (failure) {
        case ConnectFailure::None:
        case ConnectFailure::Cancelled:
            return {};
        case ConnectFailure::Refused:
            return "无法连接：连接被拒绝";
        case ConnectFailure::TimedOut:
            return "无法连接：面板无应答（超时）";
        case ConnectFailure::Unreachable:
            return "无法连接：网络或地址不可达";
        case ConnectFailure::BadAddress:
            return "无法连接：地址或端口无效";
        case ConnectFailure::Other:
            break;
    }
    return "无法连接：" + detail;
}

}  // namespace velk
