#include "core/TextFile.h"

#include "core/WriteError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>

namespace quorvel {

namespace {

constexpr const char* kGb18030 = "GB18030";
constexpr qint64 kReadChunk = 1 << 20;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'g', 4);
}

} // namespace

bool TextFile::isStrictUtf8(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;  // allowed range of the second byte, which rules out overlong
        unsigned char high = 0xBF; // forms, surrogates and code points above U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        if (data[i + 1] < low || data[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (data[i + k] < 0x80 || data[i + k] > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

Result<QString> TextFile::decode(const QByteArray& bytes)
{
    if (isStrictUtf8(bytes)) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
    if (!gb18030.isValid())
        return Failure{QStringLiteral("文件不是UTF-8文本，且本机无法解码GB18030文本")};
    QString text = gb18030(bytes);
    if (gb18030.hasError())
        return Failure{QStringLiteral("文件既不是UTF-8文本也不是GB18030文本")};
    return text;
}

QStringList TextFile::splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start).toString());
    return lines;
}

Result<QByteArray> TextFile::readBytes(const QString& path, qint64 maxBytes)
{
    const auto tooLarge = [&] {
        return Failure{QStringLiteral("文件%1超过%2 MiB，未读取").arg(native(path), mebibytes(maxBytes))};
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("无法打开%1：%2").arg(native(path), file.errorString())};
    // A regular file's size is known in advance; a device or pipe reports 0 and is read in chunks
    // until it ends or passes the limit.
    if (file.size() > maxBytes)
        return tooLarge();
    QByteArray bytes;
    while (true) {
        const qint64 room = maxBytes + 1 - bytes.size();
        const QByteArray chunk = file.read(qMin(kReadChunk, room));
        if (file.error() != QFileDevice::NoError)
            return Failure{QStringLiteral("无法读取%1：%2").arg(native(path), file.errorString())};
        if (chunk.isEmpty())
            break;
        bytes.append(chunk);
        if (bytes.size() > maxBytes)
            return tooLarge();
    }
    return bytes;
}

Result<QStringList> TextFile::readLines(const QString& path, qint64 maxBytes)
{
    const Result<QByteArray> bytes = readBytes(path, maxBytes);
    if (!bytes)
        return Failure{bytes.error()};
    const Result<QString> text = decode(*bytes);
    if (!text)
        return Failure{QStringLiteral("%1：%2").arg(native(path), text.error())};
    return splitLines(*text);
}

Result<QByteArray> TextFile::encodeLines(const QStringList& lines)
{
    QStringEncoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
    if (!gb18030.isValid())
        return Failure{QStringLiteral("本机无法写出GB18030文本")};
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes.append(gb18030(line));
        bytes.append("\r\n");
    }
    if (gb18030.hasError())
        return Failure{QStringLiteral("文本中有无法写成GB18030的字符")};
    return bytes;
}

Status TextFile::writeLines(const QString& path, const QStringList& lines)
{
    const Result<QByteArray> bytes = encodeLines(lines);
    if (!bytes)
        return Failure{QStringLiteral("无法写入%1：%2").arg(native(path), bytes.error())};
    return writeBytes(path, *bytes);
}

Status TextFile::writeBytes(const QString& path, const QByteArray& bytes)
{
    // Qt's texts for a failed write do not tell a full disk from a size limit ("Unknown error"
    // after a cut-off write); the system error of the call that failed does.
    const auto failure = [&](const QString& cause, int systemError) {
        return Failure{
            QStringLiteral("无法写入%1：%2").arg(native(path), WriteError::withCause(cause, systemError))};
    };
    errno = 0;
    QSaveFile file(path);
    // The temporary copy is renamed over the target; writing through to the target in place
    // would leave a cut-off file behind a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString(), errno);
    // A write that fits the buffer reaches the file only at the flush; QSaveFile would rename a
    // file cut off by a failure there over the target, so the failure is caught before the commit.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int systemError = errno;
        const QString cause = file.errorString();
        file.cancelWriting();
        return failure(cause, systemError);
    }
    if (!file.commit())
        return failure(file.errorString(), errno);
    return success();
}

} // namespace quorvel
