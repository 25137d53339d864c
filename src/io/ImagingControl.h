// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging control: reads the still images of the file-type table (other
// than GIF and BMP) through ImageMagick and hands the picture out as a packed
// device-independent bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fl {

class TBitmap;

// Error codes of the control; 0 means the last load succeeded.
inline constexpr int icOK = 0;
inline constexpr int icFileNotFound = 1;  // missing or unreadable file
inline constexpr int icUnknownType = 2;   // extension outside the table
inline constexpr int icFileTooLarge = 3;  // more bytes than any picture we take
inline constexpr int icDecodeFailed = 4;  // the coder refused the content
inline constexpr int icImageTooLarge = 5; // size beyond the control's limits
inline constexpr int icNotAuthorized = 6; // a coder or delegate the policy forbids
inline constexpr int icNoImage = 7;       // no image held, or nothing decoded

// Bounds on what one file may make the control allocate. Width and height
// are those the interface can report (16-bit); the others keep a hostile
// file from exhausting the machine.
struct TImagingLimits {
    static constexpr uint64_t MaxFileBytes = 256ull << 20;
    static constexpr uint64_t MaxWidth = 32767;
    static constexpr uint64_t MaxHeight = 32767;
    static constexpr uint64_t MaxPixels = 32ull << 20;
};

// One instance per place that shows or imports pictures. Use it in this
// order: LoadFile, then ErrorCode; only after 0 the size, Resize and
// CopyAsDIB; ReleaseImage when done. Nothing here throws.
class TImagingControl {
public:
    TImagingControl();
    ~TImagingControl();
    TImagingControl(const TImagingControl&) = delete;
    TImagingControl& operator=(const TImagingControl&) = delete;

    // Decodes the file with the coder its extension names in the file-type
    // table; the content is never used to pick another coder. A reduced
    // side lets a coder that can (JPEG) decode at a smaller scale that keeps
    // both sides at least that large; the held image is then smaller than
    // the stored one.
    void LoadFile(const std::string& path, int reducedSide = 0);
    int ErrorCode() const { return error_; }
    // A readable text for the last failure; empty after a success.
    const std::string& ErrorText() const { return errorText_; }

    int ImageWidth() const;
    int ImageHeight() const;
    // The picture's size as the file stores it, whatever scale it was
    // decoded at.
    int StoredWidth() const { return storedWidth_; }
    int StoredHeight() const { return storedHeight_; }
    // Scales the held image to exactly the given size (1..32767 each, within
    // the pixel limit); false, with the image unchanged, when it cannot.
    bool Resize(int width, int height);
    // The same for a small preview: samples a large picture down first and
    // drops its profiles, much faster than Resize for large reductions.
    bool Thumbnail(int width, int height);
    // The held image as a packed DIB (header, color table, pixels): 1 bit
    // for black-and-white pictures, 8-bit gray for gray ones, else 24 bits.
    // Empty when no image is held. Alpha is not carried.
    std::vector<uint8_t> CopyAsDIB();
    void ReleaseImage();

private:
    bool Scale(int width, int height, bool thumbnail);

    struct TImpl;
    std::unique_ptr<TImpl> impl_;
    int error_ = icNoImage;
    std::string errorText_;
    int storedWidth_ = 0;
    int storedHeight_ = 0;
};

// Turns a block from CopyAsDIB into a bitmap: prefixes the 14-byte file
// header and reads the result as a BMP file. Throws EBitmapError on a block
// that is no valid bitmap.
void BitmapFromDIB(std::vector<uint8_t> block, TBitmap& target);

// One picture of an animated image: its rows top to bottom, 3 bytes a
// pixel (blue, green, red), and its delay in hundredths of a second.
struct TAnimatedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bgr;
    int Delay = 0;
};

// Every picture of an animated image file with exactly this coder, each as
// a player shows it (drawn over what the ones before left). Answers why it
// failed, empty on success. The control's limits apply to every picture,
// and at most 256 are read.
std::string ReadAnimatedImage(const std::string& path, const std::string& coder,
                              std::vector<TAnimatedPicture>& pictures);

// The ImageMagick coders tried for a file type of the table, in order;
// empty for types the control does not read.
std::vector<std::string> CodersForFileType(int fileType);

} // namespace fl
