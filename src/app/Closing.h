#pragma once

namespace mx {

struct Editor;

// Exit: asks the window to close; the close request decides.
void F5_Click(Editor& editor);

// The close request, whatever its cause. Returns true when the closing must
// stop: the text has changed and the user answered No.
bool Form_QueryUnload(Editor& editor);

} // namespace mx
