// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "platform/MessageBox.h"

#include <functional>

class QString;

namespace mx {

namespace platform {
struct Platform;
}
class Document;
class TextArea;

// Everything a command may touch: the document, the text area that holds its
// text, and the desktop around it. It only refers to what the window owns, so it is never
// copied.
struct Editor {
    Editor(Document& document, TextArea& text, platform::Platform& platform)
        : document(document), text(text), platform(platform)
    {
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // A message box over the window, with the program's name as its title.
    void tell(const QString& message, platform::Icon icon) const;

    Document& document;
    TextArea& text;
    platform::Platform& platform;
};

// What a menu command runs.
using Handler = std::function<void(Editor&)>;

} // namespace mx
