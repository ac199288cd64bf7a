// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TagCommands.h"

#include "core/Editor.h"
#include "core/TextArea.h"

namespace mx::tags {

void insertWrapTag(Editor& editor, const WrapTag& tag)
{
    // The selection's text first, then its length: the length decides.
    const QString selection = editor.text.selectedText();
    const qsizetype length = editor.text.selectionLength();
    insertSnippet(editor, wrapSnippet(tag, selection, length));
}

void insertPointTag(Editor& editor, const PointTag& tag)
{
    insertSnippet(editor, QString::fromUtf16(tag.text));
}

} // namespace mx::tags
