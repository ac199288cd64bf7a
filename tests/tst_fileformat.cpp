// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The document file format: which encoding a file is read in, its line ends,
// and writing it back byte for byte.
#include "core/FileFormat.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace mx;

Q_DECLARE_METATYPE(mx::LineEnd)

namespace {

QByteArray bytes(const char* text)
{
    return QByteArray(text);
}

// "日本語" in the three Japanese encodings, written out by hand.
const QByteArray kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA"_ba;
const QByteArray kNihongoEuc = "\xC6\xFC\xCB\xDC\xB8\xEC"_ba;
const QByteArray kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"_ba;

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    const QByteArray out = encoder(text);
    Q_ASSERT(!encoder.hasError());
    return out;
}

} // namespace

class TestFileFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Without ICU, Qt knows no Windows Japanese, and every Shift_JIS file
    // would open as ISO-8859-1 garbage.
    void qtDecodesWindowsJapanese()
    {
        QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
        QVERIFY2(decoder.isValid(),
                 "This Qt has no ICU: it cannot read or write Shift_JIS (windows-31j) files. "
                 "Build against a Qt with ICU support.");
        const QString text = decoder("\x81\x60\x87\x40\xFA\x40\xFB\xFC"_ba);
        QVERIFY(!decoder.hasError());
        QCOMPARE(text, u"\uFF5E\u2460\u2170\u9AD9"_s); // ～ ① ⅰ 髙
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<bool>("mark");
        QTest::addColumn<LineEnd>("lineEnd");
        QTest::addColumn<QByteArray>("saved"); // empty: the file itself

        const QString nihongo = u"日本語"_s;
        QTest::newRow("UTF-8 CR LF") << "<P>"_ba + kNihongoUtf8 + "</P>\r\n\r\n"_ba
                                     << u"<P>"_s + nihongo + u"</P>\r\n\r\n"_s << u"UTF-8"_s << false
                                     << LineEnd::CrLf << QByteArray();
        QTest::newRow("UTF-8 LF") << kNihongoUtf8 + "\nb\n"_ba << nihongo + u"\r\nb\r\n"_s << u"UTF-8"_s
                                  << false << LineEnd::Lf << QByteArray();
        QTest::newRow("CR") << bytes("a\rb\r") << u"a\r\nb\r\n"_s << u"UTF-8"_s << false << LineEnd::Cr
                            << QByteArray();
        QTest::newRow("mixed line ends become CR LF")
            << bytes("a\r\nb\nc\rd\n") << u"a\r\nb\r\nc\r\nd\r\n"_s << u"UTF-8"_s << false << LineEnd::CrLf
            << bytes("a\r\nb\r\nc\r\nd\r\n");
        QTest::newRow("no final line end")
            << bytes("a\nb") << u"a\r\nb"_s << u"UTF-8"_s << false << LineEnd::Lf << QByteArray();
        QTest::newRow("empty file") << QByteArray() << QString() << u"UTF-8"_s << false << LineEnd::CrLf
                                    << QByteArray();
        QTest::newRow("only line ends")
            << bytes("\n\n") << u"\r\n\r\n"_s << u"UTF-8"_s << false << LineEnd::Lf << QByteArray();
        QTest::newRow("UTF-8 with mark")
            << "\xEF\xBB\xBF"_ba + kNihongoUtf8 + "\r\n"_ba << nihongo + u"\r\n"_s << u"UTF-8"_s << true
            << LineEnd::CrLf << QByteArray();
        QTest::newRow("UTF-8 mark then a second one kept")
            << "\xEF\xBB\xBF\xEF\xBB\xBFx"_ba << u"\uFEFFx"_s << u"UTF-8"_s << true << LineEnd::CrLf
            << QByteArray();
        QTest::newRow("UTF-16LE") << "\xFF\xFE\xE5\x65\x2C\x67\x9E\x8A\x0A\x00"_ba << nihongo + u"\r\n"_s
                                  << u"UTF-16LE"_s << true << LineEnd::Lf << QByteArray();
        QTest::newRow("UTF-16BE") << "\xFE\xFF\x65\xE5\x67\x2C\x8A\x9E\x00\x0D\x00\x0A"_ba
                                  << nihongo + u"\r\n"_s << u"UTF-16BE"_s << true << LineEnd::CrLf
                                  << QByteArray();
        QTest::newRow("Shift_JIS undeclared")
            << "<P>"_ba + kNihongoSjis + " \xB1\xB2\xB3</P>\r\n"_ba << u"<P>日本語 ｱｲｳ</P>\r\n"_s
            << u"windows-31j"_s << false << LineEnd::CrLf << QByteArray();
        QTest::newRow("Shift_JIS declared")
            << "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n"_ba
                   + kNihongoSjis + "\r\n"_ba
            << u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n日本語\r\n"_s
            << u"Shift_JIS"_s << false << LineEnd::CrLf << QByteArray();
        QTest::newRow("EUC-JP declared") << "<meta charset=\"euc-jp\">\n"_ba + kNihongoEuc + "\n"_ba
                                         << u"<meta charset=\"euc-jp\">\r\n日本語\r\n"_s << u"euc-jp"_s
                                         << false << LineEnd::Lf << QByteArray();
        QTest::newRow("EUC-JP undeclared") << "<P>"_ba + kNihongoEuc + "</P>\n"_ba << u"<P>日本語</P>\r\n"_s
                                           << u"EUC-JP"_s << false << LineEnd::Lf << QByteArray();
        // Valid in both, read apart: EUC-JP is tried first, as the
        // half-width katakana of Windows Japanese rarely come in pairs.
        QTest::newRow("EUC-JP kanji that Windows Japanese reads as katakana")
            << "\xB1\xB2\xB3\xB4\r\n"_ba << u"\u6E26\u6168\r\n"_s << u"EUC-JP"_s << false << LineEnd::CrLf
            << QByteArray();
        const QString extensions = u"①㈱髙﨑ⅰⅱ纊\uFFE4\r\n"_s;
        QTest::newRow("Windows Japanese extensions")
            << cp932(extensions) << extensions << u"windows-31j"_s << false << LineEnd::CrLf << QByteArray();
        // The declared decoder fails on UTF-8 bytes, so the declaration loses.
        QTest::newRow("UTF-8 declaring Shift_JIS")
            << "<meta charset=\"Shift_JIS\">\r\n"_ba + kNihongoUtf8 + "\r\n"_ba
            << u"<meta charset=\"Shift_JIS\">\r\n日本語\r\n"_s << u"UTF-8"_s << false << LineEnd::CrLf
            << QByteArray();
        QTest::newRow("ISO-2022-JP declared") << "<meta charset=\"iso-2022-jp\">\n\x1B$BF|K\\8l\x1B(B\n"_ba
                                              << u"<meta charset=\"iso-2022-jp\">\r\n日本語\r\n"_s
                                              << u"iso-2022-jp"_s << false << LineEnd::Lf << QByteArray();
        // The ISO-2022-JP decoder also takes a Windows extension row that its
        // encoder does not write: read so, the page could never be saved.
        QTest::newRow("declared decoder reads what it cannot write")
            << "<meta charset=\"iso-2022-jp\">\n\x1B$BF||K\x1B(B\n"_ba
            << u"<meta charset=\"iso-2022-jp\">\r\n\x1B$BF||K\x1B(B\r\n"_s << u"UTF-8"_s << false
            << LineEnd::Lf << QByteArray();
        // Nor does EUC-JP write everything it reads; Windows Japanese reads
        // these bytes as two kanji.
        QTest::newRow("EUC-JP reads what it cannot write")
            << "\x8E\xE0\x8E\xE2\r\n"_ba << u"\u932B\u5BC2\r\n"_s << u"windows-31j"_s << false
            << LineEnd::CrLf << QByteArray();
        QTest::newRow("declaration unknown") << "<meta charset=\"x-nonsense\">\r\n"_ba + kNihongoSjis
                                             << u"<meta charset=\"x-nonsense\">\r\n日本語"_s
                                             << u"windows-31j"_s << false << LineEnd::CrLf << QByteArray();
        // Half UTF-8, half Shift_JIS: no candidate reads it all.
        QTest::newRow("changes encoding half-way")
            << "\xE3\x81\x82\r\n"_ba + kNihongoSjis + "\r\n"_ba
            << QString::fromLatin1("\xE3\x81\x82\r\n\x93\xFA\x96\x7B\x8C\xEA\r\n") << u"ISO-8859-1"_s << false
            << LineEnd::CrLf << QByteArray();
    }

    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(QString, encoding);
        QFETCH(bool, mark);
        QFETCH(LineEnd, lineEnd);
        QFETCH(QByteArray, saved);

        const DecodedFile decoded = decodeFile(file);
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.format.encoding, encoding);
        QCOMPARE(decoded.format.byteOrderMark, mark);
        QCOMPARE(decoded.format.lineEnd, lineEnd);
        QCOMPARE(decoded.guessed, encoding == u"ISO-8859-1"_s);

        const EncodedFile encoded = encodeFile(decoded.text, decoded.format);
        QVERIFY(encoded.ok());
        QCOMPARE(encoded.bytes, saved.isEmpty() ? file : saved);
    }

    // Every double-byte code of Windows Japanese that comes back as itself,
    // NEC and IBM extensions and the user-defined area included.
    void everyRoundTrippingCp932Code()
    {
        QByteArray file;
        int codes = 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead < 0xE0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
                const QString one = decoder(QByteArrayView(pair, 2));
                if (decoder.hasError())
                    continue;
                QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
                if (QByteArray(encoder(one)) != QByteArrayView(pair, 2))
                    continue;
                file.append(pair, 2);
                if (++codes % 40 == 0)
                    file += "\r\n";
            }
        }
        // 7915 characters plus 1880 user-defined, less 398 duplicates.
        QCOMPARE(codes, 9206);
        const DecodedFile decoded = decodeFile(file);
        QCOMPARE(decoded.format.encoding, u"windows-31j"_s);
        QCOMPARE(encodeFile(decoded.text, decoded.format).bytes, file);
    }

    // Whatever Windows Japanese reads it can write back, which spares its
    // files a pass of the encoder when they are opened.
    void everyCp932CodeReadIsWritable()
    {
        QList<QByteArray> unwritable;
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int trail = -1; trail <= 0xFF; ++trail) {
                QByteArray code(1, char(lead));
                if (trail >= 0)
                    code += char(trail);
                QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
                const QString text = decoder(code);
                if (decoder.hasError())
                    continue;
                QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
                const QByteArray written = encoder(text);
                if (encoder.hasError())
                    unwritable << code.toHex();
            }
        }
        QCOMPARE(unwritable, QList<QByteArray>());
    }

    // The one exception to byte for byte: a character that Windows Japanese
    // has at two or three codes is written at one. Pinned here.
    void duplicateCodesWrittenAtOne_data()
    {
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QByteArray>("written");
        // NEC row 13 copies of JIS symbols go to the JIS code.
        QTest::newRow("≒ NEC") << "\x87\x90"_ba
                               << "\x81\xE0"_ba;
        QTest::newRow("∵ NEC") << "\x87\x9A"_ba
                               << "\x81\xE6"_ba;
        QTest::newRow("∪ NEC") << "\x87\x9C"_ba
                               << "\x81\xBE"_ba;
        // IBM copies of NEC row 13 and JIS characters go there.
        QTest::newRow("Ⅰ IBM") << "\xFA\x4A"_ba
                               << "\x87\x54"_ba;
        QTest::newRow("㈱ IBM") << "\xFA\x58"_ba
                                << "\x87\x8A"_ba;
        QTest::newRow("№ IBM") << "\xFA\x59"_ba
                               << "\x87\x82"_ba;
        QTest::newRow("∵ IBM") << "\xFA\x5B"_ba
                               << "\x81\xE6"_ba;
        QTest::newRow("￢ IBM") << "\xFA\x54"_ba
                                << "\x81\xCA"_ba;
        // NEC-selected IBM extensions go to the IBM extension code.
        QTest::newRow("纊 NEC-selected") << "\xED\x40"_ba
                                         << "\xFA\x5C"_ba;
        QTest::newRow("ⅰ NEC-selected") << "\xEE\xEF"_ba
                                        << "\xFA\x40"_ba;
        QTest::newRow("￢ NEC-selected") << "\xEE\xF9"_ba
                                         << "\x81\xCA"_ba;
        QTest::newRow("＂ NEC-selected") << "\xEE\xFC"_ba
                                         << "\xFA\x57"_ba;
    }

    void duplicateCodesWrittenAtOne()
    {
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, written);
        // A Shift_JIS line around it, so that nothing else can read the file.
        const QByteArray file = kNihongoSjis + read + "\r\n"_ba;
        const DecodedFile decoded = decodeFile(file);
        QCOMPARE(decoded.format.encoding, u"windows-31j"_s);
        QCOMPARE(encodeFile(decoded.text, decoded.format).bytes, kNihongoSjis + written + "\r\n"_ba);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason"); // empty: read
        const QString binary = u"バイナリ"_s;
        QTest::newRow("NUL at the start") << "\x00\x01\x02"_ba << binary;
        QTest::newRow("NUL inside 64 KiB") << QByteArray(65535, 'a') + '\0' << binary;
        QTest::newRow("NUL after 64 KiB") << QByteArray(65536, 'a') + '\0' << QString();
        QTest::newRow("UTF-16 without a mark") << "<\x00P\x00>\x00"_ba << binary;
        QTest::newRow("UTF-16 mark, odd length") << "\xFF\xFE<\x00P"_ba << binary;
        QTest::newRow("UTF-16 mark, NUL character") << "\xFF\xFE\x00\x00"_ba << binary;
        QTest::newRow("every byte but NUL") << [] {
            QByteArray all;
            for (int b = 1; b < 256; ++b)
                all += char(b);
            return all;
        }() << QString();
        // The text area would give these back as line ends; lines as the save counts them.
        QTest::newRow("paragraph separator, UTF-8")
            << "a\r\nb\rc\n\xE2\x80\xA9\r\n"_ba << u"4 行目の「段落区切り」(U+2029)"_s;
        QTest::newRow("U+FDD0, UTF-16 with mark")
            << "\xFF\xFE<\x00\r\x00\n\x00\xD0\xFD\x29\x20"_ba << u"2 行目の「非文字」(U+FDD0)"_s;
        QTest::newRow("far into the file") << QByteArray(300, 'a') + "\n"_ba + QByteArray(400, 'b')
                                                  + "\xEF\xB7\x91"_ba + QByteArray(400, 'c')
                                           << u"2 行目の「非文字」(U+FDD1)"_s;
    }

    // Binary files and characters the text area cannot hold are refused;
    // whatever else the bytes, reading gives a text that writes them back.
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        const DecodedFile decoded = decodeFile(file);
        QCOMPARE(!decoded.ok(), !reason.isEmpty());
        if (!reason.isEmpty())
            QVERIFY2(decoded.error.contains(reason), qPrintable(decoded.error));
        else
            QVERIFY(encodeFile(decoded.text, decoded.format).ok());
    }

    // Whatever the bytes: no crash, and what was read can be written.
    void anyBytes()
    {
        QRandomGenerator random(4);
        for (int i = 0; i < 300; ++i) {
            QByteArray file(random.bounded(1, 600), Qt::Uninitialized);
            for (char& b : file) // mostly high bytes and line ends, where the trouble is
                b = char(random.bounded(8) == 0 ? "\r\n<a"[random.bounded(4)] : random.bounded(1, 256));
            const DecodedFile decoded = decodeFile(file);
            QVERIFY(decoded.ok());
            const EncodedFile encoded = encodeFile(decoded.text, decoded.format);
            QVERIFY2(encoded.ok(), file.toHex().constData());
        }
    }

    void finalLineEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fileHadOne");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("new skeleton") << u"<HTML>\r\n</HTML>"_s << true << bytes("<HTML>\r\n</HTML>\r\n");
        QTest::newRow("new, ends with one") << u"a\r\n"_s << true << bytes("a\r\n");
        QTest::newRow("new, empty") << QString() << true << bytes("\r\n");
        QTest::newRow("file had none") << u"a\r\nb"_s << false << bytes("a\r\nb");
        QTest::newRow("file had none, user added one") << u"a\r\n"_s << false << bytes("a\r\n");
        QTest::newRow("empty file stays empty") << QString() << false << QByteArray();
    }

    void finalLineEnd()
    {
        QFETCH(QString, text);
        QFETCH(bool, fileHadOne);
        QFETCH(QByteArray, written);
        FileFormat format;
        format.finalLineEnd = fileHadOne;
        QCOMPARE(encodeFile(text, format).bytes, written);
    }

    void unencodable_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("character");
        QTest::addColumn<qsizetype>("line");
        QTest::newRow("wave dash in Windows Japanese")
            << u"windows-31j"_s << u"a\r\nb\uFF5E\u301C"_s << 0x301Cu << qsizetype(2);
        QTest::newRow("emoji in Windows Japanese")
            << u"windows-31j"_s << u"a\r\n\r\n😀"_s << 0x1F600u << qsizetype(3);
        QTest::newRow("far into the text")
            << u"EUC-JP"_s << QString(u"あ\r\n"_s).repeated(5000) + u"\u00A5"_s << 0xA5u << qsizetype(5001);
        QTest::newRow("kana in ISO-8859-1")
            << u"ISO-8859-1"_s << u"\u00E9\r\n\u30A2"_s << 0x30A2u << qsizetype(2);
    }

    // Nothing is written; the user learns which character on which line.
    void unencodable()
    {
        QFETCH(QString, encoding);
        QFETCH(QString, text);
        QFETCH(uint, character);
        QFETCH(qsizetype, line);
        FileFormat format;
        format.encoding = encoding;
        const EncodedFile encoded = encodeFile(text, format);
        QVERIFY(!encoded.ok());
        QVERIFY(encoded.bytes.isEmpty());
        QCOMPARE(uint(encoded.unencodable), character);
        QCOMPARE(encoded.line, line);
    }

    void declaredCharset_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("charset");
        QTest::newRow("html5") << bytes("<html><head><meta charset=\"utf-8\">") << u"utf-8"_s;
        QTest::newRow("http-equiv") << bytes("<META HTTP-EQUIV=\"Content-Type\" "
                                             "CONTENT=\"text/html; charset=x-sjis\">")
                                    << u"x-sjis"_s;
        QTest::newRow("no space, mixed case")
            << bytes("<Meta content='text/html;CharSet=EUC-JP'>") << u"EUC-JP"_s;
        QTest::newRow("unquoted, self-closing") << bytes("<meta charset=Shift_JIS/>") << u"Shift_JIS"_s;
        QTest::newRow("no meta") << bytes("<p>charset=utf-8</p>") << QString();
        QTest::newRow("other meta") << bytes("<meta name=\"author\" content=\"x\">") << QString();
        QTest::newRow("past 4 KiB") << QByteArray(4096, ' ') + "<meta charset=\"utf-8\">" << QString();
    }

    void declaredCharset()
    {
        QFETCH(QByteArray, head);
        QFETCH(QString, charset);
        QCOMPARE(mx::declaredCharset(head), charset);
    }
};

QTEST_GUILESS_MAIN(TestFileFormat)
#include "tst_fileformat.moc"
