// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx::platform {

// Shows a local file in the desktop's web browser without waiting for it.
class Browser {
public:
    virtual ~Browser() = default;
    // false when no browser could be started.
    virtual bool showFile(const QString& path) = 0;
};

} // namespace mx::platform
