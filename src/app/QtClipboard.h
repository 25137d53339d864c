// SPDX-License-Identifier: GPL-3.0-or-later
// The system clipboard as the engine sees it: bitmaps travel as images, so
// that other programs paste what the editor copied and the editor pastes
// their pictures; every other format travels as bytes under a type of the
// program's own.
#pragma once

#include "platform/Clipboard.h"

namespace fl {

class TQtClipboard final : public TClipboard {
public:
    bool HasFormat(const std::string& format) const override;
    std::optional<std::vector<uint8_t>> GetData(const std::string& format) const override;
    bool SetData(const std::string& format, std::vector<uint8_t> data) override;
    void Clear() override;
};

} // namespace fl
