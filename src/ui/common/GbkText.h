#pragma once

#include <QString>
#include <optional>
#include <string>

namespace velk::ui {

// The model holds GBK bytes; widgets hold QString. Conversion happens only here.
QString fromGbk(const std::string& gbk);

// Nothing when the text holds a character GBK cannot represent.
std::optional<std::string> toGbk(const QString& text);

}  // namespace velk::ui
