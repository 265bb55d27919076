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
const QByteArray Tokyo("\x93\x8c\x8b\x9e");        // 東京
const QByteArray Yamada("\x8e\x52\x93\x63");       // 山田
const QByteArray Pasu("\x83\x70\x83\x58");         // パス
const QByteArray HiraganaA("\x82\xa0");            // あ
const QByteArray HalfWidthKana("\xb6\xc5");        // ｶﾅ

// `bytes` followed by blanks up to `width` bytes.
QByteArray Padded(const QByteArray& bytes, int width = 20)
{
    Q_ASSERT(bytes.size() <= width);
    return bytes + QByteArray(width - bytes.size(), ' ');
}

QByteArray Record(const QByteArray& service, const QByteArray& user, const QByteArray& password)
{
    return Padded(service) + Padded(user) + Padded(password);
}

// The file for records of plain ASCII names.
QByteArray AsciiFile(const Records& records)
{
    QByteArray bytes;
    for (const ConnectionRecord& r : records)
        bytes += Record(r.service.toLatin1(), r.user.toLatin1(), r.password.toLatin1());
    return bytes;
}

// Records "S01"/"U01"/"P01", "S02"/... numbered from `first` to `last`.
Records Numbered(int first, int last)
{
    Records records;
    for (int i = first; i <= last; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        records.append({QStringLiteral("S") + n, QStringLiteral("U") + n, QStringLiteral("P") + n});
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
    void writeBytes();
    void writeNoRecords();
    void writeThenRead_data();
    void writeThenRead();

    // The saved-connection list
    void firstRunWithAdd();
    void firstRunWithoutAdd();
    void loginWithoutAddKeepsList();
    void addLoginToList_data();
    void addLoginToList();
    void listLines_data();
    void listLines();
    void listRecord();
    void setLoginCutsNames();
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
    QTest::newRow("half-width kana") << QStringLiteral("ｶﾅ") << Padded(HalfWidthKana);
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

    QTest::newRow("empty file") << QByteArray() << Records{};
    QTest::newRow("one record") << Record("ORCL", "scott", "tiger")
                                << Records{{QStringLiteral("ORCL"), QStringLiteral("scott"),
                                            QStringLiteral("tiger")}};
    QTest::newRow("order kept")
        << Record("A", "a", "1") + Record("B", "b", "2") + Record("C", "c", "3")
        << Records{{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("1")},
                   {QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("2")},
                   {QStringLiteral("C"), QStringLiteral("c"), QStringLiteral("3")}};
    QTest::newRow("japanese") << Record(Tokyo, Yamada, Pasu)
                              << Records{{QStringLiteral("東京"), QStringLiteral("山田"),
                                          QStringLiteral("パス")}};
    QTest::newRow("blanks and NULs at the ends, blank inside kept")
        << Padded(QByteArray("  MY DB\0\0", 9), 20) + Padded(QByteArray("\0scott", 6))
               + QByteArray(20, '\0')
        << Records{{QStringLiteral("MY DB"), QStringLiteral("scott"), QString()}};
    QTest::newRow("partial record after a full one")
        << Record("A", "a", "1") + QByteArray("DEV")
        << Records{{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("1")},
                   {QStringLiteral("DEV"), QString(), QString()}};
    QTest::newRow("partial record ending in the user") << Padded("DEV") + QByteArray("sys")
                                                       << Records{{QStringLiteral("DEV"),
                                                                   QStringLiteral("sys"),
                                                                   QString()}};
    QTest::newRow("50 records, 49 read") << AsciiFile(Numbered(1, 50)) << Numbered(1, 49);
    QTest::newRow("byte that is not code page 932")
        << Record("AB\xff", "u", "p")
        << Records{{QStringLiteral("AB\uFFFD"), QStringLiteral("u"), QStringLiteral("p")}};
    // The field ends in the first half of a double-byte character.
    QTest::newRow("lone lead byte at field end")
        << QByteArray("ABC                \x82") + Padded("u") + Padded("p")
        << Records{{QStringLiteral("ABC"), QStringLiteral("u"), QStringLiteral("p")}};
    QTest::newRow("all 0xFF bytes") << QByteArray(60, '\xff')
                                    << Records{{QString(20, QChar::ReplacementCharacter),
                                                QString(20, QChar::ReplacementCharacter),
                                                QString(20, QChar::ReplacementCharacter)}};
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

void TestConnectionFile::writeBytes()
{
    const Records records{
        {QStringLiteral("ORCL"), QStringLiteral("scott"), QStringLiteral("tiger")},
        {QStringLiteral("東京"), QStringLiteral("山田"), QStringLiteral("パス")}};
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
    QVERIFY(kovatest::WriteFile(filePath(), Record("OLD", "old", "old")));
    QString error;
    QVERIFY2(ConnectionFile::Write(filePath(), {}, &error), qPrintable(error));
    QVERIFY(QFileInfo(filePath()).isFile());
    QCOMPARE(QFileInfo(filePath()).size(), 0);
}

void TestConnectionFile::writeThenRead_data()
{
    QTest::addColumn<ConnectionRecord>("written");
    QTest::addColumn<ConnectionRecord>("readBack");

    QTest::newRow("ascii cut at 20")
        << ConnectionRecord{QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"), QStringLiteral("u"),
                            QStringLiteral("p")}
        << ConnectionRecord{QStringLiteral("ABCDEFGHIJKLMNOPQRST"), QStringLiteral("u"),
                            QStringLiteral("p")};
    QTest::newRow("kana cut without half a character")
        << ConnectionRecord{QStringLiteral("A") + QStringLiteral("あ").repeated(10),
                            QStringLiteral("山田"), QStringLiteral("pw")}
        << ConnectionRecord{QStringLiteral("A") + QStringLiteral("あ").repeated(9),
                            QStringLiteral("山田"), QStringLiteral("pw")};
    QTest::newRow("surrounding blanks dropped")
        << ConnectionRecord{QStringLiteral(" ORCL "), QStringLiteral("scott  "), QString()}
        << ConnectionRecord{QStringLiteral("ORCL"), QStringLiteral("scott"), QString()};
}

void TestConnectionFile::writeThenRead()
{
    QFETCH(ConnectionRecord, written);
    QFETCH(ConnectionRecord, readBack);

    QString error;
    QVERIFY2(ConnectionFile::Write(filePath(), {written}, &error), qPrintable(error));
    QCOMPARE(QFileInfo(filePath()).size(), 60);
    const std::optional<Records> records = ConnectionFile::Read(filePath());
    QVERIFY(records.has_value());
    QCOMPARE(*records, Records{readBack});
}

// ---- the saved-connection list ----------------------------------------------

void TestConnectionFile::firstRunWithAdd()
{
    ConnectionBook book = ConnectionBook::Load(filePath());
    QVERIFY(!book.fileExisted());
    QCOMPARE(book.count(), 0);

    book.setLogin(QStringLiteral("ORCL"), QStringLiteral("scott"), QStringLiteral("tiger"));
    QCOMPARE(book.connectText(), QStringLiteral("scott/tiger"));
    QCOMPARE(book.sqlPlusLogin(), QStringLiteral("scott/tiger@ORCL"));
    QCOMPARE(book.addLoginToList(), ConnectionBook::AddResult::Added);
    QCOMPARE(book.count(), 2);
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    // The last login and the first saved connection.
    QCOMPARE(kovatest::ReadFile(filePath()),
             Record("ORCL", "scott", "tiger") + Record("ORCL", "scott", "tiger"));

    const ConnectionBook next = ConnectionBook::Load(filePath());
    QVERIFY(next.fileExisted());
    QCOMPARE(next.count(), 2);
    QCOMPARE(next.listLines(), QStringList{QStringLiteral("ORCL        scott")});
}

void TestConnectionFile::firstRunWithoutAdd()
{
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(QStringLiteral("ORCL"), QStringLiteral("scott"), QStringLiteral("tiger"));
    QCOMPARE(book.count(), 0);
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QVERIFY(QFileInfo(filePath()).isFile());
    QCOMPARE(QFileInfo(filePath()).size(), 0);

    const ConnectionBook next = ConnectionBook::Load(filePath());
    QVERIFY(next.fileExisted());
    QCOMPARE(next.count(), 0);
    QVERIFY(next.listLines().isEmpty());
    QCOMPARE(next.record(1), ConnectionRecord{});
}

void TestConnectionFile::loginWithoutAddKeepsList()
{
    QVERIFY(kovatest::WriteFile(filePath(), Record("OLD", "a", "1") + Record("DEV", "b", "2")
                                                + Record("PROD", "c", "3")));
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(QStringLiteral("NEW"), QStringLiteral("d"), QStringLiteral("4"));
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()),
             Record("NEW", "d", "4") + Record("DEV", "b", "2") + Record("PROD", "c", "3"));
}

void TestConnectionFile::addLoginToList_data()
{
    QTest::addColumn<Records>("stored");  // records 1..count in the file, none: no file
    QTest::addColumn<ConnectionRecord>("login");
    QTest::addColumn<int>("result");
    QTest::addColumn<Records>("saved");  // records 1..count written afterwards

    using R = ConnectionRecord;
    const auto s = [](const char* text) { return QString::fromLatin1(text); };
    const int added = int(ConnectionBook::AddResult::Added);
    const int already = int(ConnectionBook::AddResult::AlreadySaved);
    const int full = int(ConnectionBook::AddResult::ListFull);
    const R scottOld{s("ORCL"), s("scott"), s("old")};

    QTest::newRow("no records") << Records{} << R{s("ORCL"), s("scott"), s("pw")} << added
                                << Records{{s("ORCL"), s("scott"), s("pw")},
                                           {s("ORCL"), s("scott"), s("pw")}};
    // The saved entry keeps its password; only the last login has the new one.
    QTest::newRow("known, new password")
        << Records{scottOld, scottOld} << R{s("ORCL"), s("scott"), s("new")} << already
        << Records{{s("ORCL"), s("scott"), s("new")}, scottOld};
    QTest::newRow("known, blanks around the names")
        << Records{scottOld, scottOld} << R{s(" ORCL "), s("scott  "), s("new")} << already
        << Records{{s(" ORCL "), s("scott  "), s("new")}, scottOld};
    QTest::newRow("same service, other user")
        << Records{scottOld, scottOld} << R{s("ORCL"), s("system"), s("m")} << added
        << Records{{s("ORCL"), s("system"), s("m")}, scottOld, {s("ORCL"), s("system"), s("m")}};
    QTest::newRow("same user, other service")
        << Records{scottOld, scottOld} << R{s("DEV"), s("scott"), s("d")} << added
        << Records{{s("DEV"), s("scott"), s("d")}, scottOld, {s("DEV"), s("scott"), s("d")}};
    // Record 1 is the last login, not a saved connection.
    QTest::newRow("only the last login stored")
        << Records{scottOld} << R{s("ORCL"), s("scott"), s("new")} << added
        << Records{{s("ORCL"), s("scott"), s("new")}, {s("ORCL"), s("scott"), s("new")}};
    QTest::newRow("48 records, one more fits")
        << Numbered(1, 48) << R{s("X"), s("x"), s("x")} << added
        << Records{{s("X"), s("x"), s("x")}} + Numbered(2, 48) + Records{{s("X"), s("x"), s("x")}};
    QTest::newRow("49 records, list full")
        << Numbered(1, 49) << R{s("X"), s("x"), s("x")} << full
        << Records{{s("X"), s("x"), s("x")}} + Numbered(2, 49);
    QTest::newRow("49 records, known entry")
        << Numbered(1, 49) << R{s("S49"), s("U49"), s("new")} << already
        << Records{{s("S49"), s("U49"), s("new")}} + Numbered(2, 49);
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

    QTest::newRow("short") << QStringLiteral("ORCL") << QStringLiteral("scott")
                           << QStringLiteral("ORCL        scott");
    QTest::newRow("exactly 10") << QStringLiteral("ABCDEFGHIJ") << QStringLiteral("u")
                                << QStringLiteral("ABCDEFGHIJ  u");
    QTest::newRow("longer cut to 10") << QStringLiteral("LONGSERVICENAME") << QStringLiteral("u")
                                      << QStringLiteral("LONGSERVIC  u");
    QTest::newRow("blanks around") << QStringLiteral("  DEV  ") << QStringLiteral(" sys ")
                                   << QStringLiteral("DEV         sys");
    // Characters, not bytes.
    QTest::newRow("japanese") << QStringLiteral("東京本社") << QStringLiteral("山田")
                              << QStringLiteral("東京本社        山田");
    QTest::newRow("japanese cut to 10")
        << QStringLiteral("東京都千代田区本社営業部") << QStringLiteral("山田")
        << QStringLiteral("東京都千代田区本社営  山田");
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
    QVERIFY(kovatest::WriteFile(filePath(), Record("LAST", "l", "0") + Record("DEV", "b", "2")
                                                + Record("PROD", "c", "3")));
    const ConnectionBook book = ConnectionBook::Load(filePath());
    QCOMPARE(book.listLines(), (QStringList{QStringLiteral("DEV         b"),
                                            QStringLiteral("PROD        c")}));
    QCOMPARE(book.listRecord(0),
             (ConnectionRecord{QStringLiteral("DEV"), QStringLiteral("b"), QStringLiteral("2")}));
    QCOMPARE(book.listRecord(1),
             (ConnectionRecord{QStringLiteral("PROD"), QStringLiteral("c"), QStringLiteral("3")}));
    QCOMPARE(book.listRecord(2), ConnectionRecord{});
    QCOMPARE(book.listRecord(-1), ConnectionRecord{});
}

void TestConnectionFile::setLoginCutsNames()
{
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"), QStringLiteral("  scott "),
                  QStringLiteral("p2345678901234567890xyz"));
    QCOMPARE(book.record(1), (ConnectionRecord{QStringLiteral("ABCDEFGHIJKLMNOPQRST"),
                                               QStringLiteral("  scott "),
                                               QStringLiteral("p2345678901234567890")}));
    QCOMPARE(book.sqlPlusLogin(),
             QStringLiteral("scott/p2345678901234567890@ABCDEFGHIJKLMNOPQRST"));
}

void TestConnectionFile::japaneseNamesInFile()
{
    ConnectionBook book = ConnectionBook::Load(filePath());
    book.setLogin(QStringLiteral("東京"), QStringLiteral("山田"), QStringLiteral("パス"));
    QCOMPARE(book.addLoginToList(), ConnectionBook::AddResult::Added);
    QString error;
    QVERIFY2(book.save(filePath(), &error), qPrintable(error));
    QCOMPARE(kovatest::ReadFile(filePath()), Record(Tokyo, Yamada, Pasu).repeated(2));

    const ConnectionBook next = ConnectionBook::Load(filePath());
    QCOMPARE(next.listLines(), QStringList{QStringLiteral("東京          山田")});
    QCOMPARE(next.listRecord(0), (ConnectionRecord{QStringLiteral("東京"), QStringLiteral("山田"),
                                                   QStringLiteral("パス")}));
}

QTEST_GUILESS_MAIN(TestConnectionFile)
#include "tst_ConnectionFile.moc"
