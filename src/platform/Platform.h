#pragma once

namespace mx::platform {

class Clipboard;
class CommonDialog;
class MessageBox;
class InputBox;
class Browser;
class TextFiles;

// Everything outside the window that the commands talk to.
struct Platform {
    Clipboard& clipboard;
    CommonDialog& dialog;
    MessageBox& messages;
    InputBox& input;
    Browser& browser;
    TextFiles& files;
};

} // namespace mx::platform
