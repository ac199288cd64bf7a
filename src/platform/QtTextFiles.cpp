// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtPlatform.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace mx::platform {

namespace {

const QString kNoName = u"ファイル名が空です。"_s;
const QString kFolderNotFile = u"フォルダーです。ファイルを選んでください。"_s;
const QString kNotRegular = u"通常のファイルではありません。"_s;

// Qt's own error texts are English and sometimes empty ("Unknown error"); the
// error number the system gave is the better witness, when there is one.
QString reasonFor(int error, const QString& fallback)
{
    switch (error) {
    case ENOENT: return u"ファイルまたはフォルダーが見つかりません。"_s;
    case EACCES:
    case EPERM: return u"アクセスする権限がありません。"_s;
    case EROFS: return u"読み取り専用の場所です。"_s;
    case EISDIR: return kFolderNotFile;
    case ENOTDIR: return u"パスの途中にフォルダーでないものがあります。"_s;
    case ENOSPC:
    case EDQUOT: return u"ディスクの空き容量が足りません。"_s;
    case EFBIG: return u"ファイルが大きすぎて書き込めません。"_s;
    case ENAMETOOLONG: return u"ファイル名が長すぎます。"_s;
    case EINVAL:
    case EILSEQ: return u"ファイル名が正しくありません。"_s;
    case EIO: return u"入出力エラーが発生しました。"_s;
    default: break;
    }
    if (fallback.isEmpty() || fallback == u"Unknown error"_s)
        return u"原因不明のエラーが発生しました。"_s;
    return u"エラーが発生しました（%1）。"_s.arg(fallback);
}

QString tooLarge(qint64 limit)
{
    return u"ファイルが大きすぎます（%1 MB まで開けます）。"_s.arg(limit >> 20);
}

} // namespace

ReadResult QtTextFiles::read(const QString& path, qint64 limit)
{
    if (path.isEmpty())
        return {{}, kNoName};
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, u"ファイルが見つかりません。"_s};
    if (info.isDir())
        return {{}, kFolderNotFile};
    // Devices and pipes have no end to wait for.
    if (!info.isFile())
        return {{}, kNotRegular};
    if (info.size() > limit)
        return {{}, tooLarge(limit)};

    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return {{}, reasonFor(errno, file.errorString())};
    const qint64 size = file.size();
    if (size > limit)
        return {{}, tooLarge(limit)};

    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        errno = 0;
        const qint64 n = file.read(bytes.data() + got, size - got);
        if (n < 0)
            return {{}, reasonFor(errno, file.errorString())};
        if (n == 0)
            break; // shrank while we read: what is there is the file
        got += n;
    }
    bytes.truncate(got);
    // Grew while we read: take the rest, within the limit.
    if (got == size && !file.atEnd()) {
        bytes += file.readAll();
        if (bytes.size() > limit)
            return {{}, tooLarge(limit)};
    }
    return {bytes, {}};
}

QString QtTextFiles::write(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return kNoName;
    // QFileInfo follows a symlink, as the save itself does.
    const QFileInfo info(path);
    if (info.isDir())
        return u"フォルダーです。ファイル名を指定してください。"_s;
    if (info.exists()) {
        if (!info.isFile())
            return kNotRegular;
        // A file marked read-only stays so, even for the administrator,
        // whom the system would let through.
        if (!(info.permissions() & QFileDevice::WriteOwner))
            return u"ファイルが読み取り専用です。"_s;
        if (!info.isWritable())
            return u"書き込みの権限がありません。"_s;
    } else if (!QFileInfo(info.absolutePath()).isDir()) {
        return u"保存先のフォルダーが見つかりません。"_s;
    }

    QSaveFile file(path);
    // Where the folder forbids the temporary file but the file itself may be
    // written, writing in place still saves the user's work.
    file.setDirectWriteFallback(true);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return reasonFor(errno, file.errorString());
    errno = 0;
    // A short write is not an error to QSaveFile: a full disk commits a
    // truncated file unless the count is checked.
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        const QString text = file.errorString();
        file.cancelWriting();
        return reasonFor(error, text);
    }
    errno = 0;
    if (!file.commit())
        return reasonFor(errno, file.errorString());
    return {};
}

} // namespace mx::platform
