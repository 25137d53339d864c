// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/JpegSupport.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace fl::test {

TJpegFacts ReadJpegFacts(const std::vector<uint8_t>& bytes)
{
    TJpegFacts facts;
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        ADD_FAILURE() << "no start-of-image marker";
        return facts;
    }
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) {
            ADD_FAILURE() << "marker expected at " << at;
            return facts;
        }
        const uint8_t marker = bytes[at + 1];
        const size_t length = size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        const size_t body = at + 4, end = at + 2 + length;
        if (length < 2 || end > bytes.size()) {
            ADD_FAILURE() << "segment runs past the end at " << at;
            return facts;
        }
        if (marker == 0xDA) // start of scan: the headers are over
            return facts;
        const bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            facts.FrameMarkers.push_back(marker);
            if (facts.FrameMarkers.size() == 1 && length >= 8) {
                facts.Height = bytes[body + 1] << 8 | bytes[body + 2];
                facts.Width = bytes[body + 3] << 8 | bytes[body + 4];
                facts.Components = bytes[body + 5];
            }
        } else if (marker == 0xDB) {
            for (size_t p = body; p < end;) {
                const bool sixteenBit = bytes[p] >> 4;
                const size_t size = sixteenBit ? 128 : 64;
                if (p + 1 + size > end) {
                    ADD_FAILURE() << "short quantization table";
                    return facts;
                }
                if (!sixteenBit)
                    facts.QuantTables.emplace_back(bytes.begin() + long(p + 1),
                                                   bytes.begin() + long(p + 1 + size));
                p += 1 + size;
            }
        }
        at = end;
    }
    ADD_FAILURE() << "no scan";
    return facts;
}

namespace {

struct TTestErrors {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

[[noreturn]] void TestErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<TTestErrors*>(cinfo->err)->Jump, 1);
}

void Silent(j_common_ptr)
{
}

// C style on purpose: nothing with a destructor lives across the setjmp.
bool DecodeInto(const std::vector<uint8_t>& bytes, TDecodedJpeg& out, unsigned char* rows, size_t capacity)
{
    jpeg_decompress_struct cinfo;
    TTestErrors errors;
    cinfo.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = TestErrorExit;
    errors.Public.output_message = Silent;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    if (stride * cinfo.output_height > capacity) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.Width = int(cinfo.output_width);
    out.Height = int(cinfo.output_height);
    out.Components = cinfo.output_components;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rows + size_t(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

TDecodedJpeg DecodeJpeg(const std::vector<uint8_t>& bytes)
{
    TDecodedJpeg decoded;
    // The tests' pictures are small; more than this many bytes means a bad header.
    std::vector<uint8_t> rows(size_t(16) << 20);
    decoded.Ok = DecodeInto(bytes, decoded, rows.data(), rows.size());
    if (decoded.Ok)
        decoded.Pixels.assign(
            rows.begin(), rows.begin() + long(size_t(decoded.Width) * decoded.Height * decoded.Components));
    return decoded;
}

} // namespace fl::test
