#include "core/Settings.h"

#include "core/SettingKeyTable.h"
#include "core/WriteError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <array>
#include <cerrno>
#include <cmath>
#include <optional>
#include <utility>

namespace quorvel {

namespace {

constexpr std::array<int, Settings::kRetrievalPeriodsCount> kRetrievalPeriods = {0,   100, 200,  300,  500,
                                                                                 600, 800, 1000, 1500, 3000};
// Acceptance bounds 2..9 (lower and upper ends of 最大连错, 最大连对, 最后连错, 最后连对).
constexpr std::array<double, 8> kDefaultKillBounds = {2, 32768, 0, 64, 2, 32768, 0, 0};
constexpr std::array<double, 8> kDefaultKeepBounds = {96, 32768, 0, 2, 96, 32768, 0, 0};

// The first failed write of the process (the companion's exit status tells of it).
QString g_firstWriteFailure;

// The line QSettings writes for `name` = `value` in an ini file ("name=value", its escapes
// included), made by QSettings itself in a scratch file.
Result<QByteArray> iniLine(const QString& name, const QVariant& value)
{
    // Numbers, flags and plain addresses are written as they are; anything else as QSettings
    // escapes it.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._:/+-]*$"));
    if (value.typeId() == QMetaType::QString && plain.match(name).hasMatch() &&
        plain.match(value.toString()).hasMatch())
        return (name + QLatin1Char('=') + value.toString()).toUtf8();
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return Failure{QStringLiteral("无法创建临时文件夹：%1").arg(scratch.errorString())};
    const QString path = scratch.filePath(QStringLiteral("line.ini"));
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue(QStringLiteral("s/") + name, value);
        store.sync();
        if (store.status() != QSettings::NoError)
            return Failure{QStringLiteral("无法写入临时文件 %1").arg(QDir::toNativeSeparators(path))};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith('['))
            return trimmed;
    }
    return Failure{QStringLiteral("无法写出设置 %1").arg(name)};
}

QByteArray iniKeyOf(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

} // namespace

// The text of an ini file with the line of one key (`line`, "key=value") in `section` replaced, or
// added at the end of that section (of its last occurrence), or in a new section at the end; every
// other byte stays as it was.
QByteArray Settings::spliceIniLine(const QByteArray& text, const QByteArray& section, const QByteArray& line)
{
    const QByteArray eol = text.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const QByteArray header = '[' + section + ']';
    const QByteArray key = iniKeyOf(line);
    // Lines with their ends, so that the text is put together again exactly.
    std::vector<QByteArray> lines;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = text.indexOf('\n', at);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        lines.push_back(text.mid(at, next - at));
        at = next;
    }
    bool inSection = false;
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionEnd; // after the last non-blank line of the section
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].trimmed();
        if (trimmed.startsWith('[')) {
            inSection = trimmed == header;
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection || trimmed.isEmpty())
            continue;
        sectionEnd = i + 1;
        if (iniKeyOf(trimmed) == key)
            keyLine = i;
    }
    QByteArray result;
    const auto ended = [&eol](const QByteArray& text) {
        return text.isEmpty() || text.endsWith('\n') ? text : text + eol;
    };
    if (keyLine) {
        QByteArray& old = lines[*keyLine];
        const QByteArray ending = old.endsWith("\r\n") ? QByteArrayLiteral("\r\n")
                                  : old.endsWith('\n')   ? QByteArrayLiteral("\n")
                                                         : QByteArray();
        old = line + ending;
    } else if (sectionEnd) {
        if (*sectionEnd > 0)
            lines[*sectionEnd - 1] = ended(lines[*sectionEnd - 1]);
        lines.insert(lines.begin() + std::ptrdiff_t(*sectionEnd), line + eol);
    } else {
        QByteArray tail = ended(lines.empty() ? QByteArray() : lines.back());
        if (!lines.empty()) {
            lines.back() = tail;
            if (!tail.trimmed().isEmpty())
                lines.push_back(eol);
        }
        lines.push_back(header + eol);
        lines.push_back(line + eol);
    }
    for (const QByteArray& part : lines)
        result += part;
    return result;
}

namespace {

// Every key of an ini text as QSettings reads it (through a scratch file of its own).
Result<QMap<QString, QVariant>> parsedIni(const QTemporaryDir& scratch, const QString& name, const QByteArray& text)
{
    const QString path = scratch.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return Failure{QStringLiteral("无法写入临时文件 %1").arg(QDir::toNativeSeparators(path))};
    file.close();
    const QSettings store(path, QSettings::IniFormat);
    QMap<QString, QVariant> keys;
    // A key the store lists but cannot read reads as absent, before and after.
    for (const QString& key : store.allKeys()) {
        if (const QVariant value = store.value(key); value.isValid())
            keys.insert(key, value);
    }
    return keys;
}

} // namespace

// The new text of the file: the line of the key spliced in, checked by reading both texts as
// QSettings does (every other key reads as before, the key reads the new value). A hand-edited
// file whose lines do not allow that (a value continued on the next line, a section written
// with escapes) gets a section of its own for the key at the end, or, last, is written out as
// QSettings reads it, keys it cannot read left out.
Result<QByteArray> Settings::plannedText(const QByteArray& text, const QString& section, const QString& name,
                                         const QVariant& stored, const QByteArray& line)
{
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return Failure{QStringLiteral("无法创建临时文件夹：%1").arg(scratch.errorString())};
    const Result<QMap<QString, QVariant>> before = parsedIni(scratch, QStringLiteral("before.ini"), text);
    if (!before)
        return before.failure();
    const QString key = section + QLatin1Char('/') + name;
    int attempt = 0;
    const auto keeps = [&](const QByteArray& candidate) -> bool {
        const Result<QMap<QString, QVariant>> after =
            parsedIni(scratch, QStringLiteral("after%1.ini").arg(++attempt), candidate);
        if (!after || after->value(key) != stored)
            return false;
        QMap<QString, QVariant> others = *after;
        others.remove(key);
        QMap<QString, QVariant> old = *before;
        old.remove(key);
        return others == old;
    };
    const QByteArray spliced = spliceIniLine(text, section.toUtf8(), line);
    if (keeps(spliced))
        return spliced;
    const QByteArray eol = text.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    // The key in a section of its own at the end, where the last of its lines is the one read.
    const QByteArray appended = (text.isEmpty() || text.endsWith('\n') ? text : text + eol) +
                                (text.isEmpty() ? QByteArray() : eol) + "[" + section.toUtf8() + "]" + eol + line +
                                eol;
    if (keeps(appended))
        return appended;
    // A quote left open at the end takes in whatever follows: the key goes in front instead (after
    // a byte order mark), which is read when no later line of the file names it.
    const QByteArray bom("\xEF\xBB\xBF");
    const qsizetype start = text.startsWith(bom) ? bom.size() : 0;
    const QByteArray prepended =
        text.left(start) + "[" + section.toUtf8() + "]" + eol + line + eol + eol + text.mid(start);
    if (keeps(prepended))
        return prepended;
    const QString normalPath = scratch.filePath(QStringLiteral("normal.ini"));
    {
        QSettings normal(normalPath, QSettings::IniFormat);
        for (auto it = before->cbegin(); it != before->cend(); ++it) {
            if (it.key() != key)
                normal.setValue(it.key(), it.value());
        }
        normal.setValue(key, stored);
        normal.sync();
    }
    QFile normalFile(normalPath);
    if (normalFile.open(QIODevice::ReadOnly)) {
        const QByteArray normalText = normalFile.readAll();
        if (keeps(normalText))
            return normalText;
    }
    return Failure{QStringLiteral("文件中的内容无法只改 %1 这一项（请检查手工编辑过的行）").arg(key)};
}

QString Settings::takeWriteFailure()
{
    return std::exchange(g_firstWriteFailure, QString());
}

Settings::Settings()
    : m_store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          QStringLiteral("Quorvel"), QStringLiteral("Quorvel")))
{
    parseWholeFile();
}

Settings::Settings(const QString& iniFilePath)
    : m_store(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
    parseWholeFile();
}

void Settings::parseWholeFile()
{
    // QSettings parses the sections of an ini file as their keys are asked for, and looks for a
    // key's section as the last section name not after the key: when another section's name
    // starts with the key's section and a slash and sorts between them ("[a\" followed by a line
    // break, say), the key is never found and reads its default though the file holds it. Reading
    // every key once parses every section, so each key reads what the whole file says, which is
    // also what a write checks its new text against. The parsed file stays so until it is read
    // again, which only sync() does.
    m_store->allKeys();
}

Settings::~Settings() = default;

int Settings::retrievalPeriods(int index)
{
    Q_ASSERT(index >= 0 && index < kRetrievalPeriodsCount);
    return kRetrievalPeriods[std::size_t(index)];
}

double Settings::defaultCategoryBound(bool kill, int bound)
{
    Q_ASSERT(bound >= kFirstCategoryBound && bound <= kLastCategoryBound);
    return (kill ? kDefaultKillBounds : kDefaultKeepBounds)[std::size_t(bound - kFirstCategoryBound)];
}

QString Settings::section(const SettingKey& key)
{
    return settingDefinition(key).section(key);
}

QString Settings::name(const SettingKey& key)
{
    return settingDefinition(key).name(key);
}

QVariant Settings::defaultValue(const SettingKey& key) const
{
    return settingDefinition(key).defaultValue(key);
}

QVariant Settings::value(const SettingKey& key) const
{
    const SettingDefinition& d = settingDefinition(key);
    const QVariant stored = m_store->value(settingFullKey(key));
    if (!stored.isValid())
        return d.defaultValue(key);
    const std::optional<QVariant> parsed = parseSetting(d.type, stored);
    if (!parsed || !d.valid(*parsed))
        return d.defaultValue(key);
    return *parsed;
}

bool Settings::setValue(const SettingKey& key, const QVariant& value)
{
    const SettingDefinition& d = settingDefinition(key);
    const std::optional<QVariant> parsed = parseSetting(d.type, storedSettingForm(d.type, value));
    if (!parsed || !d.valid(*parsed))
        return false;
    // Settings take effect for good the moment they change, so every write reaches the file at once,
    // and it writes that key only: every other line of the file stays as another process or the
    // user left it.
    const Status written = write(d.section(key), d.name(key), storedSettingForm(d.type, value));
    if (!written) {
        if (g_firstWriteFailure.isEmpty())
            g_firstWriteFailure = written.error();
        Q_EMIT writeFailed(written.error());
    }
    // Those who show the key read the value in force, which is the old one after a failure.
    Q_EMIT changed(key);
    return bool(written);
}

Status Settings::write(const QString& section, const QString& name, const QVariant& stored)
{
    const QString path = m_store->fileName();
    const QString shown = QDir::toNativeSeparators(path);
    const auto failed = [&](const QString& reason) {
        return Failure{QStringLiteral("设置未能保存到 %1：%2").arg(shown, reason)};
    };
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    // The native store (registry, property list) writes a key by itself.
    if (m_store->format() == QSettings::NativeFormat) {
        m_store->setValue(section + QLatin1Char('/') + name, stored);
        m_store->sync();
        if (m_store->status() != QSettings::NoError)
            return failed(QStringLiteral("设置存储拒绝写入"));
        return success();
    }
#endif
    const Result<QByteArray> line = iniLine(name, stored);
    if (!line)
        return failed(line.error());
    const QFileInfo file(path);
    if (file.isDir())
        return failed(QStringLiteral("同名的文件夹已存在"));
    if (!QDir().mkpath(file.absolutePath()))
        return failed(QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(file.absolutePath())));
    // The lock QSettings itself takes around a write: no other process writes the file meanwhile.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(10000))
        return failed(lock.error() == QLockFile::LockFailedError
                          ? QStringLiteral("文件正被另一个程序锁定")
                          : QStringLiteral("无法创建锁文件 %1.lock").arg(shown));
    // Read afresh under the lock: what another process wrote a moment ago is kept.
    QByteArray text;
    const QFileInfo current(path); // as it is now, under the lock
    const bool exists = current.exists();
    if (exists) {
        QFile read(path);
        if (!read.open(QIODevice::ReadOnly))
            return failed(read.errorString());
        text = read.readAll();
        if (read.error() != QFileDevice::NoError)
            return failed(read.errorString());
    }
    const Result<QByteArray> planned = plannedText(text, section, name, stored, *line);
    if (!planned)
        return failed(planned.error());
    const QByteArray& spliced = *planned;
    errno = 0;
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly))
        return failed(WriteError::withCause(target.errorString(), errno));
    if (target.write(spliced) != spliced.size()) {
        const QString reason = WriteError::withCause(target.errorString(), errno);
        target.cancelWriting();
        return failed(reason);
    }
    if (!target.commit())
        return failed(WriteError::withCause(target.errorString(), errno));
    lock.unlock();
    // QSettings, here and in other processes, reads the file again when its size or time changed.
    // File times move on by the system's clock tick, so a write of the same size within the tick
    // of the next one would go unseen: the time of this write is set a second back, exact to the
    // millisecond, which no write that follows can have.
    {
        QFile touched(path);
        if (touched.open(QIODevice::ReadWrite))
            touched.setFileTime(QDateTime::currentDateTime().addSecs(-1), QFileDevice::FileModificationTime);
    }
    // What is in force from now on. A file that other lines make unreadable in part is no failure
    // of this write.
    m_store->sync();
    parseWholeFile();
    if (m_store->status() == QSettings::AccessError)
        return failed(QStringLiteral("写入后无法读回"));
    return success();
}

void Settings::restoreDefaults()
{
    for (int id = 0; id < SettingKey::IdCount; ++id) {
        const SettingDefinition& d = settingDefinition(SettingKey::Id(id));
        if (d.restored)
            setValue(SettingKey{SettingKey::Id(id)}, d.restored(SettingKey{SettingKey::Id(id)}));
    }
}

QString Settings::rawValue(const QString& section, const QString& key) const
{
    return m_store->value(section + QLatin1Char('/') + key).toString();
}

void Settings::sync()
{
    m_store->sync();
    parseWholeFile();
}

} // namespace quorvel
