#pragma once
#include "tags/TagTables.h"

#include <QString>
#include <QStringView>
#include <span>

namespace mx {
struct Editor;
}

namespace mx::links {

// "<A HREF="target">   </A>": three spaces hold the place of the link text.
QString LinkSnippet(const QString& target);
// What the URL box gave, with "http://" in front unless it already starts so
// (exactly, case and all).
QString UrlAddress(const QString& typed);
// "<IMG SRC="link" BORDER=0>" and a line end.
QString ImageSnippet(const QString& link);

// The anchors that need nothing from the user: jump, name, to the top. They
// run as point tags do.
std::span<const tags::PointTag> AnchorTags();
const tags::PointTag* FindAnchorTag(QStringView control);

// Link to a file picked in the dialog.
void J1_Click(Editor& editor);
// Link to an address typed into the input box.
void URL_Click(Editor& editor);
// Image tag for a file picked in the dialog.
void T2_Click(Editor& editor);

} // namespace mx::links
