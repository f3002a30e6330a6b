#include "core/Workbook.h"

#include "core/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quorvel {

namespace {

constexpr int kNameAttempts = 16;
// More significant digits than a double holds exactly would change the text when read back.
constexpr int kMaxSignificantDigits = 15;

// File names as libxlsxwriter opens them: UTF-8, which it widens itself on Windows.
QByteArray nativeName(const QString& path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString libraryError(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// "12", "-3", "0.5": an optional minus, a whole part without leading zeros and an optional
// fraction, at most 15 significant digits. Everything else is a text.
std::optional<double> plainNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    if (i < size && text[i] == u'-')
        ++i;
    const qsizetype wholeStart = i;
    while (i < size && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    const qsizetype wholeDigits = i - wholeStart;
    if (wholeDigits == 0 || (wholeDigits > 1 && text[wholeStart] == u'0'))
        return std::nullopt;
    qsizetype fractionDigits = 0;
    if (i < size && text[i] == u'.') {
        ++i;
        const qsizetype fractionStart = i;
        while (i < size && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        fractionDigits = i - fractionStart;
        // "1." and "1.50" would not read back as the same text.
        if (fractionDigits == 0 || text[i - 1] == u'0')
            return std::nullopt;
    }
    if (i != size)
        return std::nullopt;
    // Leading zeros of "0.05" are not significant.
    qsizetype significant = wholeDigits + fractionDigits;
    for (qsizetype k = wholeStart; k < size && (text[k] == u'0' || text[k] == u'.'); ++k) {
        if (text[k] == u'0')
            --significant;
    }
    if (significant > kMaxSignificantDigits)
        return std::nullopt;
    // "-0" would come back as "0".
    if (text[0] == u'-' && significant == 0)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

// ---- Cells -------------------------------------------------------------------------------------

WorkbookCell WorkbookCell::text(QString text, std::optional<quint32> fill)
{
    WorkbookCell cell;
    if (!text.isEmpty())
        cell.value = std::move(text);
    cell.fill = fill;
    return cell;
}

WorkbookCell WorkbookCell::number(double number, std::optional<quint32> fill)
{
    WorkbookCell cell;
    cell.value = number;
    cell.fill = fill;
    return cell;
}

WorkbookCell WorkbookCell::fromGridText(const QString& text, std::optional<quint32> fill)
{
    if (const std::optional<double> value = plainNumber(text))
        return number(*value, fill);
    return WorkbookCell::text(text, fill);
}

// ---- Workbook ----------------------------------------------------------------------------------

Workbook::Workbook(QString path, QString temporaryPath)
    : m_path(std::move(path)), m_temporaryPath(std::move(temporaryPath))
{
}

Workbook::~Workbook()
{
    if (!m_finished)
        discard();
}

Result<std::unique_ptr<Workbook>> Workbook::create(const QString& path)
{
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (target.isDir())
        return Failure{QStringLiteral("无法写入 %1：同名文件夹已存在").arg(native(path))};

    // Reserve a fresh name beside the target, so the final rename stays within one file system.
    QString temporaryPath;
    QString reason;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString candidate = QDir(folder).filePath(
            QStringLiteral("%1.%2.tmp")
                .arg(target.fileName())
                .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16, QLatin1Char('0')));
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            temporaryPath = candidate;
            break;
        }
        reason = file.errorString();
        if (!QFileInfo::exists(candidate))
            break; // not a name taken by chance: the folder refuses new files
    }
    if (temporaryPath.isEmpty())
        return Failure{QStringLiteral("无法写入 %1：无法在 %2 中创建文件：%3")
                           .arg(native(path), native(folder), reason)};

    std::unique_ptr<Workbook> workbook(new Workbook(target.absoluteFilePath(), temporaryPath));
    if (Status opened = workbook->open(); !opened)
        return Failure{opened.error()};
    return Result<std::unique_ptr<Workbook>>(std::move(workbook));
}

Status Workbook::open()
{
    const QByteArray fileName = nativeName(m_temporaryPath);
    const QByteArray temporaryFolder = nativeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    // The row data waits in a scratch file until the workbook is packed; without a folder
    // libxlsxwriter would use tmpfile(), which fails on Windows for ordinary users.
    options.tmpdir = const_cast<char*>(temporaryFolder.constData());
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(fileName.constData(), &options);
    if (m_workbook == nullptr)
        return fail(QStringLiteral("无法写入 %1：无法创建工作簿").arg(native(m_path)));
    m_sheet = workbook_add_worksheet(m_workbook, "Sheet1");
    if (m_sheet == nullptr)
        return fail(QStringLiteral("无法写入 %1：无法在 %2 中创建临时文件")
                        .arg(native(m_path), native(QDir::tempPath())));
    return success();
}

lxw_format* Workbook::fillFormat(quint32 colour)
{
    colour &= 0xFFFFFF;
    if (const auto found = m_fills.find(colour); found != m_fills.end())
        return found->second;
    lxw_format* format = workbook_add_format(m_workbook);
    if (format != nullptr) {
        format_set_pattern(format, LXW_PATTERN_SOLID);
        // The library reads 0 as "no colour" and spells black differently.
        format_set_bg_color(format, colour == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(colour));
    }
    m_fills.emplace(colour, format);
    return format;
}

Status Workbook::appendRow(std::span<const WorkbookCell> cells)
{
    if (m_failed || m_finished)
        return Failure{QStringLiteral("无法写入 %1：工作簿已关闭").arg(native(m_path))};
    if (m_rowCount >= kMaxRows)
        return fail(QStringLiteral("无法写入 %1：行数超过表格上限 %2").arg(native(m_path)).arg(kMaxRows));
    if (cells.size() > std::size_t(kMaxColumns))
        return fail(QStringLiteral("无法写入 %1：第%2行的列数 %3 超过表格上限 %4")
                        .arg(native(m_path))
                        .arg(m_rowCount + 1)
                        .arg(cells.size())
                        .arg(kMaxColumns));

    const lxw_row_t row = lxw_row_t(m_rowCount);
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const WorkbookCell& cell = cells[c];
        const lxw_col_t column = lxw_col_t(c);
        lxw_format* format = cell.fill ? fillFormat(*cell.fill) : nullptr;
        if (cell.fill && format == nullptr)
            return fail(QStringLiteral("无法写入 %1：内存不足").arg(native(m_path)));
        lxw_error error = LXW_NO_ERROR;
        if (const QString* text = std::get_if<QString>(&cell.value)) {
            if (text->size() > kMaxTextLength)
                return fail(QStringLiteral("无法写入 %1：第%2行第%3列的文字超过 %4 个字符")
                                .arg(native(m_path))
                                .arg(m_rowCount + 1)
                                .arg(c + 1)
                                .arg(kMaxTextLength));
            error = worksheet_write_string(m_sheet, row, column, text->toUtf8().constData(), format);
        } else if (const double* number = std::get_if<double>(&cell.value)) {
            error = std::isfinite(*number) ? worksheet_write_number(m_sheet, row, column, *number, format)
                                           : LXW_ERROR_PARAMETER_VALIDATION;
        } else if (format != nullptr) {
            error = worksheet_write_blank(m_sheet, row, column, format);
        }
        if (error != LXW_NO_ERROR)
            return fail(QStringLiteral("无法写入 %1：第%2行第%3列：%4")
                            .arg(native(m_path))
                            .arg(m_rowCount + 1)
                            .arg(c + 1)
                            .arg(libraryError(error)));
    }
    ++m_rowCount;
    return scratchStatus();
}

Status Workbook::scratchStatus()
{
    // The library writes the rows to its scratch file without checking the writes; a full disk
    // would give a cut-off sheet in a workbook it reports as written.
    if (m_sheet != nullptr && m_sheet->optimize_tmpfile != nullptr && std::ferror(m_sheet->optimize_tmpfile))
        return fail(QStringLiteral("无法写入 %1：临时文件夹 %2 写入失败（磁盘可能已满）")
                        .arg(native(m_path), native(QDir::tempPath())));
    return success();
}

Status Workbook::finish()
{
    if (m_failed || m_finished)
        return Failure{QStringLiteral("无法写入 %1：工作簿已关闭").arg(native(m_path))};
    if (m_sheet != nullptr && m_sheet->optimize_tmpfile != nullptr)
        std::fflush(m_sheet->optimize_tmpfile);
    if (Status written = scratchStatus(); !written)
        return written;
    errno = 0;
    const lxw_error closed = workbook_close(m_workbook);
    // The library's own text names only the zip step that failed; the system error names why.
    const int systemError = errno;
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (closed != LXW_NO_ERROR)
        return fail(QStringLiteral("无法写入 %1：%2")
                        .arg(native(m_path), WriteError::withCause(libraryError(closed), systemError)));

    // std::filesystem::rename replaces an existing file in one step on every platform; it fails
    // when the target is held open by another program or is a folder.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(m_temporaryPath.toStdU16String()),
                            std::filesystem::path(m_path.toStdU16String()), error);
    if (error)
        return fail(QStringLiteral("无法写入 %1：无法替换该文件：%2")
                        .arg(native(m_path), QString::fromLocal8Bit(error.message())));
    m_finished = true;
    return success();
}

Status Workbook::fail(const QString& message)
{
    discard();
    return Failure{message};
}

void Workbook::discard()
{
    m_failed = true;
    if (m_workbook != nullptr) {
        // Freed without packing the rows written so far (which closing would do, for nothing).
        // Freeing leaves the sheet's scratch file open, so it is closed here.
        if (m_sheet != nullptr && m_sheet->optimize_tmpfile != nullptr) {
            std::fclose(m_sheet->optimize_tmpfile);
            m_sheet->optimize_tmpfile = nullptr;
        }
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
        m_sheet = nullptr;
    }
    QFile::remove(m_temporaryPath);
}

Status Workbook::write(const QString& path, int rowCount, const RowSource& source)
{
    Result<std::unique_ptr<Workbook>> workbook = create(path);
    if (!workbook)
        return Failure{workbook.error()};
    std::vector<WorkbookCell> cells;
    for (int row = 0; row < rowCount; ++row) {
        cells.clear();
        source(row, cells);
        if (Status appended = (*workbook)->appendRow(cells); !appended)
            return appended;
    }
    return (*workbook)->finish();
}

Status Workbook::write(const QString& path, const std::vector<std::vector<WorkbookCell>>& grid)
{
    Result<std::unique_ptr<Workbook>> workbook = create(path);
    if (!workbook)
        return Failure{workbook.error()};
    for (const std::vector<WorkbookCell>& row : grid) {
        if (Status appended = (*workbook)->appendRow(row); !appended)
            return appended;
    }
    return (*workbook)->finish();
}

} // namespace quorvel
