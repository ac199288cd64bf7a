// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "platform/MessageBox.h"

class QString;

namespace mx {

namespace platform {
struct Platform;
}
class EditorState;
class TextArea;

// Everything a command may touch: the window's state, its text area, and the
// desktop around it. It only refers to what the window owns, so it is never
// copied.
struct Editor {
    Editor(EditorState& state, TextArea& text, platform::Platform& platform)
        : state(state), text(text), platform(platform)
    {
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // A message box over the window, with the program's name as its title.
    void tell(const QString& message, platform::Icon icon) const;

    EditorState& state;
    TextArea& text;
    platform::Platform& platform;
};

} // namespace mx
