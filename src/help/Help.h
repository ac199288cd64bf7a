// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {
struct Editor;
}

namespace mx::help {

void showHelp(Editor& editor);
void showVersion(Editor& editor);

} // namespace mx::help
