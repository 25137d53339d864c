// SPDX-License-Identifier: GPL-3.0-or-later
// Frame moves, deletions and insertions in the active animation, kept in
// step with the frame list.
#pragma once

#include <string>

namespace fl {

class TBitmap;
class TEditorHost;
class TGIFSubImage;

// The picture of a frame for its list entry: its rendering or, for a frame
// the engine cannot draw (no colors anywhere), a white picture of the
// frame's size, so that the entry still tells the size. The white picture
// stays valid until the next call on the same thread.
const TBitmap& FrameListPicture(TGIFSubImage& frame);

// Moves frame from to position to and selects it in the list. The loop
// extension stays on whichever frame is first. Nothing happens for from =
// -1 or without an active animation. Answers whether the frame moved; an
// index outside the frames answers false and changes nothing;
// a frame list that fails to follow answers false too.
bool MoveActiveFrame(TEditorHost& host, int from, int to);

// Deletes the frame and its list entry and selects the frame before it (the
// new first one when it was the first); the selected frame is shown again
// either way. Answers false, without a change, for an index outside the
// frames or without an active animation.
bool DeleteActiveFrame(TEditorHost& host, int index);

// Loads the file into a temporary animation and inserts a copy of its frame
// number index at the same index of the active animation, with a list
// entry "Frame", selected. A file that cannot be loaded is reported; a
// missing or empty frame there, or an index beyond the active animation's
// frames, inserts nothing. Answers whether a frame was inserted.
bool InsertFrameFromFile(TEditorHost& host, const std::string& path, int index);

} // namespace fl
