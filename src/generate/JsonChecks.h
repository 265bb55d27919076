#pragma once
// Checks on JSON documents that people write by hand, beyond what
// QJsonDocument reads.
#include <QByteArray>
#include <QString>

namespace generate {

// Repeated keys of one object ("value": 1, "value": 2), which QJsonDocument
// takes silently (the last wins). A small scan over the raw text: it follows
// objects, arrays and strings with their escapes, and finds the first object
// that names a key twice. For a document QJsonDocument has read; any other
// bytes end the scan without a finding.
struct RepeatedKey {
    QString key;     // empty: none
    QString column;  // the "column" of the object or of one around it
};

RepeatedKey FindRepeatedKey(const QByteArray& json);

}  // namespace generate
