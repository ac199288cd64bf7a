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

// A path as it goes between the quotes of a tag: every backslash a slash,
// nothing else touched (no escaping, nothing made relative).
QString linkForm(const QString& path);

// Shows the Open dialog on the kinds, in the start folder, with the first
// selected; builds the snippet around what the dialog then holds in link form
// (Cancel keeps the dialog's name, normally empty, so a cancelled pick gives
// an empty link), inserts it, and forgets the name once the snippet is in. A
// failed insertion leaves the name where it was.
void insertReferencedFile(Editor& editor, std::initializer_list<FileKind> kinds,
                          QString (*snippet)(const QString& link));

} // namespace mx
