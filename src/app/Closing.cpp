// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Closing.h"

#include "core/Document.h"
#include "core/Editor.h"
#include "platform/Logout.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

// True when the window may close: unchanged, or the user answered Yes.
bool confirmClose(Editor& editor)
{
    if (!editor.document.isModified())
        return true;
    // Nothing is saved on the way out; the question only lets the user stay.
    editor.document.setAsking(true);
    const platform::Answer answer =
        editor.platform.messages.show(u"テキストが変更されています。終了しますか。"_s, kProgramName,
                                      platform::Icon::Question, platform::Buttons::YesNo);
    editor.document.setAsking(false);
    return answer == platform::Answer::Yes;
}

} // namespace

void exitProgram(Editor& editor)
{
    editor.document.requestClose();
}

bool closeRequested(Editor& editor)
{
    Document& document = editor.document;
    if (document.isClosing())
        return true;
    // Exit chosen again while the question is up starts no second closing.
    if (document.isAsking())
        return false;
    if (!confirmClose(editor))
        return false;
    document.closing();
    return true;
}

void answerLogout(Editor& editor, platform::Logout& logout)
{
    Document& document = editor.document;
    // A Yes counts for one logout only: the one that asks now.
    document.logoutAnswered(false);
    if (document.isClosing() || !document.isModified())
        return;
    bool mayClose = false;
    if (document.isAsking()) {
        // The question is already up, from the close box or Exit: its answer
        // is the answer, and the user sees one box.
        mayClose = editor.platform.messages.awaitShowingAnswer() == platform::Answer::Yes;
    } else {
        // Without leave to ask, the logout goes on as if nothing had changed,
        // and the close that ends the program asks.
        if (!logout.allowsInteraction())
            return;
        mayClose = confirmClose(editor);
    }
    if (!mayClose) {
        // Cancel alone: a release first would tell the session manager to go on.
        logout.cancel();
        return;
    }
    document.logoutAnswered(true);
    logout.release();
}

void quitArrived(Document& document)
{
    // A logout that was cancelled sends no Quit, so the next close asks again.
    if (document.agreedToLogout())
        document.closing();
}

} // namespace mx
