// SPDX-License-Identifier: GPL-3.0-or-later
// The document window: the logical screen of the active animation with the
// shown frame at its offset, scrolled and centred, and a status bar with the
// modified mark, "Modified" and the file name and size. Its state and logic
// are the document's (document/Document.h); this is only the widget.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/Bitmap.h"

class QFrame;
class QMimeData;
class QMenu;
class QScrollArea;

namespace fl {

class TDocument;
class TEditorContext;
class TFrameView;
class TGIFSubImage;
class TDocumentStatusBar;

class TMDIChild : public QWidget {
    Q_OBJECT
public:
    // Margin kept around the logical screen when it is scrolled.
    static constexpr int ScrollMargin = 8;

    TMDIChild(TEditorContext& context, TDocument& document, QWidget* parent = nullptr);
    ~TMDIChild() override;

    TDocument& Document() const { return document_; }

    // Shows frame `index` of the active animation (its rendering at its
    // offset on the logical screen, pnlFrame sized to the screen and
    // centred); false when there is no such frame.
    bool ShowFrame(int index);
    // Repaints the status bar and caption after the document changed.
    void DocumentChanged();

    // The status bar's panels 0 (mark), 1 ("Modified") and 2 (file name and
    // size, or what the main window puts there, such as the playing frame).
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    // Panel 2 shows the name and the active animation's size again.
    void ShowSizeText();
    // The frame shown last, -1 before the first.
    int ShownFrame() const { return shownFrame_; }
    // The logical screen's size at the last ShowFrame.
    QSize ScreenSize() const { return {screenWidth_, screenHeight_}; }
    // The logical screen (a preview is laid over it) and the frame on it.
    QFrame* FramePanel() const { return pnlFrame_; }
    QWidget* PaintBox() const;
    // The main window's frame menu, opened by the right button over the
    // screen and the frame; none opens nothing.
    void SetFrameMenu(QMenu* menu);
    // Dragging the shown frame (the left button held over it for ten
    // pixels): the drag names this window, whose frame the target copies.
    static constexpr const char* ViewMimeType = "application/x-frameloom-view";
    std::unique_ptr<QMimeData> CreateDragData() const;
    bool IsDragOf(const QMimeData& mime) const;
    // The shown frame's picture as the engine drew it; empty before the
    // first frame.
    const TBitmap& ViewBitmap() const { return viewBitmap_; }

    // A frame-list card or another document's shown frame dropped here.
    std::function<void(TMDIChild& target)> OnFrameDropped;
    // A thumbnail of the thumbnail browser dropped here, with its file.
    std::function<void(TMDIChild& target, const std::string& path)> OnThumbnailDropped;
    // Places the screen in the middle of the scroll box (at the margin on an
    // axis where it does not fit) and scrolls back to the origin.
    void CenterFrame();

    // Zoom: the screen is shown at Zoom() times its size, pixels as blocks
    // above 1 and smoothed below. The steps go from 1/8 to 32 times; fitting
    // follows the window's size until the zoom is set otherwise.
    double Zoom() const { return zoom_; }
    bool FitsWindow() const { return fitWindow_; }
    void SetZoom(double zoom);
    void ZoomIn();
    void ZoomOut();
    void ZoomToActualSize() { SetZoom(1); }
    void FitToWindow();
    static constexpr double MinZoom = 0.125;
    static constexpr double MaxZoom = 32;
    // The zoom changed (the preview laid over the screen follows it).
    std::function<void(TMDIChild&)> OnZoomChanged;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowFrameMenu(QWidget* source, const QPoint& position);
    // Sizes the screen and the frame on it for the zoom.
    void LayOutScreen();
    double FittingZoom() const;
    void ApplyZoom(double zoom, bool fit);
    void StartViewDrag();
    void ColorFromFirstFrame(TGIFSubImage& first);
    // "name - [Height: h x Width: w]" for the shown screen.
    QString SizeText() const;

    TEditorContext& context_;
    TDocument& document_;
    QScrollArea* sbox_;
    QWidget* screenArea_;
    QFrame* pnlFrame_;
    TFrameView* pb_;
    TDocumentStatusBar* statusBar_;
    QPointer<QMenu> frameMenu_;
    int shownFrame_ = -1;
    TBitmap viewBitmap_;
    // Panel 2 holds the name and size made by ShowFrame, to be made again
    // when the document's name changes.
    bool sizeText_ = false;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    QRect frameRect_;
    double zoom_ = 1;
    bool fitWindow_ = false;
    int wheelDelta_ = 0;
};

} // namespace fl
