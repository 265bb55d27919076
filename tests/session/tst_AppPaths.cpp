// label: core
#include "session/AppPaths.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class TestAppPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { basKovaData::ResetForTests(); }

    void resolve_data();
    void resolve();
    void initAppDirectory();

private:
    QTemporaryDir m_dataHome;  // stands in for the user's data directory
    QString m_userDirectory;
};

void TestAppPaths::initTestCase()
{
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    m_userDirectory = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QVERIFY2(m_userDirectory.startsWith(m_dataHome.path() + QLatin1Char('/')),
             qPrintable(m_userDirectory));
}

void TestAppPaths::resolve_data()
{
    // How the executable directory is made: "dir", "missing", "file",
    // "read-only" or "system" (a directory the system refuses files in).
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("suffix");  // appended to the directory's name
    QTest::addColumn<bool>("usable");

    QTest::newRow("writable") << QStringLiteral("dir") << QString() << true;
    QTest::newRow("trailing slash") << QStringLiteral("dir") << QStringLiteral("/") << true;
    QTest::newRow("two trailing slashes") << QStringLiteral("dir") << QStringLiteral("//") << true;
    QTest::newRow("missing") << QStringLiteral("missing") << QString() << false;
    QTest::newRow("a file, not a directory") << QStringLiteral("file") << QString() << false;
    QTest::newRow("read-only bits") << QStringLiteral("read-only") << QString() << false;
    QTest::newRow("system directory") << QStringLiteral("system") << QString() << false;
}

void TestAppPaths::resolve()
{
    QFETCH(QString, kind);
    QFETCH(QString, suffix);
    QFETCH(bool, usable);

    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    QString directory = parent.filePath(QStringLiteral("bin"));
    if (kind == QLatin1String("dir")) {
        QVERIFY(QDir().mkdir(directory));
    } else if (kind == QLatin1String("file")) {
        QVERIFY(kovatest::WriteFile(directory, "not a directory"));
    } else if (kind == QLatin1String("read-only")) {
        if (::geteuid() == 0)
            QSKIP("The superuser can write whatever the permission bits say");
        QVERIFY(QDir().mkdir(directory));
        QVERIFY(::chmod(QFile::encodeName(directory).constData(), 0555) == 0);
    } else if (kind == QLatin1String("system")) {
        // The permission check passes for the superuser; creating a file does not.
        directory = QStringLiteral("/proc");
        if (!QFileInfo(directory + QStringLiteral("/self")).isDir())
            QSKIP("No /proc file system here");
    }

    const QStringList before = kind == QLatin1String("system") ? QStringList() : Entries(directory);
    const QString result = basKovaData::ResolveAppDirectory(directory + suffix);

    QVERIFY2(result.endsWith(QLatin1Char('/')) && !result.endsWith(QStringLiteral("//")),
             qPrintable(result));
    if (usable) {
        QCOMPARE(result, directory + QLatin1Char('/'));
    } else {
        QCOMPARE(result, m_userDirectory + QLatin1Char('/'));
        QVERIFY(QFileInfo(m_userDirectory).isDir());
    }
    // The write check leaves nothing behind and creates no missing directory.
    // (The process entries of /proc come and go by themselves.)
    if (kind != QLatin1String("system"))
        QCOMPARE(Entries(directory), before);
    if (kind == QLatin1String("missing"))
        QVERIFY(!QFileInfo::exists(directory));
    if (kind == QLatin1String("read-only"))
        ::chmod(QFile::encodeName(directory).constData(), 0755);
}

void TestAppPaths::initAppDirectory()
{
    // The test program's own directory, when this user may write there.
    const QString programDirectory = QCoreApplication::applicationDirPath();
    const bool writable = QFileInfo(programDirectory).isWritable();
    basKovaData::InitAppDirectory();
    QCOMPARE(basKovaData::AppDirectory,
             (writable ? programDirectory : m_userDirectory) + QLatin1Char('/'));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_AppPaths.moc"
