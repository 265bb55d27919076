#include "browser/ObjectList.h"

#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "shared/ValueText.h"

namespace browser {

namespace {

void AppendNames(OraDatabase& database, const QString& sql, const QString& field, ObjectList& list)
{
    const auto dynaset = database.DBCreateDynaset(sql, 0);
    while (!dynaset->IsEOF()) {
        const QString text = basKovaData::NullToBlank(dynaset->Value(field));
        list.names.append(text.trimmed());
        list.listTexts.append(text);
        dynaset->MoveNext();
    }
    dynaset->Close();
}

}  // namespace

void LoadObjectList(OraDatabase& database, ObjectList& list)
{
    list = ObjectList();
    AppendNames(database, QStringLiteral("select TABLE_NAME from USER_TABLES"),
                QStringLiteral("table_name"), list);
    list.firstViewIndex = int(list.names.size()) + 1;
    AppendNames(database, QStringLiteral("select VIEW_NAME from user_views"),
                QStringLiteral("VIEW_NAME"), list);
}

}  // namespace browser
