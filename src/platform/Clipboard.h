// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>
#include <optional>

namespace mx::platform {

// The desktop's clipboard, plain text only. Either step may fail; the caller
// decides whether that ends its command.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool setText(const QString& text) = 0;
    // nullopt when the clipboard cannot be read or holds no text.
    virtual std::optional<QString> text() = 0;
};

} // namespace mx::platform
