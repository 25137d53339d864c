// SPDX-License-Identifier: GPL-3.0-or-later
// A combo box of named colors, each drawn with a swatch of its color.
// Color values are 0x00BBGGRR, as the settings store them.
#pragma once

#include <QComboBox>
#include <QString>
#include <cstdint>

namespace fl {

enum class TColorSort { ccsUnsorted, ccsColor, ccsText };

class TColorComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorComboBox(QWidget* parent = nullptr);

    // Width of the swatch; values below 5 are ignored.
    int ColorWidth() const { return colorWidth_; }
    void SetColorWidth(int width);
    TColorSort SortBy() const { return sortBy_; }
    // A sorted order re-sorts the entries and keeps the selected color.
    void SetSortBy(TColorSort sort);
    QString Version() const { return QStringLiteral("1.00.00"); }

    // Adds the entry where the sort order puts it; answers its index.
    int AddColor(const QString& name, uint32_t color);
    // "Default" with the given value, then the sixteen standard colors.
    void AddStandardColors(uint32_t defaultColor);
    uint32_t ColorAt(int index) const;
    // The selected entry's color, -1 when nothing is selected.
    int64_t SelectedColor() const;
    // Selects the first entry with that color; false (selection unchanged)
    // when there is none.
    bool SelectColor(uint32_t color);

    // Draws entry `index` into `rect` (the box and its drop-down list).
    void DrawEntry(QPainter& painter, int index, const QRect& rect, bool selected) const;
    int EntryHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool Before(const QString& name, uint32_t color, int index) const;
    bool Greater(int a, int b) const;
    void SwapEntries(int a, int b);

    int colorWidth_ = 18;
    TColorSort sortBy_ = TColorSort::ccsUnsorted;
};

// 0x00BBGGRR to a color and back.
QColor ColorFromValue(uint32_t value);
uint32_t ValueFromColor(const QColor& color);

} // namespace fl
