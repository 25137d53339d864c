// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ImageFileReader.h"

#include <exception>

#include "editing/FileTypes.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"

namespace fl {

int TImagingFileReader::LoadImage(const std::string& path, int fileType, TBitmap& target)
{
    lastError_.clear();
    if (fileType == ftBMP || fileType == ftGIF) {
        try {
            if (fileType == ftBMP) {
                target.LoadFromFile(path);
                return icOK;
            }
            TGIFImage animation;
            animation.LoadFromFile(path);
            if (animation.IsEmpty()) {
                lastError_ = path + ": the animation has no frames";
                return icNoImage;
            }
            animation.CopyToGraphic(target);
            return icOK;
        } catch (const std::exception& error) {
            lastError_ = path + ": " + error.what();
            return icDecodeFailed;
        }
    }
    if (fileType < ftJPG || fileType > ftWPG) {
        lastError_ = ExtractFileName(path) + " is an unrecognized file type";
        return icUnknownType;
    }
    // The control picks its coder from the extension; a type that disagrees
    // with it would read the file as something else.
    if (FileTypeIndex(path) != fileType) {
        lastError_ = path + ": the extension does not match the file type";
        return icUnknownType;
    }
    control_.LoadFile(path);
    if (const int code = control_.ErrorCode(); code != icOK) {
        lastError_ = control_.ErrorText();
        control_.ReleaseImage();
        return code;
    }
    std::vector<uint8_t> dib = control_.CopyAsDIB();
    control_.ReleaseImage();
    if (dib.empty()) {
        lastError_ = path + ": the picture could not be copied";
        return icNoImage;
    }
    try {
        BitmapFromDIB(std::move(dib), target);
    } catch (const std::exception& error) {
        lastError_ = path + ": " + error.what();
        return icDecodeFailed;
    }
    return icOK;
}

} // namespace fl
