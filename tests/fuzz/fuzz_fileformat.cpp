// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Bytes in as a file is read, text out, and the text written back in the
// format the file was read in.
//
// Whenever the decoder accepts the bytes:
// - the text has only CR LF line ends, as many as the file had line ends,
//   and no U+2029, U+FDD0 or U+FDD1, which the text area would turn into one;
// - writing it back in the file's format succeeds, and reading those bytes in
//   the same encoding gives the same text;
// - for the encodings with one way of writing each character (UTF-8, UTF-16,
//   ISO-8859-1) the bytes written are the file's own, up to the style of the
//   line ends, and exactly the file's own when it used one style throughout.
//   The Japanese legacy encodings have characters with two codes (NEC and
//   IBM rows of Windows Japanese), which come back in one of them.
#include "core/FileFormat.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace mx;

namespace {

[[noreturn]] void fail(const char* what, const DecodedFile& decoded, const QByteArray& detail = {})
{
    std::fprintf(stderr, "%s\n  encoding %s, mark %d, line end %d, final %d, guessed %d\n  %s\n", what,
                 decoded.format.encoding.toUtf8().constData(), decoded.format.byteOrderMark,
                 int(decoded.format.lineEnd), decoded.format.finalLineEnd, decoded.guessed,
                 detail.toPercentEncoding(" <>").constData());
    std::abort();
}

// Line ends in a file counted the way the document counts them: CR LF, lone
// CR and lone LF are one each. Also says whether they were all of one style.
struct LineEnds {
    qsizetype count = 0;
    bool uniform = true;
    LineEnd style = LineEnd::CrLf;
};

template <typename Unit>
LineEnds countLineEnds(const Unit* p, qsizetype n)
{
    LineEnds out;
    bool seen = false;
    for (qsizetype i = 0; i < n; ++i) {
        LineEnd style;
        if (p[i] == Unit('\r') && i + 1 < n && p[i + 1] == Unit('\n')) {
            style = LineEnd::CrLf;
            ++i;
        } else if (p[i] == Unit('\r')) {
            style = LineEnd::Cr;
        } else if (p[i] == Unit('\n')) {
            style = LineEnd::Lf;
        } else {
            continue;
        }
        ++out.count;
        if (seen && style != out.style)
            out.uniform = false;
        out.style = style;
        seen = true;
    }
    return out;
}

QString withCrLf(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        out += text[i] == u'\r' || text[i] == u'\n' ? u"\r\n"_s : QString(text[i]);
    }
    return out;
}

// The text of bytes in one encoding, with CR LF line ends and without the mark.
QString readAs(const QByteArray& bytes, const FileFormat& format, bool* error)
{
    QStringDecoder decoder(format.encoding.toLatin1().constData(),
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    *error = decoder.hasError();
    if (format.byteOrderMark && text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return withCrLf(text);
}

bool isSingleCode(const QString& encoding)
{
    return encoding == u"UTF-8"_s || encoding == u"UTF-16LE"_s || encoding == u"UTF-16BE"_s
           || encoding == u"ISO-8859-1"_s;
}

// The file's bytes as units of its encoding, to find its line ends.
LineEnds fileLineEnds(const QByteArray& bytes, const FileFormat& format)
{
    if (format.encoding.startsWith(u"UTF-16"_s)) {
        const bool big = format.encoding.endsWith(u"BE"_s);
        QList<char16_t> units;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
            const auto hi = uchar(bytes[big ? i : i + 1]);
            const auto lo = uchar(bytes[big ? i + 1 : i]);
            units.append(char16_t(hi << 8 | lo));
        }
        return countLineEnds(units.constData(), units.size());
    }
    return countLineEnds(bytes.constData(), bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const DecodedFile decoded = decodeFile(file);
    if (!decoded.ok())
        return 0;

    // Only CR LF inside the document, and the file's number of line ends.
    const LineEnds inText = countLineEnds(decoded.text.utf16(), decoded.text.size());
    if (!inText.uniform || (inText.count > 0 && inText.style != LineEnd::CrLf))
        fail("a line end other than CR LF in the text", decoded, decoded.text.toUtf8());
    for (const char16_t c : {u'\u2029', u'\uFDD0', u'\uFDD1'})
        if (decoded.text.contains(QChar(c)))
            fail("a character the text area cannot hold was let in", decoded, decoded.text.toUtf8());
    if (decoded.format.finalLineEnd != decoded.text.endsWith(u"\r\n"_s))
        fail("the final line end is not where the format says", decoded, decoded.text.toUtf8());

    const EncodedFile encoded = encodeFile(decoded.text, decoded.format);
    if (!encoded.ok())
        fail("a character read from the file cannot be written back", decoded,
             QStringView(QChar::fromUcs4(encoded.unencodable)).toUtf8());

    bool error = false;
    const QString again = readAs(encoded.bytes, decoded.format, &error);
    if (error || again != decoded.text)
        fail("the text written back reads differently", decoded, again.toUtf8());

    if (!decoded.guessed && !isSingleCode(decoded.format.encoding))
        return 0;
    const LineEnds inFile = fileLineEnds(file, decoded.format);
    if (inFile.count != inText.count)
        fail("line ends were lost or made up", decoded, file);
    if (inFile.uniform && encoded.bytes != file)
        fail("the file written back differs from the one read", decoded, encoded.bytes);
    return 0;
}
