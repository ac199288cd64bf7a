// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Closing.h"

#include "core/Editor.h"
#include "core/EditorState.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

void exitProgram(Editor& editor)
{
    editor.state.requestClose();
}

bool confirmClose(Editor& editor)
{
    if (!editor.state.isModified())
        return true;
    // Nothing is saved on the way out; the question only lets the user stay.
    const platform::Answer answer =
        editor.platform.messages.show(u"テキストが変更されています。終了しますか。"_s, kProgramName,
                                      platform::Icon::Question, platform::Buttons::YesNo);
    return answer == platform::Answer::Yes;
}

} // namespace mx
