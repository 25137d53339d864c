// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/MedianCut.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace fl {

namespace {

// A used cell: its mean color and weight.
struct TSample {
    std::array<double, 3> Color;
    double Weight;
};

struct TBox {
    size_t Begin, End; // samples [Begin, End)
    double Error = 0;  // weighted squared distance to the mean
    int Channel = 0;   // the channel of the widest spread
};

void Measure(const std::vector<TSample>& samples, TBox& box)
{
    std::array<double, 3> sum{}, squares{};
    double weight = 0;
    for (size_t i = box.Begin; i < box.End; ++i) {
        const TSample& s = samples[i];
        weight += s.Weight;
        for (int c = 0; c < 3; ++c) {
            sum[size_t(c)] += s.Weight * s.Color[size_t(c)];
            squares[size_t(c)] += s.Weight * s.Color[size_t(c)] * s.Color[size_t(c)];
        }
    }
    box.Error = 0;
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double spread = weight > 0 ? squares[size_t(c)] - sum[size_t(c)] * sum[size_t(c)] / weight : 0;
        box.Error += spread;
        if (spread > widest) {
            widest = spread;
            box.Channel = c;
        }
    }
    // A box of one cell cannot be cut.
    if (box.End - box.Begin < 2)
        box.Error = 0;
}

TPaletteEntry Mean(const std::vector<TSample>& samples, size_t begin, size_t end)
{
    std::array<double, 3> sum{};
    double weight = 0;
    for (size_t i = begin; i < end; ++i) {
        weight += samples[i].Weight;
        for (int c = 0; c < 3; ++c)
            sum[size_t(c)] += samples[i].Weight * samples[i].Color[size_t(c)];
    }
    const auto channel = [&](int c) { return uint8_t(std::lround(std::clamp(sum[size_t(c)] / weight, 0.0, 255.0))); };
    return {channel(0), channel(1), channel(2), 0};
}

} // namespace

TCellHistogram::TCellHistogram() : cells_(32768) {}

std::vector<TPaletteEntry> TCellHistogram::Palette(int colors, int refinements) const
{
    std::vector<TSample> samples;
    for (const TCell& cell : cells_)
        if (cell.Count > 0) {
            const double count = double(cell.Count);
            samples.push_back({{double(cell.Red) / count, double(cell.Green) / count, double(cell.Blue) / count},
                               count});
        }
    if (samples.empty())
        return {};
    colors = std::clamp(colors, 1, 256);

    std::vector<TBox> boxes{{0, samples.size()}};
    Measure(samples, boxes[0]);
    while (int(boxes.size()) < colors) {
        const auto worst = std::max_element(boxes.begin(), boxes.end(),
                                            [](const TBox& a, const TBox& b) { return a.Error < b.Error; });
        if (worst->Error <= 0)
            break;
        TBox box = *worst;
        const int c = box.Channel;
        std::sort(samples.begin() + ptrdiff_t(box.Begin), samples.begin() + ptrdiff_t(box.End),
                  [c](const TSample& a, const TSample& b) { return a.Color[size_t(c)] < b.Color[size_t(c)]; });
        double total = 0;
        for (size_t i = box.Begin; i < box.End; ++i)
            total += samples[i].Weight;
        // The weighted median, leaving at least one cell on each side.
        size_t cut = box.Begin + 1;
        for (double weight = samples[box.Begin].Weight; cut < box.End - 1 && weight < total / 2; ++cut)
            weight += samples[cut].Weight;
        TBox low{box.Begin, cut}, high{cut, box.End};
        Measure(samples, low);
        Measure(samples, high);
        *worst = low;
        boxes.push_back(high);
    }

    std::vector<TPaletteEntry> palette;
    for (const TBox& box : boxes)
        palette.push_back(Mean(samples, box.Begin, box.End));

    // Refinement: each cell to its nearest color, each color to the mean of
    // its cells.
    std::vector<std::array<double, 4>> sums(palette.size());
    for (int round = 0; round < refinements; ++round) {
        std::fill(sums.begin(), sums.end(), std::array<double, 4>{});
        for (const TSample& s : samples) {
            size_t best = 0;
            double bestDistance = INFINITY;
            for (size_t k = 0; k < palette.size(); ++k) {
                const double dr = s.Color[0] - palette[k].red, dg = s.Color[1] - palette[k].green,
                             db = s.Color[2] - palette[k].blue;
                const double distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = k;
                }
            }
            for (int c = 0; c < 3; ++c)
                sums[best][size_t(c)] += s.Weight * s.Color[size_t(c)];
            sums[best][3] += s.Weight;
        }
        for (size_t k = 0; k < palette.size(); ++k)
            if (sums[k][3] > 0) {
                const auto channel = [&](int c) {
                    return uint8_t(std::lround(std::clamp(sums[k][size_t(c)] / sums[k][3], 0.0, 255.0)));
                };
                palette[k] = {channel(0), channel(1), channel(2), 0};
            }
    }
    return palette;
}

} // namespace fl
