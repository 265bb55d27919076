#pragma once
// The main window's list of the schema's tables, then its views, in the order
// the database returns them.
#include <QString>
#include <QStringList>

class OraDatabase;

namespace browser {

struct ObjectList {
    QStringList listTexts;   // the names as the database returns them
    QStringList names;       // the same names trimmed; list position p holds names[p]
    int firstViewIndex = 1;  // 1-based position of the first view: tables + 1

    // Whether list position p (0-based) holds a view.
    bool isView(int position) const { return position + 1 >= firstViewIndex; }
};

// Reads the tables, then the views. Throws OraError when a query fails; the
// list then holds what was read before the failure.
void LoadObjectList(OraDatabase& database, ObjectList& list);

}  // namespace browser
