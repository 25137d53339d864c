// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/CommandSupport.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "document/CommandError.h"
#include "editing/EditorHost.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl {

namespace {

// Gives a variable another value for the lifetime of this object.
template <class T> class TScopedValue {
public:
    TScopedValue(T& variable, T value)
        : variable_(variable), saved_(std::exchange(variable, std::move(value)))
    {
    }
    ~TScopedValue() { variable_ = std::move(saved_); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

} // namespace

TGIFImage& RequireActiveAnimation(TEditorHost& host)
{
    TGIFImage* image = host.ActiveAnimation();
    if (!image)
        throw ECommandError("No active animation");
    return *image;
}

void ThrowUnknownActionType(const char* className)
{
    throw ECommandError(std::string("Unknown Action Type from ") + className + "!");
}

TAnimationSnapshot::TAnimationSnapshot(TGIFImage& image, const TProgressEvent& progress)
    : path_(MakeTempFileName(TempFolder(), TempFilePrefix))
{
    if (path_.empty())
        throw ECommandError("TempFile name is empty");
    // The animation is written as it is rather than through a copy: copying
    // drops the extensions of a frame without an image (those after the last
    // image), and the file must hold everything. Its progress goes to the
    // given handler, not to the document's.
    TScopedValue<TProgressEvent> reportTo(image.OnProgress, progress);
    try {
        image.SaveToFile(path_);
    } catch (...) {
        std::remove(path_.c_str());
        throw;
    }
}

TAnimationSnapshot::~TAnimationSnapshot()
{
    std::remove(path_.c_str());
}

void TAnimationSnapshot::ReadInto(TGIFImage& scratch) const
{
    scratch.LoadFromFile(path_);
}

void TAnimationSnapshot::RestoreInto(TGIFImage& target) const
{
    TMemoryStream stream;
    stream.LoadFromFile(path_);
    // Checked in a scratch animation first, so that a file that fails to
    // load leaves the target alone. The target then reads the file itself:
    // copying the scratch animation over would drop extensions.
    TGIFImage scratch;
    scratch.LoadFromStream(stream);
    stream.SetPosition(0);
    // The user saw the file's warnings when it was opened.
    TScopedValue<TGIFWarning> silent(target.WarningHandler, nullptr);
    target.LoadFromStream(stream);
}

} // namespace fl
