#include "browser/ColumnGrid.h"

#include "controls/GridModel.h"
#include "generate/InsertRow.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/NumberRead.h"
#include "shared/Rounding.h"
#include "shared/SqlName.h"

#include <QHash>
#include <QSet>
#include "shared/ValueText.h"

#include <QList>

#include <algorithm>

namespace browser {

using basKovaData::MessageIcon;

namespace {

struct LoadedColumn {
    qint16 length = 0;
    qint16 scale = 0;
    bool notNull = false;
};

// A dictionary number as a 16-bit value; sizes beyond the range are held at
// its ends rather than overflowing.
qint16 SizeValue(const QString& text)
{
    const double value = std::clamp(basKovaData::ReadNumber(text), -32768.0, 32767.0);
    return basKovaData::RoundToInt16(value).value_or(0);
}

void MarkKeyColumns(OraDatabase& database, controls::GridModel& grid, const QString& name, int rows)
{
    const auto dynaset = database.DBCreateDynaset(
        QStringLiteral("select table_name,column_name from user_cons_columns c")
            + QStringLiteral(" where (table_name,constraint_name) in")
            + QStringLiteral(" (select table_name,constraint_name from user_constraints")
            + QStringLiteral(" where table_name = ") + basKovaData::SqlQuoted(name)
            + QStringLiteral(" and constraint_type='P')"),
        0);
    while (!dynaset->IsEOF()) {
        const QString column = basKovaData::NullToBlank(dynaset->Value(QStringLiteral("column_name"))).trimmed();
        for (int row = 1; row <= rows; ++row) {
            if (grid.TextMatrix(row, ColName) == column) {
                grid.setTextMatrix(row, ColKey, QStringLiteral("KEY"));
                for (int col = ColName; col <= ColRule; ++col)
                    grid.setCellBackColor(row, col, controls::GridCyan);
                break;
            }
        }
        dynaset->MoveNext();
    }
    dynaset->Close();
}

void RebuildRules(const controls::GridModel& grid, const QList<LoadedColumn>& columns)
{
    using basKovaData::ColumnRules;
    ColumnRules.assign(std::size_t(columns.size()) + 1, basKovaData::ColumnRule());
    // A seed belongs to the rules it was typed for: kept, it would carry
    // another table's rows (or an update's very same values) over.
    basKovaData::ChosenSeed.reset();
    for (int i = 1; i <= columns.size(); ++i) {
        basKovaData::ColumnRule& rule = ColumnRules[std::size_t(i)];
        rule.ColumnName = grid.TextMatrix(i, ColName).trimmed();
        rule.TypeText = grid.TextMatrix(i, ColType).trimmed();
        rule.Length = columns[i - 1].length;
        rule.Scale = columns[i - 1].scale;
        rule.IsKey = grid.TextMatrix(i, ColKey).trimmed() == QLatin1String("KEY");
        rule.IsNotNull = columns[i - 1].notNull;
    }
}

// After a load that did not finish, no rule may belong to another table's
// columns, and the viewer's condition of the previous table no longer fits.
void ForgetPreviousTable()
{
    basKovaData::ResetColumnRules();
    basKovaData::ViewerCondition.clear();
}

// A column's comment (COMMENT ON COLUMN) as the tool tip of its name. A
// dictionary without USER_COL_COMMENTS shows none.
void ShowColumnComments(OraDatabase& database, controls::GridModel& grid, const QString& table, int rows)
{
    try {
        const auto dynaset = database.DBCreateDynaset(
            QStringLiteral("SELECT COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS WHERE TABLE_NAME = ")
                + basKovaData::SqlQuoted(table) + QStringLiteral(" AND COMMENTS IS NOT NULL"),
            0);
        QHash<QString, QString> comments;
        for (; !dynaset->IsEOF(); dynaset->MoveNext())
            comments.insert(basKovaData::NullToBlank(dynaset->Value(0)), basKovaData::NullToBlank(dynaset->Value(1)));
        dynaset->Close();
        for (int row = 1; row <= rows; ++row) {
            const auto found = comments.constFind(grid.TextMatrix(row, ColName));
            if (found != comments.cend())
                grid.setCellToolTip(row, ColName, *found);
        }
    } catch (const OraError&) {
    }
}

// Marks the rules of the columns the database fills itself (GENERATED ALWAYS
// AS IDENTITY). A dictionary without USER_TAB_IDENTITY_COLS has none.
void MarkIdentityColumns(OraDatabase& database, const QString& table)
{
    try {
        const auto dynaset = database.DBCreateDynaset(
            QStringLiteral("SELECT COLUMN_NAME FROM USER_TAB_IDENTITY_COLS WHERE TABLE_NAME = ")
                + basKovaData::SqlQuoted(table) + QStringLiteral(" AND GENERATION_TYPE = 'ALWAYS'"),
            0);
        QSet<QString> identity;
        for (; !dynaset->IsEOF(); dynaset->MoveNext())
            identity.insert(basKovaData::NullToBlank(dynaset->Value(0)).trimmed().toUpper());
        dynaset->Close();
        for (std::size_t i = 1; i < basKovaData::ColumnRules.size(); ++i) {
            basKovaData::ColumnRule& rule = basKovaData::ColumnRules[i];
            rule.IsIdentity = identity.contains(rule.ColumnName.trimmed().toUpper());
        }
    } catch (const OraError&) {
    }
}

}  // namespace

void SetUpColumnGrid(controls::GridModel& grid)
{
    grid.setCols(5);
    grid.setRows(1);
    const int widths[] = {2800, 1500, 450, 350, 960};
    for (int col = 0; col < 5; ++col)
        grid.setColWidth(col, widths[col]);
    const QString headings[] = {QStringLiteral("項目名"), QStringLiteral("データ型"),
                                QStringLiteral("KEY"), QStringLiteral("NN"), QStringLiteral("設定")};
    for (int col = 0; col < 5; ++col)
        grid.setTextMatrix(0, col, headings[col]);
}

QString DataTypeText(const QString& dataType, const QString& precision, const QString& scale,
                     const QString& charLength, qint16* length, qint16* scaleValue)
{
    const QString p = precision.trimmed();
    // A type that carries its own figures: TIMESTAMP(6) WITH TIME ZONE,
    // INTERVAL DAY(2) TO SECOND(6) (whose precision and scale say no length).
    if (dataType.contains(QLatin1Char('('))) {
        *length = p.isEmpty() ? SizeValue(charLength) : 0;
        *scaleValue = 0;
        return dataType;
    }
    if (p.isEmpty()) {
        *length = SizeValue(charLength);
        *scaleValue = 0;
        return dataType + QLatin1Char('(') + charLength.trimmed() + QLatin1Char(')');
    }
    *length = SizeValue(p);
    if (basKovaData::ReadNumber(scale) == 0) {
        *scaleValue = 0;
        return dataType + QLatin1Char('(') + p + QLatin1Char(')');
    }
    *scaleValue = SizeValue(scale);
    return dataType + QLatin1Char('(') + p + QLatin1Char('.') + scale.trimmed() + QLatin1Char(')');
}

QString ObjectErrorMessage(bool isTable)
{
    return isTable ? QStringLiteral("テーブルにエラーがあります。確認してください。")
                   : QStringLiteral("ビューにエラーがあります。確認してください。");
}

ColumnGridResult FillColumnGrid(OraDatabase* database, controls::GridModel& grid,
                                const QString& objectName, bool isTable)
{
    using basKovaData::NullToBlank;
    const QString name = objectName.trimmed();
    grid.Clear();
    SetUpColumnGrid(grid);
    basKovaData::ColumnCount = 0;

    ColumnGridResult result;
    QList<LoadedColumn> columns;
    try {
        if (!database)
            throw OraError(QStringLiteral("not connected"));
        const auto dynaset = database->DBCreateDynaset(
            QStringLiteral("select column_name,data_type,data_precision,char_col_decl_length,data_scale,"
                           "DECODE(NULLABLE,'N','NOT NULL','Y','NULL') nn,char_used,data_length")
                + QStringLiteral(" from user_tab_columns where table_name = ") + basKovaData::SqlQuoted(name)
                + QStringLiteral(" ORDER BY COLUMN_ID "),
            0);
        int n = 0;
        while (!dynaset->IsEOF()) {
            ++n;
            if (n > basKovaData::MaxDisplayRows) {
                dynaset->Close();
                ForgetPreviousTable();
                result.outcome = ColumnGridResult::Outcome::TooManyColumns;
                result.message = QStringLiteral("最大行を超えました");
                result.icon = MessageIcon::Exclamation;
                return result;
            }
            grid.setRows(n + 1);
            grid.setTextMatrix(n, ColName, NullToBlank(dynaset->Value(0)));
            LoadedColumn column;
            column.notNull = NullToBlank(dynaset->Value(QStringLiteral("nn"))) != QLatin1String("NULL");
            if (column.notNull)
                grid.setTextMatrix(n, ColNotNull, QStringLiteral("NN"));
            // RAW(n) holds n bytes, written as 2n hexadecimal digits.
            const QString dataType = NullToBlank(dynaset->Value(1));
            const bool raw = dataType.trimmed() == QLatin1String("RAW");
            QString type = DataTypeText(dataType, NullToBlank(dynaset->Value(2)), NullToBlank(dynaset->Value(4)),
                                        NullToBlank(dynaset->Value(raw ? 7 : 3)), &column.length, &column.scale);
            if (raw)
                column.length = qint16(std::min(2 * column.length, 32000));
            // A length counted in characters says so: "VARCHAR2(4 CHAR)"
            // (on PostgreSQL, VARCHAR(4); its VARCHAR2(4) counts bytes).
            if (NullToBlank(dynaset->Value(6)).trimmed() == QLatin1String("C")
                && type.endsWith(QLatin1Char(')')))
                type.insert(type.size() - 1, QLatin1String(" CHAR"));
            grid.setTextMatrix(n, ColType, type);
            columns.append(column);
            ++basKovaData::ColumnCount;
            dynaset->MoveNext();
        }
        dynaset->Close();
        if (n == 0) {
            ForgetPreviousTable();
            result.outcome = ColumnGridResult::Outcome::NoColumns;
            result.message = QStringLiteral("データなし");
            result.icon = MessageIcon::Exclamation;
            return result;
        }
        MarkKeyColumns(*database, grid, name, n);
        ShowColumnComments(*database, grid, name, n);
        RebuildRules(grid, columns);
        MarkIdentityColumns(*database, name);
    } catch (const std::exception&) {
        // OraError from the database, GridError from the grid: the grid keeps
        // the rows filled so far.
        ForgetPreviousTable();
        result.outcome = ColumnGridResult::Outcome::Failed;
        result.message = ObjectErrorMessage(isTable);
        result.icon = MessageIcon::Information;
        return result;
    }
    result.outcome = ColumnGridResult::Outcome::Loaded;
    return result;
}

QString CountRows(OraDatabase* database, const QString& objectName)
{
    if (!database)
        throw OraError(QStringLiteral("not connected"));
    const auto dynaset = database->DBCreateDynaset(
        QStringLiteral(" SELECT COUNT(*) CNT FROM ") + database->SqlName(objectName), 0);
    QString count;
    if (!dynaset->IsEOF())
        count = basKovaData::NullToBlank(dynaset->Value(QStringLiteral("CNT"))).trimmed();
    dynaset->Close();
    return count;
}

QString KeyOrderCondition()
{
    QString condition;
    for (int i = 1; i <= basKovaData::ColumnCount && i < int(basKovaData::ColumnRules.size()); ++i) {
        const basKovaData::ColumnRule& rule = basKovaData::ColumnRules[std::size_t(i)];
        if (!rule.IsKey)
            continue;
        condition += condition.isEmpty() ? QStringLiteral("ORDER BY ") : QStringLiteral(",");
        condition += rule.ColumnName.trimmed();
    }
    return condition;
}

}  // namespace browser
