// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QString>

#include <initializer_list>

namespace mx {

struct Editor;

// The kinds of file the dialogs offer, each one pair of the dialog's list.
enum class FileKind { All, Excel, Word, Ichitaro, Text, Htm, Html, Jpg, Jpeg, Gif };

// The dialog's list, "description|pattern|...", of the kinds in that order.
QString filterPairs(std::initializer_list<FileKind> kinds);

// A path as it goes between the quotes of a tag. The characters that would
// end the quotes, cut the path short, start an escape or a character
// reference, or that a browser reads as a separator (a backslash is an
// ordinary character of a file name here) are percent-encoded, and so are
// control characters; everything else (spaces, Japanese, slashes) stays as
// the path has it. Nothing is made relative.
QString linkForm(const QString& path);

// Shows the Open dialog on the kinds, in the start folder, with the first
// selected; builds the snippet around what the dialog then holds in link form
// (Cancel keeps the dialog's name, normally empty, so a cancelled pick gives
// an empty link), inserts it, and forgets the name.
void insertReferencedFile(Editor& editor, std::initializer_list<FileKind> kinds,
                          QString (*snippet)(const QString& link));

} // namespace mx
