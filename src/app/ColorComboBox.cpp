// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColorComboBox.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <array>

namespace fl {

namespace {

constexpr int ColorRole = Qt::UserRole;

// The drop-down list draws its entries as the box does.
class TColorEntryDelegate final : public QStyledItemDelegate {
public:
    explicit TColorEntryDelegate(TColorComboBox& box) : QStyledItemDelegate(&box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        box_.DrawEntry(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width() + box_.ColorWidth() + 4,
                box_.EntryHeight()};
    }

private:
    TColorComboBox& box_;
};

struct TNamedColor {
    const char* Name;
    uint32_t Value;
};

constexpr std::array<TNamedColor, 16> StandardColors = {{
    {"Aqua", 0xFFFF00},
    {"Black", 0x000000},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Gray", 0x808080},
    {"Green", 0x008000},
    {"Lime", 0x00FF00},
    {"Maroon", 0x000080},
    {"Navy", 0x800000},
    {"Olive", 0x008080},
    {"Purple", 0x800080},
    {"Red", 0x0000FF},
    {"Silver", 0xC0C0C0},
    {"Teal", 0x808000},
    {"White", 0xFFFFFF},
    {"Yellow", 0x00FFFF},
}};

} // namespace

QColor ColorFromValue(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t ValueFromColor(const QColor& color)
{
    return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new TColorEntryDelegate(*this));
}

void TColorComboBox::SetColorWidth(int width)
{
    // A swatch narrower than its frame would show no color.
    if (width < 5 || width == colorWidth_)
        return;
    colorWidth_ = width;
    update();
}

void TColorComboBox::SetSortBy(TColorSort sort)
{
    if (sort == sortBy_)
        return;
    sortBy_ = sort;
    if (sort == TColorSort::ccsUnsorted || count() < 2)
        return;
    const int64_t selected = SelectedColor();
    for (int i = 0; i < count() - 1; ++i)
        for (int j = i + 1; j < count(); ++j)
            if (Greater(i, j))
                SwapEntries(i, j);
    if (selected >= 0)
        SelectColor(uint32_t(selected));
    update();
}

bool TColorComboBox::Greater(int a, int b) const
{
    if (sortBy_ == TColorSort::ccsColor)
        return ColorAt(a) > ColorAt(b);
    return itemText(a).toLower().compare(itemText(b).toLower()) > 0;
}

void TColorComboBox::SwapEntries(int a, int b)
{
    const QString text = itemText(a);
    const QVariant value = itemData(a, ColorRole);
    setItemText(a, itemText(b));
    setItemData(a, itemData(b, ColorRole), ColorRole);
    setItemText(b, text);
    setItemData(b, value, ColorRole);
}

bool TColorComboBox::Before(const QString& name, uint32_t color, int index) const
{
    if (sortBy_ == TColorSort::ccsColor)
        return ColorAt(index) > color;
    return itemText(index).toLower().compare(name.toLower()) > 0;
}

int TColorComboBox::AddColor(const QString& name, uint32_t color)
{
    int index = count();
    if (sortBy_ != TColorSort::ccsUnsorted)
        for (int i = 0; i < count(); ++i)
            if (Before(name, color, i)) {
                index = i;
                break;
            }
    insertItem(index, name, QVariant::fromValue(color));
    return index;
}

void TColorComboBox::AddStandardColors(uint32_t defaultColor)
{
    AddColor(QStringLiteral("Default"), defaultColor);
    for (const TNamedColor& color : StandardColors)
        AddColor(QString::fromLatin1(color.Name), color.Value);
}

uint32_t TColorComboBox::ColorAt(int index) const
{
    return itemData(index, ColorRole).value<uint32_t>();
}

int64_t TColorComboBox::SelectedColor() const
{
    const int index = currentIndex();
    return index < 0 ? -1 : int64_t(ColorAt(index));
}

bool TColorComboBox::SelectColor(uint32_t color)
{
    for (int i = 0; i < count(); ++i)
        if (ColorAt(i) == color) {
            setCurrentIndex(i);
            return true;
        }
    return false;
}

int TColorComboBox::EntryHeight() const
{
    return fontMetrics().height() + 2;
}

void TColorComboBox::DrawEntry(QPainter& painter, int index, const QRect& rect, bool selected) const
{
    const QColor background = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    const QColor text = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter.fillRect(rect, background);
    if (index < 0 || index >= count())
        return;
    // The swatch covers (left + 1, top + 1) up to, not including, the right
    // and bottom edges at ColorWidth - 1 and the item height - 1.
    painter.setPen(text);
    painter.setBrush(ColorFromValue(ColorAt(index)));
    painter.drawRect(rect.left() + 1, rect.top() + 1, colorWidth_ - 3, rect.height() - 3);
    painter.setBrush(Qt::NoBrush);
    const QRect textRect(rect.left() + colorWidth_ + 4, rect.top(), rect.width() - colorWidth_ - 4,
                         rect.height());
    painter.drawText(textRect, static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                     itemText(index));
}

void TColorComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawEntry(painter, currentIndex(), field, false);
}

} // namespace fl
