#include "ui/dialogs/Clogo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velk::ui {
namespace {

const QColor kNavy(24, 64, 124);
const QColor kKey(214, 226, 242);
const QColor kAccent(226, 76, 44);
const QColor kGrey(88, 94, 104);

// A wall panel seen from the front: a rounded plate with two columns of four keys.
void drawPanelMark(QPainter& painter, const QRectF& box) {
    painter.save();
    qreal unit = box.width() / 20.0;
    QLinearGradient plate(box.topLeft(), box.bottomRight());
    plate.setColorAt(0.0, kNavy.lighter(130));
    plate.setColorAt(1.0, kNavy);
    painter.setPen(Qt::NoPen);
    painter.setBrush(plate);
    painter.drawRoundedRect(box, 3 * unit, 3 * unit);
    painter.setBrush(kKey);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            QRectF key(box.left() + (3 + column * 7.5) * unit, box.top() + (2.5 + row * 4) * unit, 6.5 * unit,
                       3 * unit);
            painter.drawRoundedRect(key, unit, unit);
        }
    }
    painter.setBrush(kAccent);
    painter.drawEllipse(QPointF(box.center().x(), box.bottom() - 1.4 * unit), 0.7 * unit, 0.7 * unit);
    painter.restore();
}

}  // namespace

Clogo::Clogo(QWidget* parent) : QWidget(parent) {}

QImage Clogo::logoImage() {
    QImage image(kImageWidth, kImageHeight, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawPanelMark(painter, QRectF(16, 12, 184, 184));

    QFont big(QStringLiteral("Noto Sans CJK SC"));
    big.setPixelSize(150);
    big.setBold(true);
    painter.setFont(big);
    painter.setPen(kNavy);
    painter.drawText(QRect(228, 0, 360, kImageHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("RVK"));

    QFont small = big;
    small.setPixelSize(64);
    small.setBold(false);
    painter.setFont(small);
    painter.setPen(kGrey);
    painter.drawText(QRect(600, 22, 590, 90), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("panel config"));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRect(QRect(604, 120, 576, 10));
    QFont tag = small;
    tag.setPixelSize(44);
    tag.setBold(true);
    painter.setFont(tag);
    painter.setPen(kNavy);
    painter.drawText(QRect(604, 136, 576, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TAV8"));
    return image;
}

const QPixmap& Clogo::logoPixmap() {
    static const QPixmap pixmap = [] {
        QImage image = logoImage();
        // White is the transparent colour of the logo.
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xffffffu) == 0xffffffu) {
                    line[x] = qRgba(255, 255, 255, 0);
                }
            }
        }
        return QPixmap::fromImage(image);
    }();
    return pixmap;
}

QPixmap Clogo::panelMark(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPanelMark(painter, QRectF(0, 0, size, size));
    return pixmap;
}

void Clogo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(kTarget, logoPixmap());
}

}  // namespace velk::ui
