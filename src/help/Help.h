// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {
struct Editor;
}

namespace mx::help {

QString helpText();
QString helpTitle();
// Two lines: the name and version, then the release date.
QString versionText(const QString& version, const QString& releaseDate);

void showHelp(Editor& editor);
void showVersion(Editor& editor);

} // namespace mx::help
