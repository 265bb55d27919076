#include "session/Options.h"

#include "session/OptionsFile.h"
#include "shared/basKovaData.h"

#include <limits>

namespace basKovaData {

QString DefaultSqlPlusPath()
{
    return AppDirectory + QStringLiteral("kova-sqlplus");
}

void LoadOptions()
{
    const std::optional<OptionsFile::OptionsRecord> record =
        OptionsFile::Read(OptionsFile::FileName());
    if (!record) {
        MaxDisplayRows = DefaultMaxDisplayRows;
        SqlPlusPath = FixedText(DefaultSqlPlusPath(), SqlPlusPathWidth);
        return;
    }

    constexpr qint32 largest = std::numeric_limits<qint16>::max();
    qint32 rows = record->maxDisplayRows;
    if (rows < 1)
        rows = DefaultMaxDisplayRows;
    else if (rows > largest)
        rows = largest;
    MaxDisplayRows = static_cast<qint16>(rows);
    SqlPlusPath = FixedText(record->sqlPlusPath, SqlPlusPathWidth);
}

bool SaveOptions(qint16 maxDisplayRows, const QString& sqlPlusPathText, QString* error)
{
    MaxDisplayRows = maxDisplayRows;
    SqlPlusPath = FixedText(sqlPlusPathText.trimmed(), SqlPlusPathWidth);
    return OptionsFile::Write(OptionsFile::FileName(),
                              OptionsFile::OptionsRecord{qint32{maxDisplayRows}, SqlPlusPath},
                              error);
}

}  // namespace basKovaData
