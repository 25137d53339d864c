// SPDX-License-Identifier: GPL-3.0-or-later
// "Import Video": what part of a video becomes an animation, and at what
// frame rate, with the number of frames that makes.
#pragma once

#include <QDialog>

#include "io/VideoDecoder.h"
#include "io/VideoImport.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace fl {

class TVideoImportDialog final : public QDialog {
    Q_OBJECT
public:
    TVideoImportDialog(const QString& fileName, const TVideoFacts& facts, QWidget* parent = nullptr);

    // The choices as import options (no progress).
    TVideoImportOptions Options() const;
    // The frames the choices make, as far as the video's facts tell.
    int EstimatedFrames() const;

    // The frame rates offered besides the video's own. Players show frames
    // shorter than 3 hundredths of a second slower, so a faster video
    // starts at 30 a second.
    static constexpr double Rates[] = {30, 25, 20, 15, 12, 10, 8, 5};
    static constexpr double FastestRate = 100.0 / 3;

private:
    void Refresh();

    TVideoFacts facts_;
    QDoubleSpinBox* edtFrom_;
    QDoubleSpinBox* edtTo_;
    QComboBox* cbRate_;
    QCheckBox* chkChanges_;
    QLabel* lblFrames_;
};

} // namespace fl
