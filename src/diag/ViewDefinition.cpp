#include "diag/ViewDefinition.h"

#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/ValueText.h"

using namespace Qt::StringLiterals;

namespace diag {

QString ViewTextQuery(const QString& view)
{
    return u"select TEXT from user_views where VIEW_NAME = '"_s + view + u"'"_s;
}

ViewText LoadViewText(OraDatabase* database, const QString& view)
{
    ViewText result;
    try {
        if (!database)
            throw OraError(u"not connected"_s);
        auto dynaset = database->DBCreateDynaset(ViewTextQuery(view), 0);
        if (!dynaset->IsEOF()) {
            result.found = true;
            result.text = basKovaData::NullToBlank(dynaset->Value(u"TEXT"_s));
        }
        dynaset->Close();
    } catch (const OraError& error) {
        result.error = error.number();
    }
    return result;
}

}  // namespace diag
