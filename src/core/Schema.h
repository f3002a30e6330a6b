#pragma once

// The table layout of formula.db, for the storage classes of this folder.

#include <QString>
#include <QStringList>

namespace quorvel::schema {

// Version of the layout written into `PRAGMA user_version`.
constexpr int kVersion = 3;
// `PRAGMA application_id` of the program's files ("QRVL"): written when a file is created, and into
// a file of ours that lacks it the first time it is opened for writing.
constexpr int kApplicationId = 0x5152564C;

inline const QString kHistoryTable = QStringLiteral("Lishi");
// Ranking scratch table: one row per number with its total, kill and keep counts.
inline const QString kRankingTable = QStringLiteral("ErrarrLei");
// Scratch table of the formula-table rebuild; empty between rebuilds.
inline const QString kRebuildTable = QStringLiteral("Tmp");
// The prediction ledger (version 2): the picks of every prediction run, scored when their draw
// is stored. Version 3 records the lottery type of each entry (`strType`).
inline const QString kLedgerTable = QStringLiteral("YuceJilu");

// Lishi: the issue, the 124 parameter columns in term order, then the work columns.
QString historyDefinition();
QStringList historyWorkColumnDefinitions(); // "canshu REAL", ...
QString formulaTableDefinition(const QString& table);
// Formula columns that a rebuild or an older file may lack and that can be added empty.
QStringList formulaNumberColumns(); // idx, intGsLim, intGsErrCon, ...
QStringList formulaTextColumns();   // gongshi, gongshiCN, bolKill: a table without them is unusable
QString rankingDefinition();
QString rebuildTableDefinition();
QString ledgerDefinition();
// The ledger column of version 3, added to a ledger of version 2: the lottery type's Chinese name.
QString ledgerTypeColumnDefinition(); // "strType TEXT"

// The statements that take a file of version `version` - 1 to `version`, in order.
QStringList upgradeSteps(int version);

// "L1A, L2A, ..." in term order.
const QString& parameterColumnList();

} // namespace quorvel::schema
