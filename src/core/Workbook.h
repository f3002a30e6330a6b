#pragma once

#include "core/Result.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace quorvel {

// One cell of a grid written to a workbook: empty, a text or a number, with an optional solid
// background colour 0xRRGGBB.
struct WorkbookCell
{
    std::variant<std::monostate, QString, double> value;
    std::optional<quint32> fill;

    static WorkbookCell text(QString text, std::optional<quint32> fill = std::nullopt);
    static WorkbookCell number(double number, std::optional<quint32> fill = std::nullopt);
    // A grid text as a spreadsheet should hold it: a number when the text is the plain decimal
    // form of a number that survives the round trip ("12", "-3", "0.5"), else the text itself, so
    // that "05010101", "+3", "1e5" or a 16-digit code keep every character. An empty text is an
    // empty cell.
    static WorkbookCell fromGridText(const QString& text, std::optional<quint32> fill = std::nullopt);

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value); }
};

// Writes an .xlsx workbook with one sheet "Sheet1", row by row: the first row appended becomes
// spreadsheet row 1, and cell c of a row spreadsheet column c + 1. Rows are streamed to disk as
// they are appended (constant memory), so a grid of any size is written in bounded memory.
//
// The workbook is written under a temporary name in the target's folder and renamed over the
// target by finish(), so a file at the target path is only ever replaced by a complete workbook.
// A workbook destroyed before finish(), or whose append or finish failed, leaves the target as it
// was and removes its temporary file; a failed workbook takes no further rows.
class Workbook
{
public:
    // Largest grid a sheet can hold.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    // Longest text a cell can hold, in UTF-16 code units as the spreadsheet counts them.
    static constexpr int kMaxTextLength = 32767;

    // Fails when no file can be created in the target's folder.
    static Result<std::unique_ptr<Workbook>> create(const QString& path);

    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Appends the next row; an empty span leaves the row empty.
    Status appendRow(std::span<const WorkbookCell> cells);
    // Writes the file and moves it over the target. Nothing may be appended afterwards.
    Status finish();

    int rowCount() const { return m_rowCount; }
    const QString& path() const { return m_path; }

    // Fills a row's cells, given a cleared vector to fill.
    using RowSource = std::function<void(int row, std::vector<WorkbookCell>& cells)>;
    // A whole workbook of `rowCount` rows produced one at a time by `source`.
    static Status write(const QString& path, int rowCount, const RowSource& source);
    static Status write(const QString& path, const std::vector<std::vector<WorkbookCell>>& grid);

private:
    Workbook(QString path, QString temporaryPath);
    Status open();
    lxw_format* fillFormat(quint32 colour);
    Status scratchStatus();
    Status fail(const QString& message);
    void discard();

    QString m_path;
    QString m_temporaryPath;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    std::map<quint32, lxw_format*> m_fills; // owned by the workbook
    int m_rowCount = 0;
    bool m_failed = false;
    bool m_finished = false;
};

} // namespace quorvel
