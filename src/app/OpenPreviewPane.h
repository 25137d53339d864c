// SPDX-License-Identifier: GPL-3.0-or-later
// The open dialog's preview: the picture of the selected file beside the
// file list, with its dimensions in the dialog's top row.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

#include "app/QtFileDialogService.h"

class QFileDialog;
class QLabel;
class QScrollArea;
class QSplitter;
class QWidget;

namespace fl {

class TImagingFileReader;
class TMessageService;
class TSettingsStore;

// Added to a non-native QFileDialog before it is shown. The pane owns four
// controls: the splitter SplitterShell between the dialog's own file area
// and the scroll box sbxShell, which holds the panel pnlShell with the image
// imgX at its top left; and the label lblShell in the dialog's top row.
// The splitter's position comes from "SplitterPreviewPos" and is written
// back when the dialog closes. Destroying the pane gives the dialog its own
// layout back (a dialog destroyed first takes the controls with it).
class TOpenPreviewPane final : public QObject {
    Q_OBJECT

public:
    // The preview's width when no position was stored.
    static constexpr int DefaultPreviewWidth = 200;

    // The hourglass of a load goes through the message service.
    TOpenPreviewPane(QFileDialog& dialog, TSettingsStore& settings, TMessageService& messages);
    ~TOpenPreviewPane() override;
    TOpenPreviewPane(const TOpenPreviewPane&) = delete;
    TOpenPreviewPane& operator=(const TOpenPreviewPane&) = delete;

    // Shows the file's picture, or the cleared state for an empty path or a
    // folder. The dialog calls this as its current file changes.
    void ShowFile(const QString& path);
    // No picture, no text.
    void ClearPreview();

    // The file whose picture is shown; empty when none.
    const QString& ShownFile() const { return shownFile_; }

private:
    void InstallControls();
    void RestoreDialog();
    void SelectionChanged();
    // Applies the stored position once the splitter has its real width.
    void SplitterLaidOut();
    void WritePosition();

    QPointer<QFileDialog> dialog_;
    TSettingsStore& settings_;
    TMessageService& messages_;

    // The dialog's own widget in the splitter's place (its sidebar and file
    // list), handed back on release.
    QPointer<QWidget> fileArea_;
    QPointer<QSplitter> splitter_;
    QPointer<QScrollArea> scrollBox_;
    QPointer<QWidget> panel_;
    QPointer<QLabel> image_;
    QPointer<QLabel> label_;

    std::unique_ptr<TImagingFileReader> reader_;
    bool laidOut_ = false;
    QString shownFile_;
};

// The program's file dialog service: an open request that asks for a
// preview gets the pane unless the user switched it off ("NoOpenDlgPreview").
class TPreviewFileDialogService final : public TQtFileDialogService {
public:
    TPreviewFileDialogService(TSettingsStore& settings, TMessageService& messages, QWidget* parent = nullptr);
    ~TPreviewFileDialogService() override;

protected:
    void PrepareDialog(QFileDialog& dialog, const TFileDialogRequest& request) override;
    void DialogClosed(QFileDialog& dialog) override;

private:
    TSettingsStore& settings_;
    TMessageService& messages_;
    std::unique_ptr<TOpenPreviewPane> pane_;
};

} // namespace fl
