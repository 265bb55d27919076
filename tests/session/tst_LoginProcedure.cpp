// label: core
#include "session/LoginDesign.h"
#include "session/LoginProcedure.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QStringList Texts(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

}  // namespace

class TestLoginProcedure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void designAt_data();
    void designAt();
    void prepareProgramKeepsDirectory();
    void loadStartState_data();
    void loadStartState();
    void refusedBeforeConnecting_data();
    void refusedBeforeConnecting();

private:
    QString dataFile() const { return m_dir->filePath(QStringLiteral("KovaData.dat")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLoginProcedure::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    basKovaData::AppDirectory = m_dir->path() + QLatin1Char('/');
}

void TestLoginProcedure::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_dir.reset();
}

void TestLoginProcedure::designAt_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("night");

    QTest::newRow("00:00") << QTime(0, 0) << true;
    QTest::newRow("05:59") << QTime(5, 59) << true;
    QTest::newRow("06:00") << QTime(6, 0) << true;
    // Only hours and minutes count.
    QTest::newRow("06:00:59.999") << QTime(6, 0, 59, 999) << true;
    QTest::newRow("06:01") << QTime(6, 1) << false;
    QTest::newRow("12:00") << QTime(12, 0) << false;
    QTest::newRow("21:59") << QTime(21, 59) << false;
    QTest::newRow("21:59:59") << QTime(21, 59, 59) << false;
    QTest::newRow("22:00") << QTime(22, 0) << true;
    QTest::newRow("23:59") << QTime(23, 59) << true;
    QTest::newRow("10:00, not 1000 minutes") << QTime(10, 0) << false;
}

void TestLoginProcedure::designAt()
{
    QFETCH(QTime, time);
    QFETCH(bool, night);

    QCOMPARE(LoginDesignAt(time) == LoginDesign::Night, night);
}

void TestLoginProcedure::prepareProgramKeepsDirectory()
{
    // 1000 rows and a path, as the options window writes them.
    QByteArray options = QByteArray("\xe8\x03\x00\x00", 4) + QByteArray("/usr/bin/x")
                         + QByteArray(90, ' ') + QByteArray(132, '\0');
    QVERIFY(kovatest::WriteFile(m_dir->filePath(QStringLiteral("KovaOpt.dat")), options));
    const QString directory = basKovaData::AppDirectory;
    LoginProcedure::PrepareProgram();
    QCOMPARE(basKovaData::AppDirectory, directory);
    QCOMPARE(basKovaData::MaxDisplayRows, 1000);
    QCOMPARE(basKovaData::SqlPlusPath.trimmed(), QStringLiteral("/usr/bin/x"));
}

void TestLoginProcedure::loadStartState_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("listEnabled");
    QTest::addColumn<bool>("addToList");
    QTest::addColumn<bool>("focusOnService");

    const auto record = [](const char* service, const char* user, const char* password) {
        return QByteArray(service).leftJustified(20, ' ') + QByteArray(user).leftJustified(20, ' ')
               + QByteArray(password).leftJustified(20, ' ');
    };
    QTest::newRow("no file") << false << QByteArray() << Texts({"", "", ""}) << QStringList()
                             << false << true << true;
    QTest::newRow("empty file") << true << QByteArray() << Texts({"", "", ""}) << QStringList()
                                << true << false << false;
    QTest::newRow("last login only")
        << true << record("ORCL", "scott", "tiger") << Texts({"ORCL", "scott", "tiger"})
        << QStringList() << true << false << false;
    QTest::newRow("saved list")
        << true
        << record("ORCL", "scott", "tiger") + record("VERYLONGNAME", "sys", "x")
               + record("DEV", "hr", "y")
        << Texts({"ORCL", "scott", "tiger"})
        << Texts({"VERYLONGNA  sys", "DEV         hr"}) << true << false << false;
}

void TestLoginProcedure::loadStartState()
{
    QFETCH(bool, fileBefore);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, lines);
    QFETCH(bool, listEnabled);
    QFETCH(bool, addToList);
    QFETCH(bool, focusOnService);

    if (fileBefore)
        QVERIFY(kovatest::WriteFile(dataFile(), bytes));
    LoginProcedure login;
    const LoginStartState state = login.load();
    QCOMPARE((QStringList{state.service, state.user, state.password}), boxes);
    QCOMPARE(state.listLines, lines);
    QCOMPARE(state.listEnabled, listEnabled);
    QCOMPARE(state.addToList, addToList);
    QCOMPARE(state.focus == LoginStartState::Focus::Service, focusOnService);
}

void TestLoginProcedure::refusedBeforeConnecting_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("sqlPlusLogin");

    // An empty box stops the login before anything is set.
    QTest::newRow("no service") << Texts({"", "scott", "tiger"}) << QString();
    QTest::newRow("no user") << Texts({"x.db", "", "tiger"}) << QString();
    QTest::newRow("no password") << Texts({"x.db", "scott", ""}) << QString();
    QTest::newRow("blank user") << Texts({"x.db", "  ", "tiger"}) << QString();
    // The logon text is set before the database is tried.
    QTest::newRow("missing database") << Texts({"missing.db", "scott", "tiger"})
                                      << QStringLiteral("scott/tiger@missing.db");
}

void TestLoginProcedure::refusedBeforeConnecting()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, sqlPlusLogin);

    LoginProcedure login;
    login.load();
    const LoginProcedure::Outcome outcome = login.connect(typed.at(0), typed.at(1), typed.at(2), true);
    QVERIFY(!outcome.connected);
    QVERIFY(!outcome.saved);
    QCOMPARE(basKovaData::SqlPlusLogin, sqlPlusLogin);
    QVERIFY(!basKovaData::OraDatabase);
    QVERIFY(!QFileInfo::exists(dataFile()));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("missing.db"))));
}

QTEST_GUILESS_MAIN(TestLoginProcedure)
#include "tst_LoginProcedure.moc"
