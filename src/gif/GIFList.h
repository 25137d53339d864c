// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl {

class TGIFImage;

// An ordered list that owns its items. Deleting an item frees it; removing it
// hands it back to the caller.
template <class T>
class TGIFList {
public:
    explicit TGIFList(TGIFImage* image) : image_(image) {}
    virtual ~TGIFList() = default;
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    TGIFImage* Image() const { return image_; }
    int Count() const { return static_cast<int>(items_.size()); }
    T* Item(int index) const
    {
        CheckIndex(index);
        return items_[static_cast<size_t>(index)].get();
    }
    T* operator[](int index) const { return Item(index); }
    int IndexOf(const T* item) const
    {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == item)
                return static_cast<int>(i);
        return -1;
    }

    int Append(std::unique_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    void Insert(int index, std::unique_ptr<T> item)
    {
        if (index < 0 || index > Count())
            throw GIFException("List index out of bounds");
        items_.insert(items_.begin() + index, std::move(item));
    }
    void Move(int from, int to)
    {
        CheckIndex(from);
        CheckIndex(to);
        auto item = std::move(items_[static_cast<size_t>(from)]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
    }
    void Delete(int index)
    {
        CheckIndex(index);
        // Unlink first so that the item's destructor sees a consistent list.
        auto item = std::move(items_[static_cast<size_t>(index)]);
        items_.erase(items_.begin() + index);
        item.reset();
    }
    std::unique_ptr<T> Remove(T* item)
    {
        const int index = IndexOf(item);
        if (index < 0)
            return nullptr;
        auto owned = std::move(items_[static_cast<size_t>(index)]);
        items_.erase(items_.begin() + index);
        return owned;
    }
    void ClearAll()
    {
        // From the back, so that each deletion takes constant time; every
        // item's destructor still sees the items before it in their places.
        while (!items_.empty()) {
            auto item = std::move(items_.back());
            items_.pop_back();
            item.reset();
        }
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    virtual void Warn(int severity, const std::string& message);
    virtual void WriteAll(TStream& stream) = 0;

protected:
    void CheckIndex(int index) const
    {
        if (index < 0 || index >= Count())
            throw GIFException("List index out of bounds");
    }

    std::vector<std::unique_ptr<T>> items_;

private:
    TGIFImage* image_;
};

} // namespace fl
