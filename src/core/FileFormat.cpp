// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileFormat.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

using Flag = QStringConverter::Flag;

// How far into a file a NUL byte makes it binary.
constexpr qsizetype kBinaryProbeBytes = 64 * 1024;
// How far into a page its own charset declaration is looked for.
constexpr qsizetype kDeclarationProbeBytes = 4 * 1024;

// Windows Japanese, the encoding most Japanese pages of their day were
// written in, under the name Qt's ICU knows it by.
const QString kWindowsJapanese = QStringLiteral("windows-31j");

bool isWindowsJapanese(const QString& encoding)
{
    return encoding.compare(kWindowsJapanese, Qt::CaseInsensitive) == 0;
}

// The encodings tried, in order, when neither a mark nor a declaration
// settles it. EUC-JP goes before Windows Japanese: a Windows Japanese text
// almost never passes as EUC-JP, while EUC-JP often passes as half-width
// katakana in Windows Japanese.
const QString kCandidates[] = {QStringLiteral("UTF-8"), QStringLiteral("EUC-JP"), kWindowsJapanese};

// Decoding stops at the first chunk with an error, so that a 100 MB Shift_JIS
// file does not have to fail as UTF-8 and EUC-JP all the way to its end.
constexpr qsizetype kChunkBytes = qsizetype(1) << 20;

// A multi-byte character of the candidates never goes on with a byte below
// 0x40 (trail bytes of Windows Japanese start there), so a chunk may end
// right before one without cutting a character.
qsizetype chunkEnd(QByteArrayView bytes, qsizetype from)
{
    for (qsizetype at = from; at < bytes.size(); ++at)
        if (uchar(bytes[at]) < 0x40)
            return at;
    return bytes.size();
}

// The whole text, or nothing if any byte is not valid in the encoding.
std::optional<QString> decodeStrict(QByteArrayView bytes, const QString& encoding, bool chunked)
{
    QStringDecoder decoder(encoding.toLatin1().constData(), Flag::Stateless | Flag::ConvertInitialBom);
    if (!decoder.isValid())
        return std::nullopt;
    QString text;
    text.resize(decoder.requiredSpace(bytes.size()));
    qsizetype used = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end =
            chunked ? chunkEnd(bytes, std::min(at + kChunkBytes, bytes.size())) : bytes.size();
        const QByteArrayView chunk = bytes.sliced(at, end - at);
        const qsizetype need = used + decoder.requiredSpace(chunk.size());
        if (need > text.size())
            text.resize(need);
        used = decoder.appendToBuffer(text.data() + used, chunk) - text.constData();
        if (decoder.hasError())
            return std::nullopt;
        at = end;
    }
    text.resize(used);
    text.squeeze();
    return text;
}

// Qt's UTF-16 decoder lets lone surrogates and an odd last byte through.
std::optional<QString> decodeUtf16(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder decoder(encoding, Flag::Stateless | Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(p[i]) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]))
            ++i;
        else if (QChar::isSurrogate(p[i]))
            return std::nullopt;
    }
    return text;
}

// Only a declaration in an encoding that leaves ASCII alone can have been
// read as ASCII in the first place.
bool keepsAscii(const QString& encoding)
{
    static const QByteArray sample = "<meta charset=\"x\">\r\n"_ba;
    QStringDecoder decoder(encoding.toLatin1().constData(), Flag::Stateless);
    if (!decoder.isValid())
        return false;
    const QString text = decoder(sample);
    return !decoder.hasError() && text == QLatin1StringView(sample);
}

bool isLineEnd(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

// Notes the file's line-end style and whether it ended with one, and turns
// every line end (CR LF, lone CR, lone LF) into CR LF.
void takeLineEnds(QString& text, FileFormat& format)
{
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    qsizetype crlf = 0, cr = 0, lf = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == u'\r') {
            if (i + 1 < n && p[i + 1] == u'\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        } else if (p[i] == u'\n') {
            ++lf;
        }
    }
    format.finalLineEnd = n > 0 && isLineEnd(p[n - 1]);
    if (crlf == 0 && cr == 0 && lf > 0)
        format.lineEnd = LineEnd::Lf;
    else if (crlf == 0 && lf == 0 && cr > 0)
        format.lineEnd = LineEnd::Cr;
    else
        format.lineEnd = LineEnd::CrLf;
    if (cr == 0 && lf == 0)
        return;

    QString out(n + cr + lf, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (!isLineEnd(c)) {
            *o++ = c;
            continue;
        }
        *o++ = u'\r';
        *o++ = u'\n';
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
    }
    text = std::move(out);
}

bool isLatin1(const QString& encoding)
{
    return QStringConverter::encodingForName(encoding.toLatin1().constData()) == QStringConverter::Latin1;
}

char32_t codePointAt(QStringView text, qsizetype at)
{
    const QChar c = text[at];
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[at + 1]);
    return c.unicode();
}

qsizetype codePointLength(QStringView text, qsizetype at)
{
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

// Where the first character the encoding cannot hold stands, or -1.
qsizetype firstUnencodable(QStringView text, const QString& encoding)
{
    // Qt's Latin-1 encoder writes '?' without a word.
    if (isLatin1(encoding)) {
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i].unicode() > 0xFF)
                return i;
        return -1;
    }
    const QByteArray name = encoding.toLatin1();
    constexpr qsizetype kChunk = 4096;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = std::min(at + kChunk, text.size());
        if (end < text.size() && text[end - 1].isHighSurrogate())
            ++end;
        QStringEncoder chunk(name.constData(), Flag::Stateless);
        // encode() only converts when its result is taken.
        const QByteArray ignored = chunk.encode(text.sliced(at, end - at));
        if (chunk.hasError()) {
            for (qsizetype i = at; i < end; i += codePointLength(text, i)) {
                QStringEncoder one(name.constData(), Flag::Stateless);
                const QByteArray alone = one.encode(text.sliced(i, codePointLength(text, i)));
                if (one.hasError())
                    return i;
            }
        }
        at = end;
    }
    return -1;
}

// Whether the text read in an encoding can be written in it again. Some
// decoders take more than their encoder writes: EUC-JP reads 0x8E E0 to E2
// and 0x8F A2 C3 as characters it writes nowhere, ISO-2022-JP reads the
// Windows extension rows, others give U+FFFD without an error. A file read
// so could be opened but never saved. Strict UTF-8 and Windows Japanese
// write everything they read (the tests go through every code of the latter),
// and they are most files, so the extra pass is spared them.
bool writesBack(const QString& text, const QString& encoding)
{
    if (encoding.compare(u"UTF-8"_s, Qt::CaseInsensitive) == 0 || isWindowsJapanese(encoding))
        return true;
    return firstUnencodable(text, encoding) < 0;
}

qsizetype lineOf(QStringView text, qsizetype at)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < at; ++i) {
        if (text[i] == u'\n')
            ++line;
        else if (text[i] == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'))
            ++line;
    }
    return line;
}

// The text area keeps these only as the boundary between two blocks: read
// into it, each would come back as a line end, and the file would change on
// the next save without a word.
bool isUnholdable(char16_t c)
{
    return c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

// The first of them, or end. Every file opened is searched, so the blocks
// without one, nearly all, go by in a loop without branches that the compiler
// vectorises, several times faster than a plain search.
const char16_t* firstUnholdable(const char16_t* p, const char16_t* end)
{
    constexpr qsizetype kBlock = 256;
    for (; end - p >= kBlock; p += kBlock) {
        unsigned found = 0;
        for (qsizetype i = 0; i < kBlock; ++i)
            found |= unsigned(p[i] == 0x2029) | unsigned((p[i] | 1) == 0xFDD1);
        if (found)
            break;
    }
    return std::find_if(p, end, isUnholdable);
}

// Why the text cannot be opened, naming the first such character and its
// line; empty when every character can be held.
QString unholdableReason(QStringView text)
{
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const auto* end = p + text.size();
    const auto* bad = firstUnholdable(p, end);
    if (bad == end)
        return {};
    const QString line = QString::number(lineOf(text, bad - p));
    const QString name = *bad == 0x2029 ? u"段落区切り"_s : u"非文字"_s;
    const QString code = QString::number(uint(*bad), 16).toUpper();
    return u"%1 行目の「%2」(U+%3) は本文に入れると改行に変わってしまう文字です。"
           "ほかのエディターで取り除くか別の文字に置き換えてから開いてください。"_s.arg(line, name, code);
}

DecodedFile finish(QString text, FileFormat format)
{
    takeLineEnds(text, format);
    if (QString reason = unholdableReason(text); !reason.isEmpty())
        return {{}, {}, false, std::move(reason)};
    return {std::move(text), std::move(format), false, {}};
}

QStringView lineEndText(LineEnd style)
{
    switch (style) {
    case LineEnd::Lf: return u"\n";
    case LineEnd::Cr: return u"\r";
    case LineEnd::CrLf: break;
    }
    return u"\r\n";
}

} // namespace

QString declaredCharset(QByteArrayView head)
{
    static const QRegularExpression meta(uR"(<meta\b[^>]*?\bcharset\s*=\s*["']?\s*([A-Za-z0-9._:\-]+))"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(head.first(std::min(head.size(), kDeclarationProbeBytes)));
    const QRegularExpressionMatch match = meta.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

DecodedFile decodeFile(QByteArrayView bytes)
{
    const QString binary = u"文字のファイルではありません（バイナリファイルのようです）。"_s;

    struct Mark {
        QByteArrayView bytes;
        QStringConverter::Encoding encoding;
        const char16_t* name;
    };
    static const Mark marks[] = {
        {"\xEF\xBB\xBF", QStringConverter::Utf8, u"UTF-8"},
        {"\xFF\xFE", QStringConverter::Utf16LE, u"UTF-16LE"},
        {"\xFE\xFF", QStringConverter::Utf16BE, u"UTF-16BE"},
    };
    for (const Mark& mark : marks) {
        if (!bytes.startsWith(mark.bytes))
            continue;
        const QByteArrayView body = bytes.sliced(mark.bytes.size());
        const QString name = QString::fromUtf16(mark.name);
        std::optional<QString> text = mark.encoding == QStringConverter::Utf8
                                          ? decodeStrict(body, name, true)
                                          : decodeUtf16(body, mark.encoding);
        if (!text)
            break; // not what the mark says: the bytes are something else
        if (QStringView(*text).first(std::min(text->size(), kBinaryProbeBytes)).contains(QChar(0)))
            return {{}, {}, false, binary};
        return finish(std::move(*text), {name, true});
    }

    if (bytes.first(std::min(bytes.size(), kBinaryProbeBytes)).contains('\0'))
        return {{}, {}, false, binary};

    const QString declared = declaredCharset(bytes);
    if (!declared.isEmpty() && keepsAscii(declared)) {
        // Not chunked: a declared encoding may carry state from line to line.
        std::optional<QString> text = decodeStrict(bytes, declared, false);
        if (text && writesBack(*text, declared))
            return finish(std::move(*text), {declared});
    }

    for (const QString& name : kCandidates) {
        std::optional<QString> text = decodeStrict(bytes, name, true);
        if (text && writesBack(*text, name))
            return finish(std::move(*text), {name});
    }

    DecodedFile last = finish(QString::fromLatin1(bytes), {u"ISO-8859-1"_s});
    last.guessed = true;
    return last;
}

EncodedFile encodeFile(QStringView text, const FileFormat& format)
{
    const QStringView eol = lineEndText(format.lineEnd);
    const bool appendLineEnd = format.finalLineEnd && !(!text.isEmpty() && isLineEnd(text.back().unicode()));

    QStringEncoder encoder(format.encoding.toLatin1().constData());
    QByteArray bytes;
    qsizetype used = 0;
    const auto put = [&](QStringView part) {
        const qsizetype need = used + encoder.requiredSpace(part.size());
        if (need > bytes.size())
            bytes.resize(std::max(need, bytes.size() + bytes.size() / 2));
        used = encoder.appendToBuffer(bytes.data() + used, part) - bytes.constData();
    };
    bytes.resize(encoder.requiredSpace(text.size() + 1) + 4);
    if (format.byteOrderMark)
        put(u"\uFEFF");

    // Runs of text between the line ends that must change go out unchanged;
    // a CR LF document saved as CR LF is one run.
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (!isLineEnd(c))
            continue;
        const bool pair = c == u'\r' && i + 1 < n && p[i + 1] == u'\n';
        if (pair && format.lineEnd == LineEnd::CrLf) {
            ++i;
            continue;
        }
        put(text.sliced(start, i - start));
        put(eol);
        if (pair)
            ++i;
        start = i + 1;
    }
    put(text.sliced(start));
    if (appendLineEnd)
        put(eol);
    bytes.resize(used);

    // The encoder writes a substitute for what it cannot hold and only says
    // so afterwards; the search for the culprit runs only then.
    if (encoder.hasError() || isLatin1(format.encoding)) {
        if (const qsizetype bad = firstUnencodable(text, format.encoding); bad >= 0)
            return {{}, codePointAt(text, bad), lineOf(text, bad)};
    }
    return {std::move(bytes), 0, 0};
}

QString encodingDisplayName(const QString& encoding)
{
    if (isWindowsJapanese(encoding))
        return u"Shift_JIS"_s;
    return encoding;
}

} // namespace mx
