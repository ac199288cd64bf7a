// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QMenuBar>

class QKeyEvent;

namespace mx {

// What a screen reader is told the program is, and the window too.
QString programDescription();

// The menu bar as keyboard users need it. The captions carry no access keys,
// so the menus are reached with F10 or Alt and the arrows.
class MenuBar : public QMenuBar {
    Q_OBJECT
public:
    using QMenuBar::QMenuBar;

    // F10: the first menu open with its first item ready, as when the menu
    // bar is entered with Alt and opened with Down.
    void openFirstMenu();

protected:
    // The style highlights a title only while its menu is open; a title the
    // keys are on after Alt alone gets the same highlight, or a sighted user
    // cannot tell where the keys go.
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
};

// Alt with a character and without Ctrl asks for an access key, which no
// caption has: such a key must not type into the document. AltGr is a key of
// its own (no Alt modifier) and types; Ctrl+Alt is left alone, as some
// keyboards type with it.
bool asksForAccessKey(const QKeyEvent& key);

// Has the accessibility bus describe the application as programDescription()
// rather than by the path of its binary. Once, before the bus first asks.
void describeApplication();

} // namespace mx
