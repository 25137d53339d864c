// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the benchmarks: the corpus on disk and giflib driven from
// memory, so that the comparisons measure the codecs and not file I/O.
#pragma once

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fl {
class TGIFImage;
}

namespace fl::bench {

struct TCorpusFile {
    std::string Name; // relative to the corpus folder, e.g. "still/harvesters.gif"
    std::string Path;
};

// The corpus folder: $FL_BENCH_CORPUS when set, else the shared corpus.
// A folder of its own for the files one benchmark writes, made on first use
// and removed when the program ends.
const std::filesystem::path& ScratchFolder(const std::string& name);
// The executable of that name on PATH, or empty.
std::string FindInPath(const std::string& name);
// The median of the values (the mean of the middle two for an even count);
// the values must not be empty.
double Median(std::vector<double> values);
// ours / theirs, or nothing when either is missing or theirs is not positive.
std::optional<double> Ratio(std::optional<double> ours, std::optional<double> theirs);

// The value with that many decimals, "-" for none.
std::string Fixed(std::optional<double> value, int decimals);

// The message of a caught exception, for a benchmark's error text.
std::string Describe(const std::exception_ptr& error);

std::string CorpusDir();
// The GIF files measured: animated/*.gif, animated/unoptimized/*.gif and
// still/*.gif, sorted by name within each folder. Missing folders are skipped.
std::vector<TCorpusFile> CorpusFiles();

struct TGifFileCloser {
    void operator()(GifFileType* gif) const;
};
// A giflib decoder handle after DGifSlurp: all frames in memory.
using TGifFile = std::unique_ptr<GifFileType, TGifFileCloser>;

// Decodes a whole GIF held in memory with DGifOpen + DGifSlurp; throws
// std::runtime_error with giflib's message.
TGifFile GiflibDecode(const uint8_t* data, size_t size);
// Writes a decoded GIF with EGifOpen and the frame calls of giflib's encoder,
// appending the bytes to `out`: screen descriptor, per frame its extensions,
// descriptor and pixels (interlaced frames in pass order), trailing
// extensions, trailer. Throws std::runtime_error.
void GiflibEncode(GifFileType& source, std::vector<uint8_t>& out);

// Sum over frames of width * height.
uint64_t FramePixels(const GifFileType& gif);
uint64_t FramePixels(const TGIFImage& image);

// Why two decoded GIFs differ (frame count, geometry, pixels); empty when the
// frames agree.
std::string CompareFrames(const GifFileType& expected, const GifFileType& actual);
std::string CompareFrames(const GifFileType& expected, const TGIFImage& actual);

} // namespace fl::bench
