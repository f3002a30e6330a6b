#include "core/Schema.h"

#include "core/TermTable.h"

namespace quorvel::schema {

QString historyDefinition()
{
    QStringList columns{QStringLiteral("strQQH INTEGER PRIMARY KEY NOT NULL")};
    for (const Term& term : termTable())
        columns << term.code + QStringLiteral(" INTEGER");
    columns << historyWorkColumnDefinitions();
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(kHistoryTable, columns.join(QStringLiteral(", ")));
}

QStringList historyWorkColumnDefinitions()
{
    return {QStringLiteral("canshu REAL"), QStringLiteral("PreCanshu INTEGER"),
            QStringLiteral("GSCS INTEGER"), QStringLiteral("GSZCS INTEGER"), QStringLiteral("GSGL INTEGER")};
}

QString formulaTableDefinition(const QString& table)
{
    return QStringLiteral("CREATE TABLE %1 (idx INTEGER, gongshi TEXT, gongshiCN TEXT, bolKill INTEGER, "
                          "intGsLim INTEGER, intGsErrCon INTEGER, intGsTrueCon INTEGER, intGsErrLst INTEGER, "
                          "intGsTrueLst INTEGER)")
        .arg(table);
}

QStringList formulaNumberColumns()
{
    return {QStringLiteral("idx"),          QStringLiteral("intGsLim"),    QStringLiteral("intGsErrCon"),
            QStringLiteral("intGsTrueCon"), QStringLiteral("intGsErrLst"), QStringLiteral("intGsTrueLst")};
}

QStringList formulaTextColumns()
{
    return {QStringLiteral("gongshi"), QStringLiteral("gongshiCN"), QStringLiteral("bolKill")};
}

QString rankingDefinition()
{
    return QStringLiteral(
               "CREATE TABLE %1 (num INTEGER, ETrrcount INTEGER, Errcount INTEGER, Trrcount INTEGER)")
        .arg(kRankingTable);
}

QString rebuildTableDefinition()
{
    return QStringLiteral("CREATE TABLE %1 (BolKill INTEGER, gongshi TEXT, gongshiCN TEXT, intGsLim INTEGER)")
        .arg(kRebuildTable);
}

QString ledgerDefinition()
{
    // strQQH: the issue the picks are for; strPicks: the picks of positions 1..intPositions, a
    // page's numbers separated by blanks and the pages by "|"; strDrawn, intRight and intTrials
    // stay empty until the draw of strQQH is stored; strType stays NULL in the entries made
    // before the type was recorded.
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY, strQQH INTEGER NOT NULL, "
                          "strMade TEXT, strMethod TEXT, bolKill INTEGER, intQuota INTEGER, "
                          "intPositions INTEGER, strPicks TEXT, strDrawn TEXT, intRight INTEGER, "
                          "intTrials INTEGER, %2)")
        .arg(kLedgerTable, ledgerTypeColumnDefinition());
}

QString ledgerTypeColumnDefinition()
{
    return QStringLiteral("strType TEXT");
}

QStringList upgradeSteps(int version)
{
    switch (version) {
    case 2:
        return {ledgerDefinition()};
    default:
        return {};
    }
}

const QString& parameterColumnList()
{
    static const QString list = [] {
        QStringList codes;
        for (const Term& term : termTable())
            codes << term.code;
        return codes.join(QStringLiteral(", "));
    }();
    return list;
}

} // namespace quorvel::schema
