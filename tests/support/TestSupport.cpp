#include "support/TestSupport.h"

#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "engine/SqliteEngine.h"
#include "rules/ColumnRule.h"
#include "shared/ValueText.h"

#include <QFile>
#include <QTest>

namespace kovatest {

MessageRecorder::MessageRecorder()
{
    m_previous = basKovaData::SetMessageHandler(
        [this](const basKovaData::MessageRequest& request) { m_messages.append(request); });
}

MessageRecorder::~MessageRecorder()
{
    basKovaData::SetMessageHandler(m_previous);
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const basKovaData::MessageRequest& request : m_messages)
        result.append(request.text);
    return result;
}

void ResetProgramState()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
}

void ReleaseSession()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

TestDatabase OpenTestDatabase(const QTemporaryDir& dir, const QStringList& statements)
{
    TestDatabase result;
    result.path = dir.filePath(QStringLiteral("test.db"));
    if (!QFile::exists(result.path))
        SqliteEngine::createFile(result.path);
    result.session = std::make_shared<OraSession>();
    result.database = result.session->DbOpenDatabase(result.path, QStringLiteral("scott/tiger"));
    for (const QString& statement : statements) {
        try {
            result.database->DbExecuteSQL(statement);
        } catch (const OraError& error) {
            qFatal("setting up the test database failed: %s\n%s", qUtf8Printable(statement),
                   qUtf8Printable(error.message()));
        }
    }
    return result;
}

QList<QStringList> QueryRows(OraDatabase& database, const QString& sql)
{
    QList<QStringList> rows;
    auto dynaset = database.DBCreateDynaset(sql, 0);
    while (!dynaset->IsEOF()) {
        QStringList row;
        for (int i = 0; i < dynaset->FieldCount(); ++i)
            row.append(basKovaData::NullToMark(dynaset->Value(i)));
        rows.append(row);
        dynaset->MoveNext();
    }
    return rows;
}

}  // namespace kovatest
