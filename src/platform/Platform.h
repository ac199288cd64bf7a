// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx::platform {

class Browser;
class Clipboard;
class FileDialog;
class InputBox;
class MessageBox;
class TextFiles;

// Everything outside the window that the commands talk to. It only refers to
// services someone else owns, so it is never copied.
struct Platform {
    Platform(Clipboard& clipboard, FileDialog& dialog, MessageBox& messages, InputBox& input,
             Browser& browser, TextFiles& files)
        : clipboard(clipboard), dialog(dialog), messages(messages), input(input), browser(browser),
          files(files)
    {
    }
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    Clipboard& clipboard;
    FileDialog& dialog;
    MessageBox& messages;
    InputBox& input;
    Browser& browser;
    TextFiles& files;
};

} // namespace mx::platform
