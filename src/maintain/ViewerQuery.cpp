#include "maintain/ViewerQuery.h"

#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/ValueText.h"
#include "shared/basKovaData.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace maintain {

namespace {

// A width in twips from a byte count, held in the 32-bit entry of the width
// table; a text too long for that saturates instead of wrapping round.
qint32 Twips(qint64 bytes, int perByte, int padding)
{
    const qint64 twips = bytes * perByte + padding;
    return qint32(std::min<qint64>(twips, std::numeric_limits<qint32>::max()));
}

bool IsNumberType(int col)
{
    const auto& rules = basKovaData::ColumnRules;
    return col >= 1 && std::size_t(col) < rules.size() && rules[std::size_t(col)].TypeText.text().left(6) == u"NUMBER"_s;
}

int DeclaredLength(int col)
{
    const auto& rules = basKovaData::ColumnRules;
    return col >= 1 && std::size_t(col) < rules.size() ? rules[std::size_t(col)].Length : 0;
}

// Shrinks each column whose widest value is narrower than its current width
// down to that value or its heading, whichever is wider. A column without a
// declared size has nothing to open at but its heading: it takes the width of
// its widest value (in half-width cells) or its heading instead.
void FitWidths(controls::GridModel& grid, const controls::GridModel* mainGrid, const std::vector<qint32>& widest,
               const std::vector<qint32>& undeclared)
{
    for (int col = 0; col < grid.Cols(); ++col) {
        const qint32 heading = ViewerHeadingTwips(ViewerColumnName(mainGrid, col + 1));
        if (DeclaredLength(col + 1) == 0) {
            grid.setColWidth(col, std::min(std::max(heading, undeclared[std::size_t(col)]), ViewerOpeningWidthCap));
            continue;
        }
        const qint32 contents = widest[std::size_t(col)];
        const int current = grid.ColWidth(col);
        if (contents >= current)
            continue;
        grid.setColWidth(col, std::min<int>(std::max(heading, contents), current));
    }
}

}  // namespace

qint64 ViewerByteLength(const QString& text)
{
    return qint64(text.size()) * 2;
}

qint64 ViewerDisplayCells(const QString& text)
{
    qint64 cells = 0;
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            continue;  // counted with its high half
        const char16_t u = c.unicode();
        cells += u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
    }
    return cells;
}

qint32 ViewerHeadingTwips(const QString& heading)
{
    return Twips(ViewerDisplayCells(heading.trimmed()), ViewerCellTwipsPerByte, ViewerCellPaddingTwips);
}

QString ViewerStatement(const QString& table, const QString& condition)
{
    return basKovaData::WithCondition(u" SELECT * FROM "_s + basKovaData::ServerSql(table), condition);
}

QString ViewerColumnName(const controls::GridModel* mainGrid, int col)
{
    return mainGrid ? mainGrid->TextMatrix(col, 0) : QString();
}

void PrepareViewerGrid(controls::GridModel& grid, const controls::GridModel* mainGrid)
{
    try {
        grid.setRows(1);
        grid.setCols(basKovaData::ColumnCount);
    } catch (const controls::GridError&) {
        // Keep whatever columns the grid could take.
    }
    const int columns = std::min<int>(grid.Cols(), std::max<int>(basKovaData::ColumnCount, 0));
    for (int col = 1; col <= columns; ++col) {
        const QString name = ViewerColumnName(mainGrid, col);
        grid.setTextMatrix(0, col - 1, name);
        qint32 width = ViewerHeadingTwips(name);
        grid.setColAlignment(col - 1, IsNumberType(col) ? controls::AlignRightCenter : controls::AlignLeftCenter);
        const int length = std::min(DeclaredLength(col), ViewerLengthCap);
        const int byLength = length * ViewerCellTwipsPerByte + ViewerCellPaddingTwips;
        if (byLength > width)
            width = byLength;
        grid.setColWidth(col - 1, std::min(width, ViewerOpeningWidthCap));
    }
    for (int col = 0; col < grid.Cols(); ++col)
        grid.setCellAlignment(0, col, controls::AlignCenterCenter);
}

ViewerRunResult RunViewerQuery(OraDatabase* database, controls::GridModel& grid,
                               const controls::GridModel* mainGrid, const QString& condition,
                               const std::function<void()>& fetchStarting)
{
    ViewerRunResult result;
    const int columns = grid.Cols();
    const int maxRows = std::max<int>(basKovaData::MaxDisplayRows, 1);
    std::vector<qint32> widest(std::size_t(columns) + 1, 0);
    // Columns without a declared size are measured in half-width cells.
    std::vector<qint32> undeclared(std::size_t(columns) + 1, 0);
    std::vector<char> sizeless(std::size_t(columns) + 1, 0);
    for (int col = 0; col < columns; ++col)
        sizeless[std::size_t(col)] = DeclaredLength(col + 1) == 0;
    std::unique_ptr<OraDynaset> dynaset;
    int counter = 0;
    bool fitWidths = false;
    try {
        result.statement = ViewerStatement(basKovaData::ChosenTable, condition);
        if (!database)
            throw std::runtime_error("no database");
        dynaset = database->DBCreateDynaset(result.statement, 0);
        result.messageLine = QString();
        if (fetchStarting)
            fetchStarting();
        // A result without rows must not leave the previous run's rows on screen.
        grid.setRows(1);
        const int fields = dynaset->FieldCount();
        while (!dynaset->IsEOF()) {
            ++counter;
            if (counter == maxRows + 1)
                break;
            grid.setRows(counter + 1);
            try {
                for (int col = 0; col < columns; ++col) {
                    const QString text =
                        col < fields ? basKovaData::NullToMark(dynaset->Value(col)).trimmed() : QString();
                    grid.setTextMatrix(counter, col, text);
                    const qint32 width =
                        Twips(ViewerByteLength(text), ViewerCellTwipsPerByte, ViewerCellPaddingTwips);
                    qint32& entry = widest[std::size_t(col)];
                    entry = std::max(entry, width);
                    if (sizeless[std::size_t(col)]) {
                        qint32& cells = undeclared[std::size_t(col)];
                        cells = std::max(cells, Twips(ViewerDisplayCells(text), ViewerCellTwipsPerByte,
                                                      ViewerCellPaddingTwips));
                    }
                }
            } catch (const controls::GridError&) {
                grid.setRows(counter);  // the half-written row goes again
                throw;
            }
            dynaset->MoveNext();
        }
        result.messageLine = counter >= maxRows
                                 ? u"最初の"_s + QString::number(maxRows) + u"件を表示しています。"_s
                                 : u"データ "_s + QString::number(counter) + u"件"_s;
        fitWidths = true;
    } catch (const OraError& error) {
        result.errorNumber = error.number();
        if (error.number() == OraError::ComponentError)
            result.message = u"ＳＱＬ文のエラーです。確認してください。"_s + QString::number(error.number());
    } catch (const controls::GridError& error) {
        result.errorNumber = error.number();
        if (error.number() == controls::GridError::OutOfMemory) {
            result.messageLine = u"メモリオーバーのため、最初の"_s + QString::number(std::max(counter - 1, 0))
                                 + u"件を表示しています。"_s;
            fitWidths = true;
        }
    } catch (const std::exception&) {
        result.errorNumber = -1;
    } catch (...) {
        result.errorNumber = -1;
    }
    if (dynaset) {
        try {
            dynaset->Close();
        } catch (...) {
            // Closing a result that failed half-way has nothing more to report.
        }
        dynaset.reset();
    }
    if (fitWidths)
        FitWidths(grid, mainGrid, widest, undeclared);
    result.rows = grid.Rows() - 1;
    return result;
}

}  // namespace maintain
