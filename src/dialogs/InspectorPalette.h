// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector's swatch grid (grdPalette): the frame's local colors
// laid out in a near-square of cells filling the page, one selected; a frame
// without local colors shows the logo and "No Local Palette".
#pragma once

#include <QWidget>
#include <vector>

#include "gif/GIFTypes.h"

namespace fl {

class TLocalPaletteGrid final : public QWidget {
    Q_OBJECT
public:
    explicit TLocalPaletteGrid(QWidget* parent = nullptr);

    // The grid for n entries: rows = floor(sqrt(n)), columns = ceil(n / rows).
    static void Layout(int count, int& rows, int& columns);
    // The entry under a point of a grid of that size, or -1 past the entries
    // (and always without entries).
    static int CellAt(const QPoint& point, const QSize& size, int count);

    // The colors shown; none for a frame without a local palette. The
    // selection is kept when it is still an entry.
    void SetColors(const std::vector<TColor>& colors, bool hasPalette);
    bool HasPalette() const { return hasPalette_; }
    const std::vector<TColor>& Colors() const { return colors_; }
    // -1 when nothing is selected.
    int Selected() const { return selected_; }
    void Select(int index);
    QRect CellRect(int index) const;

signals:
    // A click (left or right button) on an entry selected it.
    void CellChosen(int index);
    void CellDoubleClicked(int index);
    void MenuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::vector<TColor> colors_;
    bool hasPalette_ = false;
    int selected_ = -1;
};

} // namespace fl
