// SPDX-License-Identifier: GPL-3.0-or-later
// A color map held by an undo command: a bare table that belongs to no frame
// or header, so that nothing done to it reaches the animation.
#pragma once

#include "gif/ColorMap.h"

namespace fl {

class TCmdColorMap final : public TGIFColorMap {
public:
    TCmdColorMap() = default;

    void Warn(int severity, const std::string& message) override;
    void CountUsage(TColorHistogram& histogram) override;
    void RemapPixels(const TColorRemapTable& table) override;
    // Answers that nothing was sorted: no pixels use this table.
    bool SortColorMapByUse() override;
    void TableChanged() override;
};

} // namespace fl
