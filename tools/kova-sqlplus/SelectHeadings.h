#pragma once
// The headings Oracle gives the columns of a query, as far as the query's
// text tells them. A column without an alias that is an expression is headed
// by the expression as written, in capitals and without blanks ("trunc(d) -
// 1" gives "TRUNC(D)-1", "sysdate" gives "SYSDATE"), and a sequence's NEXTVAL
// by its last name; the database may name such a column by the text it ran
// instead, which may differ from what the user wrote.
#include <QString>
#include <QStringList>

namespace SelectHeadings {

// The headings for the columns the database named `names`: a column whose
// name is not the last word of its select list item (its alias or its column
// name) takes the heading of the item as written. `names` as they are when
// the select list cannot be read or holds "*".
QStringList Headings(const QString& query, const QStringList& names);

}  // namespace SelectHeadings
