// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

namespace mx {

struct Editor;

// A path as it goes between the quotes of a tag. The characters that would
// end the quotes, cut the path short, start an escape or a character
// reference, or that a browser reads as a separator (a backslash is an
// ordinary character of a file name here) are percent-encoded, and so are
// control characters; everything else (spaces, Japanese, slashes) stays as
// the path has it. Nothing is made relative.
QString linkForm(const QString& path);

// Shows the Open dialog on the given list ("description|pattern|..."), in the
// start folder, with the first pair selected, and returns what the dialog
// then holds in link form. Cancel keeps the dialog's file name, normally
// empty, so a cancelled pick gives an empty link.
QString pickReferencedFile(Editor& editor, const QString& filter);

// Pick, build the snippet around the link form, insert it, and empty the
// dialog's file name once the snippet is in.
void insertReferencedFile(Editor& editor, const QString& filter, QString (*snippet)(const QString& link));

} // namespace mx
