// label: core
#include "session/AtomicFile.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using basKovaData::WriteFileAtomically;

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions Ordinary =
    OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// The file's permission bits as the system reports them.
int ModeBits(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// Sets the process umask while it lives.
class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : m_previous(::umask(mask)) {}
    ~UmaskGuard() { ::umask(m_previous); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t m_previous;
};

}  // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    void writes_data();
    void writes();
    void failureLeavesTargetAlone_data();
    void failureLeavesTargetAlone();
    void failureWithoutErrorText();
};

void TestAtomicFile::writes_data()
{
    QTest::addColumn<QByteArray>("oldContent");  // empty: no file before
    QTest::addColumn<QByteArray>("staleNew");    // empty: no .new file before
    QTest::addColumn<int>("staleNewMode");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QFileDevice::Permissions>("permissions");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("expectedMode");

    const QByteArray binary("A\0\xff\x82\xa0 \n", 7);
    QTest::newRow("new file, owner only")
        << QByteArray() << QByteArray() << 0 << binary << OwnerOnly << 022 << 0600;
    // The umask would take the group and others' read bits away on creation.
    QTest::newRow("new file, ordinary, strict umask")
        << QByteArray() << QByteArray() << 0 << QByteArray("abc") << Ordinary << 077 << 0644;
    QTest::newRow("longer file replaced by shorter")
        << QByteArray(500, 'x') << QByteArray() << 0 << QByteArray("short") << Ordinary << 022
        << 0644;
    QTest::newRow("replaced by nothing")
        << QByteArray("old") << QByteArray() << 0 << QByteArray() << OwnerOnly << 022 << 0600;
    // A .new file left by an earlier crash: longer, and open to everybody.
    QTest::newRow("stale .new file")
        << QByteArray("old") << QByteArray(300, 's') << 0666 << QByteArray("fresh") << OwnerOnly
        << 022 << 0600;
}

void TestAtomicFile::writes()
{
    QFETCH(QByteArray, oldContent);
    QFETCH(QByteArray, staleNew);
    QFETCH(int, staleNewMode);
    QFETCH(QByteArray, bytes);
    QFETCH(QFileDevice::Permissions, permissions);
    QFETCH(int, umask);
    QFETCH(int, expectedMode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("target.dat"));
    const QString newPath = path + QStringLiteral(".new");
    if (!oldContent.isEmpty())
        QVERIFY(kovatest::WriteFile(path, oldContent));
    if (!staleNew.isEmpty()) {
        QVERIFY(kovatest::WriteFile(newPath, staleNew));
        QCOMPARE(::chmod(QFile::encodeName(newPath).constData(),
                         static_cast<mode_t>(staleNewMode)),
                 0);
    }

    QString error;
    {
        const UmaskGuard guard(static_cast<mode_t>(umask));
        QVERIFY2(WriteFileAtomically(path, bytes, permissions, &error), qPrintable(error));
    }
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(kovatest::ReadFile(path), bytes);
    QCOMPARE(ModeBits(path), expectedMode);
    QVERIFY(!QFileInfo::exists(newPath));
}

void TestAtomicFile::failureLeavesTargetAlone_data()
{
    QTest::addColumn<QString>("target");       // relative to the temporary directory
    QTest::addColumn<QString>("makeDirectory");  // made before writing, "" for none
    QTest::addColumn<QString>("existingFile");   // holds "old" before writing, "" for none

    QTest::newRow("directory missing") << QStringLiteral("missing/target.dat") << QString()
                                       << QString();
    // The rename cannot put a file in place of a directory.
    QTest::newRow("target is a directory") << QStringLiteral("target.dat")
                                           << QStringLiteral("target.dat") << QString();
    // The .new file cannot be created.
    QTest::newRow(".new is a directory") << QStringLiteral("target.dat")
                                         << QStringLiteral("target.dat.new")
                                         << QStringLiteral("target.dat");
}

void TestAtomicFile::failureLeavesTargetAlone()
{
    QFETCH(QString, target);
    QFETCH(QString, makeDirectory);
    QFETCH(QString, existingFile);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(target);
    if (!makeDirectory.isEmpty())
        QVERIFY(QDir(dir.path()).mkdir(makeDirectory));
    if (!existingFile.isEmpty())
        QVERIFY(kovatest::WriteFile(dir.filePath(existingFile), "old"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                          | QDir::Hidden);

    QString error;
    QVERIFY(!WriteFileAtomically(path, "new bytes", OwnerOnly, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(QStringLiteral("target.dat")), qPrintable(error));

    // Nothing was added or taken away, and what was there is unchanged.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             before);
    if (!existingFile.isEmpty())
        QCOMPARE(kovatest::ReadFile(dir.filePath(existingFile)), QByteArray("old"));
    if (!makeDirectory.isEmpty())
        QVERIFY(QFileInfo(dir.filePath(makeDirectory)).isDir());
}

void TestAtomicFile::failureWithoutErrorText()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("missing/target.dat"));
    QVERIFY(!WriteFileAtomically(path, "x", OwnerOnly, nullptr));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_AtomicFile.moc"
