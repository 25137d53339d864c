// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/JpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// We leave through longjmp back into EncodeRows, a function written in the C
// style: between its setjmp and any longjmp no object with a destructor is
// alive, so the jump skips no C++ clean-up. The codec's own state is released
// by jpeg_destroy_compress after the jump.
struct TErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<TErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->Message);
    std::longjmp(manager->Jump, 1);
}

// Warnings (corrupt data and the like) cannot arise when compressing from
// memory; they are not printed on stderr as the default handler would.
void OutputMessage(j_common_ptr)
{
}

// The file collects in one malloc'd block that doubles when full. Unlike the
// codec's own memory destination, it never leaves the caller a pointer to a
// block it has already freed when an error strikes in the middle.
struct TDestination {
    jpeg_destination_mgr Public;
    unsigned char* Data;
    size_t Capacity;
    size_t Size;
};

void InitDestination(j_compress_ptr)
{
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<TDestination*>(cinfo->dest);
    const size_t capacity = destination->Capacity * 2;
    auto* grown = static_cast<unsigned char*>(std::realloc(destination->Data, capacity));
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
    destination->Data = grown;
    // libjpeg asks for more room only when the block is full.
    destination->Public.next_output_byte = grown + destination->Capacity;
    destination->Public.free_in_buffer = capacity - destination->Capacity;
    destination->Capacity = capacity;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<TDestination*>(cinfo->dest);
    destination->Size = destination->Capacity - destination->Public.free_in_buffer;
}

struct TEncodeJob {
    const unsigned char* Rows; // 24-bit rows, blue, green, red
    size_t Stride;
    unsigned Width;
    unsigned Height;
    TJpegOptions Options;
    TDestination Destination; // Data is the caller's to free, also after a failure
    char Message[JMSG_LENGTH_MAX];
};

// Answers whether the job succeeded; on failure job.Message says why.
bool EncodeRows(TEncodeJob& job)
{
    jpeg_compress_struct cinfo;
    TErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = ErrorExit;
    errors.Public.output_message = OutputMessage;
    errors.Message[0] = '\0';
    TDestination& destination = job.Destination;
    destination.Public.init_destination = InitDestination;
    destination.Public.empty_output_buffer = EmptyOutputBuffer;
    destination.Public.term_destination = TermDestination;
    destination.Size = 0;
    // A quarter of the raw pixels holds most files at once.
    destination.Capacity = std::clamp<size_t>(size_t(job.Width) * job.Height * 3 / 4, 4096, size_t(16) << 20);
    destination.Data = static_cast<unsigned char*>(std::malloc(destination.Capacity));
    if (!destination.Data) {
        std::snprintf(job.Message, sizeof job.Message, "Out of memory");
        return false;
    }
    destination.Public.next_output_byte = destination.Data;
    destination.Public.free_in_buffer = destination.Capacity;

    if (setjmp(errors.Jump)) {
        jpeg_destroy_compress(&cinfo);
        std::snprintf(job.Message, sizeof job.Message, "%s", errors.Message);
        return false;
    }

    jpeg_create_compress(&cinfo);
    cinfo.dest = &destination.Public;
    cinfo.image_width = job.Width;
    cinfo.image_height = job.Height;
    // The bitmap's rows go in as they are stored; the codec converts.
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    if (job.Options.Grayscale)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    jpeg_set_quality(&cinfo, std::clamp(job.Options.Quality, 1, 100), TRUE);
    cinfo.dct_method = job.Options.FastDct ? JDCT_IFAST : JDCT_ISLOW;
    if (job.Options.Progressive)
        jpeg_simple_progression(&cinfo);

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job.Rows + size_t(cinfo.next_scanline) * job.Stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

int JpegQualityForPosition(int position)
{
    static constexpr int kQualities[] = {100, 75, 50, 25, 1};
    return kQualities[std::clamp(position, 0, 4)];
}

void WriteJpeg(const TBitmap& bitmap, const TJpegOptions& options, TStream& stream)
{
    if (bitmap.Empty())
        throw EJpegError("Cannot write an empty image as JPEG");
    const TBitmap* rows = &bitmap;
    TBitmap converted;
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit) {
        converted = bitmap;
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        rows = &converted;
    }

    TEncodeJob job{};
    job.Rows = rows->Bits();
    job.Stride = rows->RowBytes();
    job.Width = static_cast<unsigned>(rows->Width());
    job.Height = static_cast<unsigned>(rows->Height());
    job.Options = options;
    const bool encoded = EncodeRows(job);
    struct TFree {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    const std::unique_ptr<unsigned char, TFree> output(job.Destination.Data);
    if (!encoded)
        throw EJpegError(job.Message);
    stream.Write(output.get(), job.Destination.Size);
}

void SaveJpegToFile(const TBitmap& bitmap, const TJpegOptions& options, const std::string& path)
{
    // Encoded in memory first, so that a failure leaves no half file.
    TMemoryStream stream;
    WriteJpeg(bitmap, options, stream);
    stream.SaveToFile(path);
}

} // namespace fl
