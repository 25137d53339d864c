// SPDX-License-Identifier: GPL-3.0-or-later
// A label that can also show a picture stretched to its own size, scaled
// while painting: only the part on screen is drawn, whatever the zoom, and
// enlarged pixels stay sharp blocks.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <utility>

namespace fl {

class TScaledPictureLabel final : public QLabel {
public:
    using QLabel::QLabel;

    void SetPicture(QImage picture)
    {
        picture_ = std::move(picture);
        update();
    }
    void ClearPicture() { SetPicture(QImage()); }
    // The picture as given, before it is stretched.
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (picture_.isNull()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, width() < picture_.width());
        painter.drawImage(rect(), picture_);
    }

private:
    QImage picture_;
};

} // namespace fl
