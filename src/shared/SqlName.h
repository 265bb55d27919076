#pragma once
// A table or column name as it goes into SQL text.
#include <QString>

namespace basKovaData {

// The name as written when it needs no quotes (an identifier of letters,
// digits, "_", "$" and "#" that begins with a letter, has no lower-case
// letter a to z and is no reserved word: 商品マスタ, ORDER_ITEMS), else
// between double quotes with quotes inside doubled ("order", "A B"). Either
// way the text names that one object and can carry no other SQL.
QString SqlName(const QString& name);

}  // namespace basKovaData
