// SPDX-License-Identifier: GPL-3.0-or-later
// A band of color steps from one color to another, and the same band with
// an icon and a caption: the section headers of dialogs and wizards.
#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QWidget>
#include <vector>

namespace fl {

enum class TGradientOrientation { goHorizontal, goVertical };

// The colors of the steps: step i of n mixes the two colors as
// MulDiv(n - i - 1, top, n - 1) + MulDiv(i, bottom, n - 1) per component.
// One step is the top color; zero steps are none.
std::vector<QColor> GradientSteps(const QColor& top, const QColor& bottom, int numColors);

class TGradient : public QWidget {
    Q_OBJECT
public:
    explicit TGradient(QWidget* parent = nullptr);

    QColor ColorTop() const { return colorTop_; }
    void SetColorTop(const QColor& color);
    QColor ColorBottom() const { return colorBottom_; }
    void SetColorBottom(const QColor& color);
    int NumColors() const { return numColors_; }
    // 0..255, as the step count is stored in a byte.
    void SetNumColors(int count);
    TGradientOrientation Orientation() const { return orientation_; }
    void SetOrientation(TGradientOrientation orientation);

    // The step colors painted, built on first use after a change.
    const std::vector<QColor>& Steps() const;

    QSize sizeHint() const override { return {100, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void PaintBand(QPainter& painter) const;

private:
    void Invalidate();

    QColor colorTop_;
    QColor colorBottom_;
    int numColors_ = 64;
    TGradientOrientation orientation_ = TGradientOrientation::goHorizontal;
    mutable std::vector<QColor> steps_;
    mutable bool stepsValid_ = false;
};

class TGradientLabel : public TGradient {
    Q_OBJECT
public:
    explicit TGradientLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // The images to choose from, and the one shown (-1: none).
    void SetImageList(const QList<QIcon>& images);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // Height of the text "Pq" plus 8: the label fits its font.
    int FittingHeight() const;

    QSize sizeHint() const override { return {100, FittingHeight()}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString caption_;
    QList<QIcon> images_;
    int imageIndex_ = -1;
};

} // namespace fl
