// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of the windows: action icons (the desktop's icon theme where
// it has the icon, our own drawing otherwise), the glyphs named by the
// program ("ARROW_LEFT", "ARROW_RIGHT", "ARROW_EX_LEFT", "ARROW_EX_RIGHT"),
// the status bar's modified mark, and the cursors "NEWDRAG" and
// "EYEDROPPER".
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace fl {

// The icon of an action of the command table ("FileOpen", ...); a null icon
// for actions that have none.
QIcon ActionIcon(const char* actionName);
QPixmap Glyph(const char* name);
QPixmap ModifiedMark();
QCursor DragCursor();
QCursor EyedropperCursor();

} // namespace fl
