// label: core
#include "session/Options.h"
#include "session/OptionsFile.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// Code page 932 bytes of "/ホーム/テスト/kova-sqlplus".
const QByteArray JapanesePathBytes =
    QByteArray("/\x83\x7a\x81\x5b\x83\x80/\x83\x65\x83\x58\x83\x67/kova-sqlplus");
const QByteArray Reserved(132, '\0');

QByteArray Padded(const QByteArray& bytes, int width = 100)
{
    Q_ASSERT(bytes.size() <= width);
    return bytes + QByteArray(width - bytes.size(), ' ');
}

QString Blanks(int count = 100)
{
    return QString(count, QLatin1Char(' '));
}

QString Path100(const QString& text)
{
    return text.leftJustified(100, QLatin1Char(' '));
}

int ModeBits(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace

class TestOptionsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void write_data();
    void write();
    void read_data();
    void read();
    void readMissingFile();

    void loadWithoutFile();
    void loadStoredRows_data();
    void loadStoredRows();
    void saveThenLoad_data();
    void saveThenLoad();
    void saveFailure();

private:
    QString filePath() const { return m_dir.filePath(QStringLiteral("KovaOpt.dat")); }

    QTemporaryDir m_dir;
};

void TestOptionsFile::init()
{
    basKovaData::ResetForTests();
    QVERIFY(m_dir.isValid());
    QFile::remove(filePath());
    basKovaData::AppDirectory = m_dir.path() + QLatin1Char('/');
}

void TestOptionsFile::write_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ordinary") << 1000 << Path100(QStringLiteral("/opt/kova/kova-sqlplus"))
                              << QByteArray("\xe8\x03\x00\x00", 4)
                                     + Padded("/opt/kova/kova-sqlplus") + Reserved;
    QTest::newRow("negative rows") << -5 << Blanks()
                                   << QByteArray("\xfb\xff\xff\xff") + Padded("") + Reserved;
    QTest::newRow("rows above 16 bits") << 40000 << Blanks()
                                        << QByteArray("\x40\x9c\x00\x00", 4) + Padded("")
                                               + Reserved;
    QTest::newRow("japanese path")
        << 300 << Path100(QStringLiteral("/ホーム/テスト/kova-sqlplus"))
        << QByteArray("\x2c\x01\x00\x00", 4) + Padded(JapanesePathBytes) + Reserved;
    // 121 bytes: the 50th あ would be cut in two, so its first byte is a blank.
    QTest::newRow("japanese path too long")
        << 1 << Path100(QStringLiteral("A") + QStringLiteral("あ").repeated(60))
        << QByteArray("\x01\x00\x00\x00", 4) + "A" + QByteArray("\x82\xa0").repeated(49) + " "
               + Reserved;
}

void TestOptionsFile::write()
{
    QFETCH(int, rows);
    QFETCH(QString, path);
    QFETCH(QByteArray, expected);

    QString error;
    QVERIFY2(OptionsFile::Write(filePath(), {rows, path}, &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()).toHex(' '), expected.toHex(' '));
    QCOMPARE(ModeBits(filePath()), 0644);
}

void TestOptionsFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("path");

    const QByteArray rows1000("\xe8\x03\x00\x00", 4);
    QTest::newRow("whole record")
        << rows1000 + Padded("/usr/bin/kova-sqlplus") + Reserved << 1000
        << Path100(QStringLiteral("/usr/bin/kova-sqlplus"));
    QTest::newRow("reserved bytes ignored")
        << rows1000 + Padded("/x") + QByteArray(132, 'Z') << 1000 << Path100(QStringLiteral("/x"));
    QTest::newRow("longer file, only the record read")
        << rows1000 + Padded("/x") + Reserved + "/more" << 1000 << Path100(QStringLiteral("/x"));
    QTest::newRow("japanese path")
        << QByteArray("\xff\xff\xff\xff") + Padded(JapanesePathBytes) + Reserved << -1
        << Path100(QStringLiteral("/ホーム/テスト/kova-sqlplus"));
    QTest::newRow("NULs in the path") << rows1000 + QByteArray("/bin/x") + QByteArray(94, '\0')
                                      << 1000 << Path100(QStringLiteral("/bin/x"));
    QTest::newRow("empty file") << QByteArray() << 0 << Blanks();
    QTest::newRow("2 bytes") << QByteArray("\xe8\x03") << 0 << Blanks();
    QTest::newRow("4 bytes") << rows1000 << 1000 << Blanks();
    QTest::newRow("50 bytes") << rows1000 + QByteArray("/a/b") + QByteArray(42, 'x') << 1000
                              << Path100(QStringLiteral("/a/b") + QString(42, QLatin1Char('x')));
    // The file ends after the first half of a double-byte character.
    QTest::newRow("cut in a character") << rows1000 + QByteArray("A\x82") << 1000
                                        << Path100(QStringLiteral("A"));
    QTest::newRow("all 0xFF") << QByteArray(236, '\xff') << -1
                              << QString(100, QChar::ReplacementCharacter);
}

void TestOptionsFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(QString, path);

    QVERIFY(kovatest::WriteFile(filePath(), bytes));
    const std::optional<OptionsFile::OptionsRecord> record = OptionsFile::Read(filePath());
    QVERIFY(record.has_value());
    QCOMPARE(record->maxDisplayRows, rows);
    QCOMPARE(record->sqlPlusPath, path);
}

void TestOptionsFile::readMissingFile()
{
    QVERIFY(!OptionsFile::Read(filePath()).has_value());
}

void TestOptionsFile::loadWithoutFile()
{
    basKovaData::MaxDisplayRows = 7;
    basKovaData::LoadOptions();
    QCOMPARE(basKovaData::MaxDisplayRows, 300);
    QCOMPARE(basKovaData::SqlPlusPath, Path100(m_dir.path() + QStringLiteral("/kova-sqlplus")));
    QVERIFY(!QFileInfo::exists(filePath()));
}

void TestOptionsFile::loadStoredRows_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("rows");

    QTest::newRow("0") << QByteArray("\x00\x00\x00\x00", 4) << 300;
    QTest::newRow("-5") << QByteArray("\xfb\xff\xff\xff") << 300;
    QTest::newRow("lowest 32-bit") << QByteArray("\x00\x00\x00\x80", 4) << 300;
    QTest::newRow("1") << QByteArray("\x01\x00\x00\x00", 4) << 1;
    QTest::newRow("1000") << QByteArray("\xe8\x03\x00\x00", 4) << 1000;
    QTest::newRow("32767") << QByteArray("\xff\x7f\x00\x00", 4) << 32767;
    QTest::newRow("32768") << QByteArray("\x00\x80\x00\x00", 4) << 32767;
    QTest::newRow("40000") << QByteArray("\x40\x9c\x00\x00", 4) << 32767;
    // Its low 16 bits alone would read as 5.
    QTest::newRow("65541") << QByteArray("\x05\x00\x01\x00", 4) << 32767;
    QTest::newRow("highest 32-bit") << QByteArray("\xff\xff\xff\x7f") << 32767;
}

void TestOptionsFile::loadStoredRows()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, rows);

    QVERIFY(kovatest::WriteFile(filePath(), stored + Padded("/usr/bin/x") + Reserved));
    basKovaData::LoadOptions();
    QCOMPARE(basKovaData::MaxDisplayRows, rows);
    QCOMPARE(basKovaData::SqlPlusPath, Path100(QStringLiteral("/usr/bin/x")));
}

void TestOptionsFile::saveThenLoad_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("path");

    QTest::newRow("1000, blanks around the path")
        << 1000 << QStringLiteral("  /usr/local/bin/kova-sqlplus  ")
        << QByteArray("\xe8\x03\x00\x00", 4) + Padded("/usr/local/bin/kova-sqlplus") + Reserved
        << Path100(QStringLiteral("/usr/local/bin/kova-sqlplus"));
    // A blank path stays blank: the default is not put back.
    QTest::newRow("path of blanks") << 300 << QStringLiteral("      ")
                                    << QByteArray("\x2c\x01\x00\x00", 4) + Padded("") + Reserved
                                    << Blanks();
    QTest::newRow("japanese path")
        << 32767 << QStringLiteral("/ホーム/テスト/kova-sqlplus")
        << QByteArray("\xff\x7f\x00\x00", 4) + Padded(JapanesePathBytes) + Reserved
        << Path100(QStringLiteral("/ホーム/テスト/kova-sqlplus"));
}

void TestOptionsFile::saveThenLoad()
{
    QFETCH(int, rows);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, path);

    QString error;
    QVERIFY2(basKovaData::SaveOptions(static_cast<qint16>(rows), text, &error), qPrintable(error));
    QCOMPARE(basKovaData::MaxDisplayRows, rows);
    QCOMPARE(basKovaData::SqlPlusPath, path);
    QCOMPARE(kovatest::ReadFile(filePath()).toHex(' '), bytes.toHex(' '));

    const QString directory = basKovaData::AppDirectory;
    basKovaData::ResetForTests();
    basKovaData::AppDirectory = directory;
    basKovaData::LoadOptions();
    QCOMPARE(basKovaData::MaxDisplayRows, rows);
    QCOMPARE(basKovaData::SqlPlusPath, path);
}

void TestOptionsFile::saveFailure()
{
    basKovaData::AppDirectory = m_dir.path() + QStringLiteral("/missing/");
    QString error;
    QVERIFY(!basKovaData::SaveOptions(1000, QStringLiteral("/x"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFileInfo::exists(m_dir.path() + QStringLiteral("/missing")));
}

QTEST_GUILESS_MAIN(TestOptionsFile)
#include "tst_OptionsFile.moc"
