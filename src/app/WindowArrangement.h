// SPDX-License-Identifier: GPL-3.0-or-later
// Where the document windows go in the workspace: a new window and Cascade
// use the same slots (three quarters of the workspace, one title bar further
// right and down than the one before, back at the top left when the next
// would leave the workspace), so every window placed is wholly visible.
// Tiling shares the workspace out; minimized windows line up along the
// bottom edge.
#pragma once

#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace fl {

// Slot `index` of the cascade in a workspace of that size, `step` pixels
// apart.
QRect CascadeSlot(const QSize& workspace, int step, int index);

// A new document window takes the slot after those of the windows opened
// before it.
void PlaceNewWindow(QMdiArea& area, QMdiSubWindow& window);
// Cascades the windows that are not minimized, the active one last, on top.
void CascadeWindows(QMdiArea& area);
// Shares the workspace out among the windows that are not minimized, in
// rows (horizontally) or columns.
void TileWindows(QMdiArea& area, bool horizontally);
// Lines the minimized windows up along the bottom edge.
void ArrangeMinimizedWindows(QMdiArea& area);
// After the workspace shrank or a window changed state: windows reaching
// past an edge move back in as far as they fit, so none is left out of
// reach.
void KeepWindowsInWorkspace(QMdiArea& area);

} // namespace fl
