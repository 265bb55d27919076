#include "rules/StatementPreview.h"

#include "controls/GridModel.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/ValueText.h"

#include <exception>
#include <stdexcept>

namespace rules {

void SetUpPreviewGrid(controls::GridModel& grid)
{
    grid.setColWidth(0, 600);
    grid.setColWidth(1, 2800);
    grid.setTextMatrix(0, 0, QStringLiteral("No"));
    grid.setTextMatrix(0, 1, QStringLiteral("データ"));
}

PreviewResult FillPreview(OraDatabase* database, controls::GridModel& grid, const QString& statementText)
{
    PreviewResult result;
    try {
        if (!database)
            throw std::runtime_error("no database");
        const QString sql = basKovaData::FlattenSql(statementText.trimmed());
        auto dynaset = database->DBCreateDynaset(sql, 0);
        if (!dynaset->IsEOF()) {
            grid.Clear();
            SetUpPreviewGrid(grid);
        }
        for (int n = 1; !dynaset->IsEOF(); ++n) {
            grid.setRows(n + 1);
            try {
                grid.setTextMatrix(n, 0, QString::number(n));
                grid.setTextMatrix(n, 1, basKovaData::NullToMark(dynaset->Value(0)).trimmed());
            } catch (const controls::GridError&) {
                grid.setRows(n);  // the half-written row goes again
                throw;
            }
            result.rows = n;
            dynaset->MoveNext();
        }
        dynaset->Close();
        result.showList = true;
    } catch (const OraError& error) {
        result.errorNumber = error.number();
        if (error.number() == OraError::ComponentError)
            result.message = QStringLiteral("ＳＱＬ文のエラーです。確認してください。") + QString::number(error.number());
    } catch (const controls::GridError& error) {
        result.errorNumber = error.number();
        if (error.number() == controls::GridError::OutOfMemory) {
            result.message = QStringLiteral("メモリオーバーのため、最初の") + QString::number(result.rows)
                             + QStringLiteral("件を表示しています。");
            result.showList = true;
        }
    } catch (const std::exception&) {
        result.errorNumber = -1;
    }
    return result;
}

}  // namespace rules
