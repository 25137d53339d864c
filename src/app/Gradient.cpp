// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Gradient.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/MulDiv.h"

namespace fl {

namespace {

constexpr int IconSize = 16;

int Mix(int steps, int i, int top, int bottom)
{
    const int value = MulDiv(steps - i - 1, top, steps - 1) + MulDiv(i, bottom, steps - 1);
    return std::clamp(value, 0, 255);
}

} // namespace

std::vector<QColor> GradientSteps(const QColor& top, const QColor& bottom, int numColors)
{
    std::vector<QColor> steps;
    if (numColors <= 0)
        return steps;
    // A single step has no second color to mix towards (the divisor would be
    // zero): it is the top color.
    if (numColors == 1) {
        steps.push_back(QColor(top.red(), top.green(), top.blue()));
        return steps;
    }
    steps.reserve(size_t(numColors));
    for (int i = 0; i < numColors; ++i)
        steps.emplace_back(Mix(numColors, i, top.red(), bottom.red()),
                           Mix(numColors, i, top.green(), bottom.green()),
                           Mix(numColors, i, top.blue(), bottom.blue()));
    return steps;
}

TGradient::TGradient(QWidget* parent)
    : QWidget(parent), colorTop_(palette().color(QPalette::Dark)),
      colorBottom_(palette().color(QPalette::Button))
{
    // Every pixel is painted by the bands: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 40);
}

void TGradient::SetColorTop(const QColor& color)
{
    if (color != colorTop_) {
        colorTop_ = color;
        Invalidate();
    }
}

void TGradient::SetColorBottom(const QColor& color)
{
    if (color != colorBottom_) {
        colorBottom_ = color;
        Invalidate();
    }
}

void TGradient::SetNumColors(int count)
{
    count = std::clamp(count, 0, 255);
    if (count != numColors_) {
        numColors_ = count;
        Invalidate();
    }
}

void TGradient::SetOrientation(TGradientOrientation orientation)
{
    if (orientation != orientation_) {
        orientation_ = orientation;
        update();
    }
}

const std::vector<QColor>& TGradient::Steps() const
{
    if (!stepsValid_) {
        steps_ = GradientSteps(colorTop_, colorBottom_, numColors_);
        stepsValid_ = true;
    }
    return steps_;
}

void TGradient::Invalidate()
{
    stepsValid_ = false;
    steps_.clear();
    update();
}

void TGradient::PaintBand(QPainter& painter) const
{
    const std::vector<QColor>& steps = Steps();
    const int n = static_cast<int>(steps.size());
    // Without steps nothing would cover the widget, which erases nothing.
    if (n == 0)
        painter.fillRect(rect(), palette().color(QPalette::Window));
    const bool vertical = orientation_ == TGradientOrientation::goVertical;
    const int extent = vertical ? height() : width();
    int from = 0;
    for (int i = 0; i < n; ++i) {
        const int to = MulDiv(extent, i + 1, n);
        const QRect band =
            vertical ? QRect(0, from, width(), to - from) : QRect(from, 0, to - from, height());
        painter.fillRect(band, steps[size_t(i)]);
        from = to;
    }
}

void TGradient::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBand(painter);
}

TGradientLabel::TGradientLabel(QWidget* parent) : TGradient(parent)
{
    // Like a label read from a form, the band fits its font.
    resize(width(), FittingHeight());
}

void TGradientLabel::SetCaption(const QString& caption)
{
    if (caption != caption_) {
        caption_ = caption;
        update();
    }
}

void TGradientLabel::SetImageList(const QList<QIcon>& images)
{
    images_ = images;
    update();
}

void TGradientLabel::SetImageIndex(int index)
{
    if (index != imageIndex_) {
        imageIndex_ = index;
        update();
    }
}

int TGradientLabel::FittingHeight() const
{
    // The text height of "Pq" is the font's full cell height.
    return QFontMetrics(font()).height() + 8;
}

void TGradientLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        resize(width(), FittingHeight());
    TGradient::changeEvent(event);
}

void TGradientLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBand(painter);
    QRect textArea = rect();
    if (imageIndex_ >= 0 && imageIndex_ < images_.size()) {
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        const QPixmap image =
            images_[imageIndex_].pixmap(QSize(IconSize, IconSize), devicePixelRatioF(), mode);
        painter.drawPixmap(2, (height() - IconSize) / 2, image);
        textArea.setLeft(2 + IconSize + 4);
    }
    if (caption_.isEmpty())
        return;
    textArea.adjust(2, 2, -2, -2);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = QFontMetrics(font()).elidedText(caption_, Qt::ElideRight, textArea.width());
    painter.drawText(textArea, static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                     shown);
}

} // namespace fl
