// SPDX-License-Identifier: GPL-3.0-or-later
// The frame list of the active animation as the windows show it: one item
// per listed frame with its caption, a thumbnail and the frame's size, and
// the selected item. Item i stands for frame i of the active animation.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editing/EditorHost.h"
#include "platform/Bitmap.h"

namespace fl {

// Every item's caption.
inline constexpr const char* FrameItemCaption = "Frame";

struct TFrameListItem {
    std::string Caption;
    // The frame's picture scaled to fit the thumbnail bound (kept at its own
    // size when it fits), at 32 bits per pixel.
    TBitmap Thumbnail;
    int FrameWidth = 0;
    int FrameHeight = 0;
};

class TFrameListModel final : public TFrameListView {
public:
    void BeginUpdate() override { ++updating_; }
    void EndUpdate() override;
    // Indices outside the list throw std::out_of_range.
    void MoveItem(int from, int to) override;
    void DeleteItem(int index) override;
    void InsertItem(int index, const std::string& caption, const TBitmap& picture) override;
    void Select(int index) override;
    void RefreshSelected() override;

    void AddItem(const std::string& caption, const TBitmap& picture) { InsertItem(Count(), caption, picture); }
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    const TFrameListItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
    // -1 when nothing is selected.
    int Selected() const { return selected_; }
    bool Updating() const { return updating_ > 0; }

    // Thumbnails made from now on fit this bound (the frame size).
    int ThumbnailBound() const { return bound_; }
    void SetThumbnailBound(int bound) { bound_ = bound; }
    // Makes item i's thumbnail again from the frame's picture.
    void ReplaceThumbnail(int index, const TBitmap& picture);

    // The items changed (told once per outermost update).
    std::function<void()> OnChanged;
    // The selection changed.
    std::function<void(int index)> OnSelect;
    // The selected item asks to be shown again.
    std::function<void(int index)> OnRefreshSelected;

private:
    void Changed();
    TFrameListItem MakeItem(const std::string& caption, const TBitmap& picture) const;
    void CheckIndex(int index, int count) const;

    std::vector<TFrameListItem> items_;
    int selected_ = -1;
    int updating_ = 0;
    bool changedWhileUpdating_ = false;
    int bound_ = 160;
};

} // namespace fl
