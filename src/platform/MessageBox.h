// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

#include <optional>

namespace mx::platform {

enum class Icon { None, Question, Warning, Critical };

// A question's Yes is its default button and Escape answers No.
enum class Buttons { Ok, YesNo };

enum class Answer { Ok, Yes, No };

// Modal message box.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // An empty title shows the application's name.
    virtual Answer show(const QString& text, const QString& title, Icon icon,
                        Buttons buttons = Buttons::Ok) = 0;
    // Called while a box is up (from an event its modal loop delivers): waits
    // for the user to answer that box and gives the answer it will return.
    // nullopt when no box is up.
    virtual std::optional<Answer> awaitShowingAnswer() = 0;
};

} // namespace mx::platform
