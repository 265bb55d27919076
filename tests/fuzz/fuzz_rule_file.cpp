// Rule files as people and tools write them, read onto a table with a column
// of every type family. A file that is taken is saved and read back: the
// program must take what it writes itself, and write it the same again.
#include "FuzzCheck.h"
#include "generate/RuleFile.h"
#include "rules/ColumnRule.h"

#include <cstdint>

namespace {

struct Column {
    const char* name;
    const char* type;
    qint16 length;
    qint16 scale;
};

// The columns of CREATE TABLE R (N NUMBER(8,2) PRIMARY KEY, C VARCHAR2(10),
// F CHAR(6), D DATE, E VARCHAR2(5), I NUMBER(3), L RAW(4)).
const Column Columns[] = {{"N", "NUMBER(8,2)", 8, 2}, {"C", "VARCHAR2(10)", 10, 0}, {"F", "CHAR(6)", 6, 0},
                          {"D", "DATE", 0, 0},        {"E", "VARCHAR2(5)", 5, 0},   {"I", "NUMBER(3)", 3, 0},
                          {"L", "RAW(4)", 4, 0}};

void LoadTable()
{
    using basKovaData::ColumnRules;
    ColumnRules.assign(std::size(Columns) + 1, basKovaData::ColumnRule());
    for (std::size_t i = 0; i < std::size(Columns); ++i) {
        basKovaData::ColumnRule& rule = ColumnRules[i + 1];
        rule.ColumnName = QString::fromLatin1(Columns[i].name);
        rule.TypeText = QString::fromLatin1(Columns[i].type);
        rule.Length = Columns[i].length;
        rule.Scale = Columns[i].scale;
        rule.IsKey = i == 0;
        rule.IsNotNull = i == 0;
    }
    basKovaData::ColumnCount = static_cast<qint16>(std::size(Columns));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadTable();
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
    FuzzExpect(load.refused != load.message.isEmpty(), "a refusal says why, and only a refusal");
    (void)generate::LeftOutText(load);
    if (load.refused)
        return 0;

    const QByteArray written = generate::RuleFileText(load.table, load.rows);
    LoadTable();
    const generate::RuleFileLoad again = generate::ApplyRuleFile(written);
    if (again.refused)
        std::fprintf(stderr, "refused: %s\n%s\n", qPrintable(again.message), written.constData());
    FuzzExpect(!again.refused, "a written rule file is taken");
    FuzzExpect(again.missingColumns.isEmpty() && again.misfits.isEmpty(), "a written rule file fits its table");
    FuzzExpect(generate::RuleFileText(again.table, again.rows) == written, "a written rule file reads back unchanged");
    return 0;
}
