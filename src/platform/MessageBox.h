#pragma once
#include <QString>

namespace mx::platform {

// Modal message box with the classic style number: buttons in the low bits
// (0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), icon in the
// next (16 critical, 32 question, 48 exclamation, 64 information), default
// button in 256/512. Returns the button pressed.
namespace Style {
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
} // namespace Style

enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // An empty title shows the application's name.
    virtual Answer Show(const QString& text, int style, const QString& title) = 0;
};

} // namespace mx::platform
