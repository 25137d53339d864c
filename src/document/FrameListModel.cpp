// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FrameListModel.h"

#include <stdexcept>

#include "editing/ThumbnailFolder.h"
#include "platform/Canvas.h"

namespace fl {

TFrameListItem TFrameListModel::MakeItem(const std::string& caption, const TBitmap& picture) const
{
    TFrameListItem item;
    item.Caption = caption;
    item.FrameWidth = picture.Width();
    item.FrameHeight = picture.Height();
    int width = 0;
    int height = 0;
    ThumbnailSize(picture.Width(), picture.Height(), bound_, width, height);
    if (width > 0 && height > 0) {
        item.Thumbnail = TBitmap(width, height, TPixelFormat::pf32bit);
        TCanvas canvas(item.Thumbnail);
        canvas.StretchDraw({0, 0, width, height}, picture);
    }
    return item;
}

void TFrameListModel::CheckIndex(int index, int count) const
{
    if (index < 0 || index >= count)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

void TFrameListModel::EndUpdate()
{
    if (updating_ > 0 && --updating_ == 0 && changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        if (OnChanged)
            OnChanged();
    }
}

void TFrameListModel::Changed()
{
    if (updating_ > 0)
        changedWhileUpdating_ = true;
    else if (OnChanged)
        OnChanged();
}

void TFrameListModel::MoveItem(int from, int to)
{
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    TFrameListItem item = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Changed();
}

void TFrameListModel::DeleteItem(int index)
{
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
    if (selected_ >= Count())
        selected_ = Count() - 1;
    Changed();
}

void TFrameListModel::InsertItem(int index, const std::string& caption, const TBitmap& picture)
{
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, MakeItem(caption, picture));
    Changed();
}

void TFrameListModel::ReplaceThumbnail(int index, const TBitmap& picture)
{
    CheckIndex(index, Count());
    TFrameListItem& item = items_[static_cast<size_t>(index)];
    item = MakeItem(item.Caption, picture);
    Changed();
}

void TFrameListModel::Select(int index)
{
    // Selecting outside the list selects nothing, as a list box does.
    const int selected = index >= 0 && index < Count() ? index : -1;
    if (selected == selected_)
        return;
    selected_ = selected;
    if (OnSelect)
        OnSelect(selected_);
}

void TFrameListModel::RefreshSelected()
{
    if (selected_ >= 0 && OnRefreshSelected)
        OnRefreshSelected(selected_);
}

void TFrameListModel::Clear()
{
    items_.clear();
    selected_ = -1;
    Changed();
}

} // namespace fl
