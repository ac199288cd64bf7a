// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SnippetInsertion.h"

#include "Editor.h"
#include "TextArea.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"

namespace mx {

void insertSnippet(Editor& editor, const QString& snippet)
{
    editor.text.replaceSelection(snippet);
    editor.platform.clipboard.setText(snippet);
}

} // namespace mx
