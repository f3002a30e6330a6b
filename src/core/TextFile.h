#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace quorvel {

// The text files the program reads and writes. Reading accepts what users trade: UTF-8 (with or
// without a byte order mark) when the bytes are strictly valid UTF-8, otherwise GB18030, with
// CR LF, LF or CR line ends. Writing always produces GB18030 with CR LF after every line and no
// byte order mark, the format users trade formula and history files in.
class TextFile
{
public:
    // True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above
    // U+10FFFF, no truncated sequence.
    static bool isStrictUtf8(const QByteArray& bytes);

    // Bytes -> text: UTF-8 (a leading byte order mark dropped) when strictly valid, else GB18030.
    // Fails when the bytes are neither.
    static Result<QString> decode(const QByteArray& bytes);

    // Splits at CR LF, LF or CR. A line end after the last line does not start another line, so
    // "a\r\nb\r\n" and "a\nb" both give two lines and an empty text gives none.
    static QStringList splitLines(QStringView text);

    // Reads and decodes a whole file into lines. A file larger than maxBytes is refused without
    // reading more than maxBytes + 1 bytes of it (a device such as /dev/zero never ends).
    static Result<QStringList> readLines(const QString& path, qint64 maxBytes);
    static Result<QByteArray> readBytes(const QString& path, qint64 maxBytes);

    // Lines -> GB18030 bytes, CR LF after every line including the last.
    static Result<QByteArray> encodeLines(const QStringList& lines);

    // Writes the lines (encodeLines) under a temporary name in the target's folder and renames it
    // over the target, so a file of that name is only ever replaced by a complete one. An empty
    // list writes an empty file.
    static Status writeLines(const QString& path, const QStringList& lines);
    static Status writeBytes(const QString& path, const QByteArray& bytes);
};

} // namespace quorvel
