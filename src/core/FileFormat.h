// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <QByteArrayView>
#include <QString>

namespace mx {

enum class LineEnd { CrLf, Lf, Cr };

// How a document sits on disk, so that saving writes it back the way it came.
// The defaults are a new document's: UTF-8 without a mark, CR LF.
struct FileFormat {
    // A name QStringDecoder and QStringEncoder know.
    QString encoding = QStringLiteral("UTF-8");
    bool byteOrderMark = false;
    LineEnd lineEnd = LineEnd::CrLf;
    // Whether the file ended with a line end. A new document counts as one
    // that did, so that it is saved with one.
    bool finalLineEnd = true;

    bool operator==(const FileFormat&) const = default;
};

// The largest file Open takes. Its text, even with every line end doubled,
// still fits the text area's positions.
inline constexpr qint64 kMaxFileBytes = qint64(512) << 20;

struct DecodedFile {
    // The file's lines ended by CR LF, with exactly the line ends the file has.
    QString text;
    FileFormat format;
    // No encoding read the file cleanly; ISO-8859-1 keeps its bytes.
    bool guessed = false;
    // Non-empty when the file is refused, saying why.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Reads a file's bytes: a byte-order mark, else the page's own declaration,
// else strict UTF-8, EUC-JP and Windows Japanese in turn, else ISO-8859-1.
// A candidate counts only when it decodes every byte. Refuses a binary file,
// and a text holding U+2029, U+FDD0 or U+FDD1, which the text area keeps only
// as line ends, naming the first and its line.
DecodedFile decodeFile(QByteArrayView bytes);

struct EncodedFile {
    QByteArray bytes;
    // When a character cannot be written in the encoding: the character, its
    // line counted from 1, and nothing in bytes.
    char32_t unencodable = 0;
    qsizetype line = 0;
    bool ok() const { return line == 0; }
};

// Writes the text in the format: its line ends in the file's style, one more
// line end at the end when the text lacks one and the format has one, the
// mark if the file had one.
EncodedFile encodeFile(QStringView text, const FileFormat& format);

// The charset a page declares in a <meta> tag near its start, as written;
// empty when it declares none.
QString declaredCharset(QByteArrayView head);

// The encoding's name as the user knows it.
QString encodingDisplayName(const QString& encoding);

} // namespace mx
