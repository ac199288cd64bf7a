// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx::platform {

// The desktop's clipboard, written only: it keeps the last snippet for the
// user. Writing never waits for another program, and nothing is read back,
// because the program that owns the clipboard next may never answer.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
};

} // namespace mx::platform
