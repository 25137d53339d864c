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
#include <utility>
#include <vector>

#include "editing/ThumbnailFolder.h"

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
    // Room for this many thumbnails; throws std::bad_alloc.
    void Reserve(size_t count) { cells_.reserve(count); }
    // Adds a thumbnail: its record, its place in the scanned file list and
    // its picture (at most CellSize() + 1 on a side, drawn centred).
    void Append(const TThumbnailRecord& record, int fileIndex, const QImage& picture);
    // Gives a thumbnail its picture again after the cache dropped it.
    void Refill(int fileIndex, const QImage& picture);
    int Count() const { return static_cast<int>(cells_.size()); }
    const TThumbnailRecord& Record(int index) const { return cells_.at(static_cast<size_t>(index)).Record; }
    bool HasPicture(int index) const { return !cells_.at(static_cast<size_t>(index)).Picture.isNull(); }

    // The pictures kept: beyond this many bytes those farthest from the
    // visible rows are dropped, and made again when scrolled into view.
    void SetPictureBudget(size_t bytes);
    size_t PictureBytes() const { return pictureBytes_; }

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
    // A visible thumbnail whose picture the cache dropped.
    void PictureWanted(int fileIndex);
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
    struct TCell {
        TThumbnailRecord Record;
        int FileIndex = 0;
        QImage Picture;
        bool Wanted = false;
    };
    void UpdateScrollRange();
    void StartDrag();
    void KeepPicture(TCell& cell, const QImage& picture);
    // Drops pictures, farthest from the visible rows first, down to three
    // quarters of the budget.
    void TrimPictures();
    // The first and one past the last index drawn in the viewport.
    std::pair<int, int> VisibleRange() const;

    int cell_ = 75;
    std::vector<TCell> cells_;
    size_t pictureBytes_ = 0;
    size_t pictureBudget_ = 96u << 20;
    int selected_ = -1;
    bool dragPending_ = false;
    QPoint dragStart_;
};

} // namespace fl
