// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx::platform {

// Modal one-line input.
class InputBox {
public:
    virtual ~InputBox() = default;
    // What was typed on OK, the empty string on Cancel.
    virtual QString getText(const QString& prompt, const QString& title, const QString& initial) = 0;
};

} // namespace mx::platform
