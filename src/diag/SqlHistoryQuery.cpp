#include "diag/SqlHistoryQuery.h"

#include "controls/GridModel.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/ValueText.h"
#include "shared/basKovaData.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace diag {

namespace {

constexpr int HistoryColumns = 3;
constexpr int HistoryWidths[HistoryColumns] = {1000, 1800, 8200};

QString SqlErrorMessage(int number)
{
    return u"ＳＱＬ文のエラーです。確認してください。"_s + QString::number(number);
}

void CloseQuietly(std::unique_ptr<OraDynaset>& dynaset)
{
    if (!dynaset)
        return;
    try {
        dynaset->Close();
    } catch (...) {
        // A result that failed half-way has nothing more to report.
    }
    dynaset.reset();
}

}  // namespace

QString SqlHistoryCaption()
{
    return u"ログビュワー"_s;
}

QString SqlHistoryHint()
{
    return u"行をクリックするとＳＱＬ全文が表示されます。"_s;
}

QString SqlHistoryOpeningCondition()
{
    return u"ORDER BY FIRST_LOAD_TIME DESC"_s;
}

QString SqlHistoryStatement(const QString& condition)
{
    return basKovaData::WithCondition(u" SELECT HASH_VALUE,FIRST_LOAD_TIME,SQL_TEXT FROM V$SQL "_s, condition);
}

QString SqlTextStatement(const QString& hashValue)
{
    return u" SELECT SQL_TEXT FROM V$SQLTEXT WHERE HASH_VALUE = "_s + hashValue + u" "_s + u" ORDER BY PIECE"_s;
}

void PrepareSqlHistoryGrid(controls::GridModel& grid)
{
    grid.setCols(HistoryColumns);
    grid.setRows(1);
    const QString headings[HistoryColumns] = {u"HASH_VALUE"_s, u"FIRST_LOAD_TIME"_s, u"SQL_TEXT"_s};
    for (int col = 0; col < HistoryColumns; ++col) {
        grid.setColWidth(col, HistoryWidths[col]);
        grid.setTextMatrix(0, col, headings[col]);
        grid.setCellAlignment(0, col, controls::AlignLeftCenter);
    }
}

SqlHistoryResult RunSqlHistoryQuery(OraDatabase* database, controls::GridModel& grid, const QString& condition)
{
    SqlHistoryResult result;
    const int maxRows = std::max<int>(basKovaData::MaxDisplayRows, 1);
    std::unique_ptr<OraDynaset> dynaset;
    int counter = 0;
    try {
        result.statement = SqlHistoryStatement(condition);
        if (!database)
            throw std::runtime_error("no database");
        dynaset = database->DBCreateDynaset(result.statement, 0);
        grid.setRows(1);
        const int fields = std::min(dynaset->FieldCount(), HistoryColumns);
        while (!dynaset->IsEOF()) {
            ++counter;
            if (counter > maxRows)
                break;
            grid.setRows(counter + 1);
            try {
                for (int col = 0; col < fields; ++col)
                    grid.setTextMatrix(counter, col, basKovaData::NullToMark(dynaset->Value(col)).trimmed());
            } catch (const controls::GridError&) {
                grid.setRows(counter);  // the half-written row goes again
                throw;
            }
            dynaset->MoveNext();
        }
    } catch (const OraError& error) {
        result.errorNumber = error.number();
        if (error.number() == OraError::ComponentError)
            result.message = SqlErrorMessage(error.number());
    } catch (const controls::GridError& error) {
        result.errorNumber = error.number();
        if (error.number() == controls::GridError::OutOfMemory)
            result.message = u"メモリオーバーのため、最初の"_s + QString::number(std::max(counter - 1, 0)) + u"件を表示しています。"_s;
    } catch (...) {
        result.errorNumber = -1;
    }
    CloseQuietly(dynaset);
    result.rows = grid.Rows() - 1;
    return result;
}

SqlTextResult FetchSqlText(OraDatabase* database, const QString& hashValue)
{
    SqlTextResult result;
    std::unique_ptr<OraDynaset> dynaset;
    try {
        result.statement = SqlTextStatement(hashValue);
        if (!database)
            throw std::runtime_error("no database");
        dynaset = database->DBCreateDynaset(result.statement, 0);
        while (!dynaset->IsEOF()) {
            result.text += basKovaData::NullToMark(dynaset->Value(0)).trimmed();
            dynaset->MoveNext();
        }
    } catch (const OraError& error) {
        result.errorNumber = error.number();
        if (error.number() == OraError::ComponentError)
            result.message = SqlErrorMessage(error.number());
    } catch (...) {
        result.errorNumber = -1;
    }
    CloseQuietly(dynaset);
    return result;
}

}  // namespace diag
