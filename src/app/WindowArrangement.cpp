// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>
#include <vector>

namespace fl {

namespace {

// The cascade moves each window by its title bar's height, as the system's
// own cascade does, so that every title stays visible.
int CascadeStep(const QMdiSubWindow& window)
{
    return std::max(1, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));
}

std::vector<QMdiSubWindow*> ShownWindows(const QMdiArea& area)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder))
        if (!window->isMinimized() && !window->isHidden())
            windows.push_back(window);
    return windows;
}

void PlaceInSlot(QMdiArea& area, QMdiSubWindow& window, int index)
{
    if (window.isMaximized())
        window.showNormal();
    window.setGeometry(CascadeSlot(area.viewport()->size(), CascadeStep(window), index));
}

} // namespace

QRect CascadeSlot(const QSize& workspace, int step, int index)
{
    const QSize size(std::max(1, workspace.width() * 3 / 4), std::max(1, workspace.height() * 3 / 4));
    step = std::max(1, step);
    // How many steps the window can take before it would cross the right or
    // the bottom edge; the slots after them begin again at the top left.
    const int steps = std::min(workspace.width() - size.width(), workspace.height() - size.height()) / step;
    const int offset = (std::max(0, index) % (std::max(0, steps) + 1)) * step;
    return QRect(QPoint(offset, offset), size);
}

void PlaceNewWindow(QMdiArea& area, QMdiSubWindow& window)
{
    if (area.viewport()->width() <= 0 || area.viewport()->height() <= 0)
        return;
    const QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::CreationOrder);
    PlaceInSlot(area, window, std::max<int>(0, static_cast<int>(windows.indexOf(&window))));
}

void CascadeWindows(QMdiArea& area)
{
    std::vector<QMdiSubWindow*> windows = ShownWindows(area);
    QMdiSubWindow* active = area.activeSubWindow();
    std::stable_partition(windows.begin(), windows.end(),
                          [active](QMdiSubWindow* window) { return window != active; });
    for (size_t i = 0; i < windows.size(); ++i) {
        PlaceInSlot(area, *windows[i], static_cast<int>(i));
        windows[i]->raise();
    }
}

void TileWindows(QMdiArea& area, bool horizontally)
{
    const std::vector<QMdiSubWindow*> windows = ShownWindows(area);
    if (windows.empty())
        return;
    const QRect workspace = area.viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[static_cast<size_t>(i)];
        if (window->isMaximized())
            window->showNormal();
        if (horizontally) {
            const int top = workspace.height() * i / count;
            window->setGeometry(0, top, workspace.width(), workspace.height() * (i + 1) / count - top);
        } else {
            const int left = workspace.width() * i / count;
            window->setGeometry(left, 0, workspace.width() * (i + 1) / count - left, workspace.height());
        }
    }
}

void ArrangeMinimizedWindows(QMdiArea& area)
{
    // A row that is full continues in a row above it.
    const int width = area.viewport()->width();
    int left = 0;
    int bottom = area.viewport()->height();
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        if (left > 0 && left + size.width() > width) {
            left = 0;
            bottom = std::max(size.height(), bottom - size.height());
        }
        window->move(left, std::max(0, bottom - size.height()));
        left += size.width();
    }
}

void KeepWindowsInWorkspace(QMdiArea& area)
{
    const QSize workspace = area.viewport()->size();
    if (workspace.isEmpty())
        return;
    for (QMdiSubWindow* window : area.subWindowList()) {
        if (window->isHidden() || window->isMaximized())
            continue;
        const QRect frame = window->geometry();
        const int left = std::max(0, std::min(frame.left(), workspace.width() - frame.width()));
        const int top = std::max(0, std::min(frame.top(), workspace.height() - frame.height()));
        if (left != frame.left() || top != frame.top())
            window->move(left, top);
    }
}

} // namespace fl
