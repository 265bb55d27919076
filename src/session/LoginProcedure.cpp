#include "session/LoginProcedure.h"

#include "session/AppPaths.h"
#include "session/ConnectionFile.h"
#include "session/OraAccess.h"
#include "session/Options.h"
#include "shared/basKovaData.h"

#include <QCoreApplication>

void LoginProcedure::PrepareProgram()
{
    if (basKovaData::AppDirectory.isEmpty()) {
        basKovaData::InitAppDirectory();
        // An installed program: the packaged demo schema beside it.
        const QString programs = QCoreApplication::applicationDirPath();
        basKovaData::PrepareUserFolder(programs + QStringLiteral("/kova-sqlplus"),
                                       programs + QStringLiteral("/../share/kova-oracle/demo.sql"));
    }
    basKovaData::LoadOptions();
}

LoginStartState LoginProcedure::load()
{
    m_book = ConnectionBook::Load(ConnectionFile::FileName());
    LoginStartState state;
    if (!m_book.fileExisted()) {
        state.listEnabled = false;
        state.addToList = true;
        state.focus = LoginStartState::Focus::Service;
        return state;
    }
    if (m_book.count() >= 1) {
        const ConnectionRecord last = m_book.record(1);
        state.service = ConnectionFile::TrimField(last.service);
        state.user = ConnectionFile::TrimField(last.user);
        state.password = ConnectionFile::TrimField(last.password);
    }
    state.listLines = m_book.listLines();
    return state;
}

LoginProcedure::Outcome LoginProcedure::connect(const QString& service, const QString& user,
                                                const QString& password, bool addToList)
{
    Outcome outcome;
    if (service.trimmed().isEmpty() || user.trimmed().isEmpty() || password.trimmed().isEmpty())
        return outcome;

    m_book.setLogin(service, user, password);
    basKovaData::SqlPlusLogin = m_book.sqlPlusLogin();
    const bool failed = basKovaData::OpenOracleDatabase(
        ConnectionFile::TrimField(m_book.record(1).service), m_book.connectText(),
        QString::fromLatin1(basKovaData::OraSessionProgId));
    if (failed)
        return outcome;
    outcome.connected = true;

    if (addToList)
        m_book.addLoginToList();  // a full list keeps its entries, see above
    outcome.saved = m_book.save(ConnectionFile::FileName(), &outcome.saveError);
    return outcome;
}
