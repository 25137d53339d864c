// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/GIFItem.h"

#include "gif/GIFImage.h"
#include "gif/GIFList.h"

namespace fl {

void TGIFItem::Warn(int severity, const std::string& message)
{
    if (image_)
        image_->DispatchWarning(this, severity, message);
}

void TGIFItem::SaveToPath(const std::string& path)
{
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(path);
}

void TGIFItem::LoadFromPath(const std::string& path)
{
    TMemoryStream stream;
    stream.LoadFromFile(path);
    LoadFromStream(stream);
}

template <class T>
void TGIFList<T>::Warn(int severity, const std::string& message)
{
    if (image_)
        image_->DispatchWarning(nullptr, severity, message);
}

template class TGIFList<TGIFSubImage>;
template class TGIFList<TGIFExtension>;

} // namespace fl
