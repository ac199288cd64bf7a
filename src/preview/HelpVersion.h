#pragma once
#include <QString>

namespace mx {
struct Editor;
}

namespace mx::preview {

QString HelpText();
QString HelpTitle();
// Two lines: the name and version, then the release date.
QString VersionText(const QString& version, const QString& releaseDate);

void Help_Click(Editor& editor);
void Ver_Click(Editor& editor);

} // namespace mx::preview
