// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QPlainTextEdit>

namespace mx {

// The plain text widget under the text area, hardened against the programs
// that own the clipboard. A paste reads another program's selection, and
// that program may never answer: Qt then gives up after its timeout, and its
// own paste can be left holding data that is gone. Here a paste takes plain
// text only, asks the owner as little as possible, and inserts nothing when
// nothing came.
class TextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) { }

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace mx
