// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Editor.h"

#include "Document.h"
#include "platform/Platform.h"

namespace mx {

void Editor::tell(const QString& message, platform::Icon icon) const
{
    platform.messages.show(message, kProgramName, icon);
}

} // namespace mx
