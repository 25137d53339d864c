// SPDX-License-Identifier: GPL-3.0-or-later
// The program's owner-drawn list box: keeps its horizontal scroll extent as
// wide as its widest entry ("XX" added, plus a tab width), shows a caption
// while empty, and lets its owner draw every item (the frame list draws
// frame cards).
#pragma once

#include <QColor>
#include <QListWidget>
#include <QString>
#include <functional>

namespace fl {

class THorizontalExtent;

class TFLListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFLListBox(QWidget* parent = nullptr);
    ~TFLListBox() override;

    QString CaptionText() const;
    void SetCaptionText(const QString& text);
    // The horizontal scroll extent in pixels.
    int CurrentWidth() const;
    void SetCurrentWidth(int width);
    QColor BrushColor, HighlightColor, SelTextColor;
    bool DrawOutlineRect = false;

    // Draws item `index` into `rect`; `selected` and `focused` give its
    // state. Unset: the item's text on the brush (or highlight) color.
    std::function<void(QPainter& painter, int index, const QRect& rect, bool selected, bool focused)>
        OnDrawItem;

    // Height of every item; 0 keeps the height the text needs.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    // The item drawing request: brush and text color for the state, then
    // OnDrawItem or the default drawing, then the focus rectangle.
    void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected, bool focused);

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;

private:
    THorizontalExtent* extent_ = nullptr;
    QString captionText_;
    int itemHeight_ = 0;
};

} // namespace fl
