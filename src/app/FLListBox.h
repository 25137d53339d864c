// SPDX-License-Identifier: GPL-3.0-or-later
// The program's owner-drawn list box: keeps its horizontal scroll extent as
// wide as its widest entry ("XX" added, plus a tab width), shows a caption
// while empty, and lets its owner draw every item (the frame list draws
// frame cards). The selected item can be dragged onto another item to ask
// for a move; the list itself moves nothing.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QListWidget>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class QMimeData;

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

    // Mime type of an item dragged from a list; the data names the list, so
    // a list takes only its own items back.
    static constexpr const char* ItemMimeType = "application/x-frameloom-frame";
    // Pixels the mouse moves with the left button held on the selected item
    // before its drag starts.
    static constexpr int DragThreshold = 10;
    // The data an item drag from this list carries.
    std::unique_ptr<QMimeData> CreateDragData() const;
    bool IsOwnDrag(const QMimeData& mime) const;
    // Cursor shown while an item is moved; a null pixmap keeps the system's.
    void SetDragCursor(const QPixmap& cursor) { dragCursor_ = cursor; }

    // Drags that did not start in this list: whether one may drop over item
    // `index` (-1 when not over an item). Unset: refused.
    std::function<bool(const QMimeData& mime, int index)> AcceptsForeignDrag;
    // An accepted foreign drag was dropped over item `index` (-1 when not
    // over an item).
    std::function<void(const QMimeData& mime, int index)> OnForeignDrop;

signals:
    // The right button went down over item `index`, which is selected now;
    // the context menu comes after.
    void RightPressed(int index);
    // The selected item `from` was dragged onto item `to` (to != from).
    void ItemMoveRequested(int from, int to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Runs the drag of the selected item; returns when it is dropped or
    // cancelled.
    virtual void StartItemDrag();

private:
    QByteArray DragSource() const;
    int ItemAt(const QPointF& position) const;
    bool AcceptsDrop(const QMimeData& mime, int index) const;

    THorizontalExtent* extent_ = nullptr;
    QString captionText_;
    int itemHeight_ = 0;
    QPixmap dragCursor_;
    bool dragPending_ = false;
    QPoint dragStart_;
};

} // namespace fl
