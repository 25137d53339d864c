// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser's grid (grdThumbs): one cell per thumbnail, in rows
// that fill the panel's width, each with the picture, its size and the
// file name. A thumbnail is selected by clicking, opened by a double click,
// and dragged into the frame list, the workspace or a document view.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "document/ThumbnailFolder.h"

namespace fl {

class TThumbnailGrid final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TThumbnailGrid(QWidget* parent = nullptr);

    // The side of a thumbnail's square (the thumbnail size).
    int CellSize() const { return cell_; }
    void SetCellSize(int size);

    // Empties the grid.
    void Clear();
    // Adds a thumbnail: its record and its picture, CellSize() square.
    void Append(const TThumbnailRecord& record, const QImage& picture);
    int Count() const { return static_cast<int>(records_.size()); }
    const TThumbnailRecord& Record(int index) const { return records_.at(static_cast<size_t>(index)); }

    // -1 when none is.
    int Selected() const { return selected_; }
    void Select(int index);

    int ColumnWidth() const;
    int Columns() const;
    int Rows() const;
    // The thumbnail under a point of the viewport, or -1.
    int ThumbnailAt(const QPoint& point) const;
    // A cell's place in the viewport.
    QRect CellRect(int index) const;

    // The full path of a thumbnail's file, for drags.
    std::function<std::string(int index)> PathOf;

signals:
    // The status text for the selected or pressed cell (empty off the
    // thumbnails).
    void StatusChanged(const QString& text);
    void OpenRequested(int index);
    void MenuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateScrollRange();
    void StartDrag();

    int cell_ = 75;
    std::vector<TThumbnailRecord> records_;
    std::vector<QImage> pictures_;
    int selected_ = -1;
    bool dragPending_ = false;
    QPoint dragStart_;
};

} // namespace fl
