// SPDX-License-Identifier: GPL-3.0-or-later
// The strip of document tabs above the client area: one tab per open
// document, a modified document's tab marked with a bullet and drawn in the
// highlight color. It records the tab under the mouse for the tab popup and
// reports it so that the status bar can show that document's path.
#pragma once

#include <QTabBar>
#include <functional>

namespace fl {

class TDocument;

class TDocumentTabs final : public QTabBar {
    Q_OBJECT
public:
    explicit TDocumentTabs(QWidget* parent = nullptr);

    void AddDocument(TDocument& document);
    void RemoveDocument(const TDocument& document);
    // Selects the document's tab without reporting a selection.
    void SelectDocument(const TDocument& document);
    // The tab text follows the document's name; the strip repaints.
    void DocumentChanged(const TDocument& document);
    int IndexOf(const TDocument& document) const;
    TDocument* DocumentAt(int index) const;
    // The tab under the mouse, -1 for none.
    int HoveredTab() const { return hovered_; }

    // The mouse moved to another tab (-1: none).
    std::function<void(int index)> OnHover;
    // The popup asked for at a tab; the hovered tab is set first.
    std::function<void(const QPoint& globalPos)> OnPopup;

protected:
    // Room for the modified mark.
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetHovered(int index);

    int hovered_ = -1;
};

} // namespace fl
