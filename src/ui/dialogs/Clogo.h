#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

namespace velk::ui {

// The program's logo on the form, drawn stretched into a fixed rectangle of this window with
// white as the transparent colour.
class Clogo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kImageWidth = 1200;
    static constexpr int kImageHeight = 208;
    static constexpr QRect kTarget{100, 0, 296, 55};

    explicit Clogo(QWidget* parent = nullptr);

    // The logo picture on a white background, as the bitmap would hold it.
    static QImage logoImage();
    // The same picture with every pure white pixel made transparent.
    static const QPixmap& logoPixmap();
    // The panel mark of the logo alone, for window icons and the about box.
    static QPixmap panelMark(int size);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velk::ui
