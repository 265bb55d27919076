#pragma once
// The view definition window's logic: the chosen view's text from USER_VIEWS.
#include <QString>

class OraDatabase;

namespace diag {

// "select TEXT from user_views where VIEW_NAME = '<view>'", the name as given.
QString ViewTextQuery(const QString& view);

struct ViewText {
    int error = 0;       // the number of the error that stopped the read, or 0
    bool found = false;  // USER_VIEWS has a row for the name
    QString text;        // TEXT as stored, line breaks included
};
ViewText LoadViewText(OraDatabase* database, const QString& view);

}  // namespace diag
