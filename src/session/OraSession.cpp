#include "session/OraSession.h"

#include "engine/OdbcEngine.h"
#include "session/OraError.h"
#include "engine/SqliteEngine.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFileInfo>

std::optional<QString> OraSession::EmbeddedDatabasePath(const QString& service)
{
    const QString name = service.trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('=')))
        return std::nullopt;
    const QString path = QDir::isAbsolutePath(name)
                             ? name
                             : QDir(basKovaData::AppDirectory.isEmpty() ? QDir::currentPath()
                                                                        : basKovaData::AppDirectory)
                                   .filePath(name);
    static const QStringList Suffixes = {QStringLiteral(".db"), QStringLiteral(".sqlite"),
                                         QStringLiteral(".sqlite3")};
    for (const QString& suffix : Suffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return QDir::cleanPath(path);
    }
    if (QFileInfo(path).isFile())
        return QDir::cleanPath(path);
    return std::nullopt;
}

std::shared_ptr<OraDatabase> OraSession::DbOpenDatabase(const QString& service, const QString& connect,
                                                        int options)
{
    Q_UNUSED(options);
    const qsizetype slash = connect.indexOf(QLatin1Char('/'));
    const QString user = (slash < 0 ? connect : connect.left(slash)).trimmed();
    const QString password = slash < 0 ? QString() : connect.mid(slash + 1).trimmed();
    m_engine.reset();
    if (const auto path = EmbeddedDatabasePath(service))
        m_engine = SqliteEngine::open(*path, user);
    else
        m_engine = OdbcEngine::open(service.trimmed(), user, password);
    return std::make_shared<OraDatabase>(m_engine);
}

std::shared_ptr<OraEngine> OraSession::requireEngine() const
{
    if (!m_engine)
        throw OraError(QStringLiteral("ORA-03114: not connected to ORACLE"));
    return m_engine;
}

void OraSession::DbBeginTrans()
{
    requireEngine()->beginTransaction();
}

void OraSession::DbCommitTrans()
{
    requireEngine()->commit();
}

void OraSession::DBRollBack()
{
    requireEngine()->rollback();
}
