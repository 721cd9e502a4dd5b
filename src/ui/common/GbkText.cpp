#include "ui/common/GbkText.h"

#include "model/Gbk.h"

namespace velk::ui {

QString fromGbk(const std::string& gbk) {
    return QString::fromStdString(gbkToUtf8Lossy(gbk));
}

std::optional<std::string> toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}

}  // namespace velk::ui
