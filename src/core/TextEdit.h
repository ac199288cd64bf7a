// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QPlainTextEdit>

#include <functional>

namespace mx {

// The plain text widget under the text area, hardened against the programs
// that own the clipboard. A paste reads another program's selection, and
// that program may never answer: Qt then gives up after its timeout, and its
// own paste can be left holding data that is gone. Here a paste takes plain
// text only, asks the owner as little as possible, and inserts nothing when
// nothing came.
//
// A long line stands in pieces (see LinePieces): what is copied, cut or
// dragged holds the line as one, and each piece that continues a line is
// marked where it starts and where the piece before it ends.
class TextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) { }

    // What puts pasted or dropped text in at the caret, as one undo step
    // with the caret after it; the widget's own insertPlainText() if unset.
    void setPlainTextInserter(std::function<void(const QString&)> inserter)
    {
        inserter_ = std::move(inserter);
    }

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void(const QString&)> inserter_;
};

} // namespace mx
