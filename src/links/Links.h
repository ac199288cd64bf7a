// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {
struct Editor;
}

namespace mx::links {

// "<A HREF="target">   </A>": three spaces hold the place of the link text.
QString linkSnippet(const QString& target);
// What the URL box gave, with "http://" in front unless it already starts so
// (exactly, case and all).
QString urlAddress(const QString& typed);
// "<IMG SRC="link" BORDER=0>" and a line end.
QString imageSnippet(const QString& link);

// A link to a file picked in the dialog.
void insertLinkToFile(Editor& editor);
// A link to an address typed into the input box.
void insertLinkToUrl(Editor& editor);
// An image tag for a file picked in the dialog.
void insertImage(Editor& editor);

} // namespace mx::links
