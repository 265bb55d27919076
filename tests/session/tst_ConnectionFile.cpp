// label: core
#include "session/ConnectionBook.h"
#include "session/ConnectionFile.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using Records = QList<ConnectionRecord>;

// Found by QCOMPARE through argument-dependent lookup.
char* toString(const ConnectionRecord& record)
{
    return QTest::toString(QStringLiteral("{\"%1\", \"%2\", \"%3\"}")
                               .arg(record.service, record.user, record.password));
}

namespace {

// Code page 932 bytes of the names used below.
const QByteArray Tokyo("\x93\x8c\x8b\x9e");   // 東京
const QByteArray Yamada("\x8e\x52\x93\x63");  // 山田
const QByteArray Pasu("\x83\x70\x83\x58");    // パス
const QByteArray HiraganaA("\x82\xa0");       // あ

ConnectionRecord C(const char* service, const char* user, const char* password)
{
    return {QString::fromUtf8(service), QString::fromUtf8(user), QString::fromUtf8(password)};
}

// `bytes` followed by blanks up to 20 bytes.
QByteArray Padded(const QByteArray& bytes)
{
    Q_ASSERT(bytes.size() <= 20);
    return bytes + QByteArray(20 - bytes.size(), ' ');
}

QByteArray FileRecord(const QByteArray& service, const QByteArray& user, const QByteArray& password)
{
    return Padded(service) + Padded(user) + Padded(password);
}

// The file for records of plain ASCII names.
QByteArray AsciiFile(const Records& records)
{
    QByteArray bytes;
    for (const ConnectionRecord& r : records)
        bytes += FileRecord(r.service.toLatin1(), r.user.toLatin1(), r.password.toLatin1());
    return bytes;
}

// Records "S01"/"U01"/"P01", "S02"/... numbered from `first` to `last`.
Records Numbered(int first, int last)
{
    Records records;
    for (int i = first; i <= last; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        records.append({QLatin1Char('S') + n, QLatin1Char('U') + n, QLatin1Char('P') + n});
    }
    return records;
}

int ModeBits(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace

class TestConnectionFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    // The file
    void encodeField_data();
    void encodeField();
    void read_data();
    void read();
    void readMissingFile();
    void readUnreadableFile();
    void write();
    void writeNoRecords();

    // The saved-connection list
    void saveWithoutAdd_data();
    void saveWithoutAdd();
    void addLoginToList_data();
    void addLoginToList();
    void listLines_data();
    void listLines();
    void listRecord();
    void loginTexts_data();
    void loginTexts();
    void japaneseNamesInFile();

private:
    QString filePath() const { return m_dir.filePath(QStringLiteral("KovaData.dat")); }

    QTemporaryDir m_dir;
};

void TestConnectionFile::init()
{
    basKovaData::ResetForTests();
    QVERIFY(m_dir.isValid());
    QFile::remove(filePath());
}

void TestConnectionFile::encodeField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("short") << QStringLiteral("ORCL") << QByteArray("ORCL                ");
    QTest::newRow("empty") << QString() << QByteArray("                    ");
    QTest::newRow("exactly 20") << QStringLiteral("ABCDEFGHIJKLMNOPQRST")
                                << QByteArray("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("longer cut") << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")
                                << QByteArray("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("kanji") << QStringLiteral("東京") << Padded(Tokyo);
    QTest::newRow("half-width kana") << QStringLiteral("ｶﾅ") << Padded("\xb6\xc5");
    QTest::newRow("ten kana fill 20 bytes") << QStringLiteral("あ").repeated(10)
                                            << HiraganaA.repeated(10);
    // Byte 20 would be the first half of the tenth あ: it becomes a blank.
    QTest::newRow("cut inside a character")
        << QStringLiteral("A") + QStringLiteral("あ").repeated(10)
        << QByteArray("A") + HiraganaA.repeated(9) + ' ';
    QTest::newRow("19 bytes then kanji") << QStringLiteral("xxxxxxxxxxxxxxxxxxx東")
                                         << QByteArray("xxxxxxxxxxxxxxxxxxx ");
}

void TestConnectionFile::encodeField()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(ConnectionFile::EncodeField(text), expected);
}

void TestConnectionFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Records>("expected");

    const QString bad20(20, QChar::ReplacementCharacter);
    QTest::newRow("empty file") << QByteArray() << Records{};
    QTest::newRow("one record") << FileRecord("ORCL", "scott", "tiger")
                                << Records{C("ORCL", "scott", "tiger")};
    QTest::newRow("order kept")
        << FileRecord("A", "a", "1") + FileRecord("B", "b", "2") + FileRecord("C", "c", "3")
        << Records{C("A", "a", "1"), C("B", "b", "2"), C("C", "c", "3")};
    QTest::newRow("japanese") << FileRecord(Tokyo, Yamada, Pasu)
                              << Records{C("東京", "山田", "パス")};
    QTest::newRow("blanks and NULs at the ends, blank inside kept")
        << Padded(QByteArray("  MY DB\0\0", 9)) + Padded(QByteArray("\0scott", 6))
               + QByteArray(20, '\0')
        << Records{C("MY DB", "scott", "")};
    QTest::newRow("partial record after a full one") << FileRecord("A", "a", "1") + "DEV"
                                                     << Records{C("A", "a", "1"), C("DEV", "", "")};
    QTest::newRow("partial record ending in the user") << Padded("DEV") + "sys"
                                                       << Records{C("DEV", "sys", "")};
    QTest::newRow("50 records, 49 read") << AsciiFile(Numbered(1, 50)) << Numbered(1, 49);
    QTest::newRow("byte that is not code page 932") << FileRecord("AB\xff", "u", "p")
                                                    << Records{C("AB\uFFFD", "u", "p")};
    // The field ends in the first half of a double-byte character.
    QTest::newRow("lone lead byte at field end")
        << QByteArray("ABC                \x82") + Padded("u") + Padded("p")
        << Records{C("ABC", "u", "p")};
    QTest::newRow("all 0xFF bytes") << QByteArray(60, '\xff')
                                    << Records{ConnectionRecord{bad20, bad20, bad20}};
}

void TestConnectionFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Records, expected);

    QVERIFY(kovatest::WriteFile(filePath(), bytes));
    const std::optional<Records> records = ConnectionFile::Read(filePath());
    QVERIFY(records.has_value());
    QCOMPARE(*records, expected);
}

void TestConnectionFile::readMissingFile()
{
    QVERIFY(!ConnectionFile::Read(filePath()).has_value());
}

void TestConnectionFile::readUnreadableFile()
{
    // A directory in the file's place exists but cannot be read as a file.
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("KovaData.dat")));
    const std::optional<Records> records = ConnectionFile::Read(filePath());
    QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("KovaData.dat")));
    QVERIFY(records.has_value());
    QVERIFY(records->isEmpty());
}

void TestConnectionFile::write()
{
    const Records records{C("ORCL", "scott", "tiger"), C("東京", "山田", "パス")};
    QString error;
    QVERIFY2(ConnectionFile::Write(filePath(), records, &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()),
             QByteArray("ORCL                scott               tiger               ")
                 + Tokyo + QByteArray(16, ' ') + Yamada + QByteArray(16, ' ') + Pasu
                 + QByteArray(16, ' '));
    // The file holds passwords.
    QCOMPARE(ModeBits(filePath()), 0600);
}

void TestConnectionFile::writeNoRecords()
{
    QVERIFY(kovatest::WriteFile(filePath(), FileRecord("OLD", "old", "old")));
    QString error;
    QVERIFY2(ConnectionFile::Write(filePath(), {}, &error), qPrintable(error));
    QVERIFY(QFileInfo(filePath()).isFile());
    QCOMPARE(QFileInfo(filePath()).size(), 0);
}

// ---- the saved-connection list ----------------------------------------------

void TestConnectionFile::saveWithoutAdd_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    // Record 1 only counts once a connection has been saved: the file stays
    // empty and the next start shows empty boxes and an empty list.
    QTest::newRow("first run") << false << QByteArray() << QByteArray();
    QTest::newRow("empty file") << true << QByteArray() << QByteArray();
    const QByteArray savedList = FileRecord("DEV", "b", "2") + FileRecord("PROD", "c", "3");
    QTest::newRow("saved list kept") << true << FileRecord("OLD", "a", "1") + savedList
                                     << FileRecord("NEW", "d", "4") + savedList;
}

void TestConnectionFile::saveWithoutAdd()
{
    QFETCH(bool, fileBefore);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    if (fileBefore)
        QVERIFY(kovatest::WriteFile(filePath(), before));
    ConnectionBook book = ConnectionBook::Load(filePath());
    QCOMPARE(book.fileExisted(), fileBefore);
    book.setLogin(QStringLiteral("NEW"), QStringLiteral("d"), QStringLiteral("4"));
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()), after);

    const ConnectionBook next = ConnectionBook::Load(filePath());
    QVERIFY(next.fileExisted());
    QCOMPARE(next.count(), after.size() / 60);
    if (after.isEmpty())
        QCOMPARE(next.record(1), ConnectionRecord{});
}

void TestConnectionFile::addLoginToList_data()
{
    QTest::addColumn<Records>("stored");  // records 1..count in the file; none: no file
    QTest::addColumn<ConnectionRecord>("login");
    QTest::addColumn<int>("result");
    QTest::addColumn<Records>("saved");  // records 1..count written afterwards

    const int added = int(ConnectionBook::AddResult::Added);
    const int already = int(ConnectionBook::AddResult::AlreadySaved);
    const int full = int(ConnectionBook::AddResult::ListFull);
    const ConnectionRecord old = C("ORCL", "scott", "old");
    const ConnectionRecord x = C("X", "x", "x");

    // The last login and the first saved connection: two identical records.
    QTest::newRow("first run, no file")
        << Records{} << C("ORCL", "scott", "pw") << added
        << Records{C("ORCL", "scott", "pw"), C("ORCL", "scott", "pw")};
    // The saved entry keeps its password; only the last login has the new one.
    QTest::newRow("known, new password")
        << Records{old, old} << C("ORCL", "scott", "new") << already
        << Records{C("ORCL", "scott", "new"), old};
    QTest::newRow("known, blanks around the names")
        << Records{old, old} << C(" ORCL ", "scott  ", "new") << already
        << Records{C(" ORCL ", "scott  ", "new"), old};
    QTest::newRow("same service, other user")
        << Records{old, old} << C("ORCL", "system", "m") << added
        << Records{C("ORCL", "system", "m"), old, C("ORCL", "system", "m")};
    QTest::newRow("same user, other service")
        << Records{old, old} << C("DEV", "scott", "d") << added
        << Records{C("DEV", "scott", "d"), old, C("DEV", "scott", "d")};
    // Record 1 is the last login, not a saved connection.
    QTest::newRow("only the last login stored")
        << Records{old} << C("ORCL", "scott", "new") << added
        << Records{C("ORCL", "scott", "new"), C("ORCL", "scott", "new")};
    QTest::newRow("48 records, one more fits") << Numbered(1, 48) << x << added
                                               << Records{x} + Numbered(2, 48) + Records{x};
    QTest::newRow("49 records, list full") << Numbered(1, 49) << x << full
                                           << Records{x} + Numbered(2, 49);
    QTest::newRow("49 records, known entry")
        << Numbered(1, 49) << C("S49", "U49", "new") << already
        << Records{C("S49", "U49", "new")} + Numbered(2, 49);
}

void TestConnectionFile::addLoginToList()
{
    QFETCH(Records, stored);
    QFETCH(ConnectionRecord, login);
    QFETCH(int, result);
    QFETCH(Records, saved);

    if (!stored.isEmpty())
        QVERIFY(kovatest::WriteFile(filePath(), AsciiFile(stored)));
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(login.service, login.user, login.password);
    QCOMPARE(int(book.addLoginToList()), result);
    QCOMPARE(book.count(), saved.size());
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()), AsciiFile(saved));
}

void TestConnectionFile::listLines_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("line");

    const auto row = [](const char* name, const char* service, const char* user, const char* line) {
        QTest::newRow(name) << QString::fromUtf8(service) << QString::fromUtf8(user)
                            << QString::fromUtf8(line);
    };
    row("short", "ORCL", "scott", "ORCL        scott");
    row("exactly 10", "ABCDEFGHIJ", "u", "ABCDEFGHIJ  u");
    row("longer cut to 10", "LONGSERVICENAME", "u", "LONGSERVIC  u");
    row("blanks around", "  DEV  ", " sys ", "DEV         sys");
    // Characters, not bytes.
    row("japanese", "東京本社", "山田", "東京本社        山田");
    row("japanese cut to 10", "東京都千代田区本社営業部", "山田",
        "東京都千代田区本社営  山田");
}

void TestConnectionFile::listLines()
{
    QFETCH(QString, service);
    QFETCH(QString, user);
    QFETCH(QString, line);

    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(service, user, QStringLiteral("secret"));
    QCOMPARE(book.addLoginToList(), ConnectionBook::AddResult::Added);
    QCOMPARE(book.listLines(), QStringList{line});
}

void TestConnectionFile::listRecord()
{
    QVERIFY(kovatest::WriteFile(filePath(), FileRecord("LAST", "l", "0")
                                                + FileRecord("DEV", "b", "2")
                                                + FileRecord("PROD", "c", "3")));
    const ConnectionBook book = ConnectionBook::Load(filePath());
    QCOMPARE(book.listLines(),
             (QStringList{QStringLiteral("DEV         b"), QStringLiteral("PROD        c")}));
    QCOMPARE(book.listRecord(0), C("DEV", "b", "2"));
    QCOMPARE(book.listRecord(1), C("PROD", "c", "3"));
    QCOMPARE(book.listRecord(2), ConnectionRecord{});
    QCOMPARE(book.listRecord(-1), ConnectionRecord{});
}

void TestConnectionFile::loginTexts_data()
{
    QTest::addColumn<ConnectionRecord>("typed");
    QTest::addColumn<ConnectionRecord>("record1");
    QTest::addColumn<QString>("sqlPlusLogin");

    QTest::newRow("plain") << C("ORCL", "scott", "tiger") << C("ORCL", "scott", "tiger")
                           << QStringLiteral("scott/tiger@ORCL");
    QTest::newRow("blanks kept in the record, not in the login")
        << C(" ORCL", "  scott ", "tiger ") << C(" ORCL", "  scott ", "tiger ")
        << QStringLiteral("scott/tiger@ORCL");
    QTest::newRow("cut to 20 characters")
        << C("ABCDEFGHIJKLMNOPQRSTUVWXY", "u", "p2345678901234567890xyz")
        << C("ABCDEFGHIJKLMNOPQRST", "u", "p2345678901234567890")
        << QStringLiteral("u/p2345678901234567890@ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("japanese cut to 20 characters")
        << C("東京", "山田太郎山田太郎山田太郎山田太郎山田太郎山田", "パス")
        << C("東京", "山田太郎山田太郎山田太郎山田太郎山田太郎", "パス")
        << QStringLiteral("山田太郎山田太郎山田太郎山田太郎山田太郎/パス@東京");
}

void TestConnectionFile::loginTexts()
{
    QFETCH(ConnectionRecord, typed);
    QFETCH(ConnectionRecord, record1);
    QFETCH(QString, sqlPlusLogin);

    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(typed.service, typed.user, typed.password);
    QCOMPARE(book.record(1), record1);
    QCOMPARE(book.sqlPlusLogin(), sqlPlusLogin);
    QCOMPARE(book.count(), 0);
}

void TestConnectionFile::japaneseNamesInFile()
{
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(QStringLiteral("東京"), QStringLiteral("山田"), QStringLiteral("パス"));
    QCOMPARE(book.addLoginToList(), ConnectionBook::AddResult::Added);
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()), FileRecord(Tokyo, Yamada, Pasu).repeated(2));

    const ConnectionBook next = ConnectionBook::Load(filePath());
    QVERIFY(next.fileExisted());
    QCOMPARE(next.count(), 2);
    QCOMPARE(next.listLines(), QStringList{QStringLiteral("東京          山田")});
    QCOMPARE(next.listRecord(0), C("東京", "山田", "パス"));
}

QTEST_GUILESS_MAIN(TestConnectionFile)
#include "tst_ConnectionFile.moc"
