// label: core
// Where the program keeps its files and how it writes them: the program directory, atomic
// replacement, the connection file with the saved-connection list, and the options file.
#include "session/AppPaths.h"
#include "session/AtomicFile.h"
#include "session/ConnectionBook.h"
#include "session/LoginArgument.h"
#include "session/Options.h"
#include "support/SessionSupport.h"
#include "support/TestSupport.h"

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions Ordinary = OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;

const QByteArray HiraganaA("\x82\xa0");  // あ in code page 932
const QString JapanesePath = u"/ホーム/テスト/kova-sqlplus"_s;
const QByteArray JapanesePathBytes("/\x83\x7a\x81\x5b\x83\x80/\x83\x65\x83\x58\x83\x67/kova-sqlplus");

QByteArray FileRecord(const QByteArray& service, const QByteArray& user, const QByteArray& password)
{
    return Padded(service) + Padded(user) + Padded(password);
}

// An options file: the row count (4 bytes, little-endian), the path (100, blank-padded), 132 zero bytes.
QByteArray OptionsBytes(const char* rows, const QByteArray& path)
{
    return QByteArray(rows, 4) + Padded(path, 100) + QByteArray(132, '\0');
}

constexpr int Writes = 1;  // the records give the bytes
constexpr int Reads = 2;   // the bytes give the records

QString Path100(const QString& text = {})
{
    return text.leftJustified(100, u' ');
}

}  // namespace

class TestSessionFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dataHome;  // stands in for the user's data directory
    QTemporaryDir m_dir;       // the program directory
    QString m_userDirectory;

    QString connectionFile() const { return m_dir.filePath(u"KovaData.dat"_s); }
    QString optionsFile() const { return m_dir.filePath(u"KovaOpt.dat"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        m_userDirectory = basKovaData::UserDataDirectory();
        QVERIFY2(m_userDirectory.startsWith(m_dataHome.path() + u'/'), qPrintable(m_userDirectory));
    }
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::AppDirectory = m_dir.path() + u'/';
        QFile::remove(connectionFile());
        QFile::remove(optionsFile());
    }

    // ---- the program directory ------------------------------------------------

    void appDirectory_data()
    {
        // How the executable directory is made: "dir", "missing", "file" or "system" (a directory the
        // system refuses files in, even to the superuser, whom the permission bits do not stop).
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("suffix");  // appended to the directory's name

        QTest::newRow("writable") << "dir" << "";
        QTest::newRow("two trailing slashes") << "dir" << "//";
        QTest::newRow("missing") << "missing" << "";
        QTest::newRow("a file, not a directory") << "file" << "";
        QTest::newRow("system directory") << "system" << "";
        QTest::newRow("installed, even for root") << "usr" << "";
    }
    void appDirectory()
    {
        QFETCH(QString, kind);
        QFETCH(QString, suffix);
        const bool usable = kind == u"dir"_s;

        QTemporaryDir parent;
        QString directory = parent.filePath(u"bin"_s);
        if (kind == u"dir"_s)
            QVERIFY(QDir().mkdir(directory));
        if (kind == u"file"_s)
            QVERIFY(WriteFile(directory, "not a directory"));
        if (kind == u"system"_s && !QFileInfo(u"/proc/self"_s).isDir())
            QSKIP("No /proc file system here");
        if (kind == u"system"_s)
            directory = u"/proc"_s;
        if (kind == u"usr"_s)
            directory = u"/usr/bin"_s;
        // (The process entries of /proc come and go by themselves.)
        const auto entries = [&] {
            return kind == u"system"_s || kind == u"usr"_s ? QStringList()
                                                           : QDir(directory).entryList(QDir::AllEntries | QDir::Hidden);
        };
        const QStringList before = entries();

        QCOMPARE(basKovaData::ResolveAppDirectory(directory + suffix), (usable ? directory : m_userDirectory) + u'/');
        if (!usable)
            QVERIFY(QFileInfo(m_userDirectory).isDir());
        // The write check leaves nothing behind and creates no missing directory.
        QCOMPARE(entries(), before);
        QCOMPARE(QFileInfo::exists(directory), kind != u"missing"_s);
    }

    // An installed program's first start: the user's folder gets the demo
    // database and a connection file naming it, once; a program beside its
    // own files, or a folder already in use, is left alone.
    void userFolderOnFirstStart_data()
    {
        QTest::addColumn<bool>("userFolder");
        QTest::addColumn<bool>("used");       // a connection file is there already
        QTest::addColumn<QString>("console");  // what the console does
        QTest::addColumn<bool>("prepared");
        QTest::newRow("first start") << true << false << u"touch \"${2#demo/demo@}\""_s << true;
        QTest::newRow("console fails") << true << false << u"touch \"${2#demo/demo@}\"; exit 1"_s << false;
        QTest::newRow("used before") << true << true << u"touch \"${2#demo/demo@}\""_s << false;
        QTest::newRow("beside the program") << false << false << u"touch \"${2#demo/demo@}\""_s << false;
    }

    void userFolderOnFirstStart()
    {
        QFETCH(bool, userFolder);
        QFETCH(bool, used);
        QFETCH(QString, console);
        QFETCH(bool, prepared);
        const QString folder = userFolder ? m_userDirectory : m_dir.path();
        QDir().mkpath(folder);
        const QString connections = folder + u"/KovaData.dat"_s;
        const QString demo = folder + u"/demo.db"_s;
        QFile::remove(connections);
        QFile::remove(demo);
        if (used)
            QVERIFY(WriteFile(connections, "mine"));
        basKovaData::AppDirectory = folder + u'/';
        const QString fake = m_dir.filePath(u"fake-sqlplus"_s);
        QVERIFY(WriteFile(fake, (u"#!/bin/sh\n"_s + console + u'\n').toUtf8()));
        QFile(fake).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QString script = m_dir.filePath(u"demo.sql"_s);
        QVERIFY(WriteFile(script, "CREATE TABLE T (A NUMBER);"));

        const bool ok = basKovaData::PrepareUserFolder(fake, script);
        QCOMPARE(ok, prepared || used || !userFolder);
        QCOMPARE(QFileInfo::exists(demo), prepared);
        QCOMPARE(ReadFile(connections), prepared ? FileRecord("demo.db", "demo", "demo") : used ? QByteArray("mine") : QByteArray());
        QFile::remove(connections);
        QFile::remove(demo);
    }

    // The tools' login: the password on the command line, from KOVA_PASSWORD
    // (or the variable named: a second login's), or asked; never nothing.
    void loginArgument_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("environment");  // "-" for not set; "NAME=value" for another variable
        QTest::addColumn<QString>("typed");        // "-" for no terminal
        QTest::addColumn<bool>("target");          // read KOVA_TARGET_PASSWORD
        QTest::addColumn<QString>("result");       // connect@service, or the error's start
        QTest::newRow("given") << u"scott/tiger@db.db"_s << u"env"_s << u"typed"_s << false << u"scott/tiger@db.db"_s;
        QTest::newRow("at in password") << u"scott/p@ss@DSN"_s << u"-"_s << u"-"_s << false << u"scott/p@ss@DSN"_s;
        QTest::newRow("environment") << u"scott@DSN"_s << u"s3cret"_s << u"typed"_s << false << u"scott/s3cret@DSN"_s;
        QTest::newRow("asked") << u"scott@DSN"_s << u"-"_s << u"typed"_s << false << u"scott/typed@DSN"_s;
        QTest::newRow("no terminal") << u"scott@DSN"_s << u"-"_s << u"-"_s << false << u"no password"_s;
        QTest::newRow("no service") << u"scott/tiger@"_s << u"-"_s << u"-"_s << false << u"the login must"_s;
        QTest::newRow("no user") << u"/tiger@DSN"_s << u"-"_s << u"-"_s << false << u"the login names no user"_s;
        QTest::newRow("target's variable") << u"scott@DSN"_s << u"KOVA_TARGET_PASSWORD=t4rget"_s << u"typed"_s << true
                                           << u"scott/t4rget@DSN"_s;
        QTest::newRow("target: not the source's variable")
            << u"scott@DSN"_s << u"s3cret"_s << u"typed"_s << true << u"scott/typed@DSN"_s;
        QTest::newRow("target: no terminal") << u"scott@DSN"_s << u"s3cret"_s << u"-"_s << true
                                             << u"no password: set KOVA_TARGET_PASSWORD"_s;
    }

    void loginArgument()
    {
        QFETCH(QString, text);
        QFETCH(QString, environment);
        QFETCH(QString, typed);
        QFETCH(bool, target);
        QFETCH(QString, result);
        const qsizetype named = environment.indexOf(u'=');
        const QByteArray variable =
            named < 0 ? QByteArray(basKovaData::PasswordVariable) : environment.left(named).toUtf8();
        qunsetenv(basKovaData::PasswordVariable);
        qunsetenv(basKovaData::TargetPasswordVariable);
        if (environment != u"-"_s)
            qputenv(variable.constData(), environment.mid(named + 1).toUtf8());
        const auto prompt = [&typed](const QString&) {
            return typed == u"-"_s ? std::optional<QString>() : std::optional<QString>(typed);
        };
        QString error;
        const auto login = basKovaData::ReadLoginArgument(
            text, &error, prompt, target ? basKovaData::TargetPasswordVariable : basKovaData::PasswordVariable);
        qunsetenv(basKovaData::PasswordVariable);
        qunsetenv(basKovaData::TargetPasswordVariable);
        QCOMPARE(login ? login->connect() + u'@' + login->service : error.left(result.size()), result);
    }

    // ---- replacing a file ---------------------------------------------------

    void writeAtomically_data()
    {
        // What stands in the directory before: "target.dat" holding `old` unless that is empty, and
        // - "stale": a longer target.dat.new open to everybody, left by a crash;
        // - "missing": nothing at all, the directory is missing;
        // - "target dir" or "new dir": a directory named target.dat or target.dat.new.
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");  // asked for, and what the file has; 0: owner only, and the write fails

        QTest::newRow("new file, owner only") << "" << QByteArray() << QByteArray("A\0\xff\x82\xa0 \n", 7) << 0600;
        QTest::newRow("new file, ordinary") << "" << QByteArray() << QByteArray("abc") << 0644;
        QTest::newRow("longer file replaced by shorter") << "" << QByteArray(500, 'x') << QByteArray("short") << 0644;
        QTest::newRow("stale .new file") << "stale" << QByteArray("old") << QByteArray("fresh") << 0600;
        QTest::newRow("directory missing") << "missing" << QByteArray() << QByteArray("new") << 0;
        // The rename cannot put a file in place of a directory.
        QTest::newRow("target is a directory") << "target dir" << QByteArray() << QByteArray("new") << 0;
        // The .new file cannot be created.
        QTest::newRow(".new is a directory") << "new dir" << QByteArray("old") << QByteArray("new") << 0;
    }
    void writeAtomically()
    {
        QFETCH(QString, setUp);
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);

        QTemporaryDir dir;
        const QString path = dir.filePath(setUp == u"missing"_s ? u"missing/target.dat"_s : u"target.dat"_s);
        const QString newPath = path + u".new"_s;
        if (!old.isEmpty())
            QVERIFY(WriteFile(path, old));
        if (setUp == u"stale"_s) {
            QVERIFY(WriteFile(newPath, QByteArray(300, 's')));
            QCOMPARE(::chmod(QFile::encodeName(newPath).constData(), 0666), 0);
        }
        if (setUp.endsWith(u" dir"_s))
            QVERIFY(QDir().mkdir(setUp == u"new dir"_s ? newPath : path));
        const auto entries = [&dir] { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden); };
        const QStringList before = entries();

        // A failure without a place for the error text, too.
        const QFileDevice::Permissions permissions = mode == 0644 ? Ordinary : OwnerOnly;
        if (mode == 0)
            QVERIFY(!basKovaData::WriteFileAtomically(path, bytes, permissions, nullptr));
        // The umask would take the group and others' read bits away on creation.
        QString error;
        const mode_t previous = ::umask(077);
        const bool written = basKovaData::WriteFileAtomically(path, bytes, permissions, &error);
        ::umask(previous);
        QCOMPARE(written, mode != 0);
        if (mode != 0) {
            QCOMPARE(ReadFile(path), bytes);
            QCOMPARE(ModeBits(path), mode);
            QVERIFY(!QFileInfo::exists(newPath));
        } else {
            QVERIFY2(error.contains(u"target.dat"_s), qPrintable(error));
            // Nothing was added or taken away, and what was there is unchanged.
            QCOMPARE(entries(), before);
            QCOMPARE(ReadFile(path), old);
            QCOMPARE(QFileInfo(setUp == u"new dir"_s ? newPath : path).isDir(), setUp.endsWith(u" dir"_s));
        }
    }

    // ---- the connection file --------------------------------------------------

    void connectionFileBytes_data()
    {
        QTest::addColumn<Records>("records");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("ways");  // Writes, Reads or both

        const QString a10 = u"あ"_s.repeated(10);
        QTest::newRow("ascii and japanese") << Records{Rec("ORCL", "scott", "tiger"), Rec("東京", "山田", "パス")}
                                            << FileRecord("ORCL", "scott", "tiger")
                                                   + FileRecord("\x93\x8c\x8b\x9e", "\x8e\x52\x93\x63", "\x83\x70\x83\x58")
                                            << (Writes | Reads);
        QTest::newRow("20 characters kept, more cut")
            << Records{Rec("ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRSTUVWXY", "")}
            << FileRecord("ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", "") << Writes;
        // Byte 20 would be the first half of the tenth あ: it becomes a blank.
        QTest::newRow("double-byte characters") << Records{{a10, u'A' + a10, u"x"_s}}
                                                << FileRecord(HiraganaA.repeated(10), "A" + HiraganaA.repeated(9) + ' ', "x")
                                                << Writes;
        QTest::newRow("blanks and NULs at the ends, blank inside kept")
            << Records{Rec("MY DB", "scott", "")}
            << Padded(QByteArray("  MY DB\0\0", 9)) + Padded(QByteArray("\0scott", 6)) + QByteArray(20, '\0') << Reads;
        QTest::newRow("50 records, 49 read") << Numbered(1, 49) << ConnectionBytes(Numbered(1, 50)) << Reads;
    }
    void connectionFileBytes()
    {
        QFETCH(Records, records);
        QFETCH(QByteArray, bytes);
        QFETCH(int, ways);

        if (ways & Writes) {
            QVERIFY(WriteFile(connectionFile(), FileRecord("OLD", "old", "old").repeated(3)));
            QString error;
            QVERIFY2(ConnectionFile::Write(connectionFile(), records, &error), qPrintable(error));
            QCOMPARE(ReadFile(connectionFile()), bytes);
            QCOMPARE(ModeBits(connectionFile()), 0600);  // the file holds passwords
        }
        if (ways & Reads) {
            QVERIFY(WriteFile(connectionFile(), bytes));
            QCOMPARE(ConnectionFile::Read(connectionFile()), std::optional<Records>(records));
        }
    }

    void addLoginToList_data()
    {
        QTest::addColumn<Records>("stored");  // records 1..count in the file; none: no file
        QTest::addColumn<ConnectionRecord>("login");
        QTest::addColumn<int>("result");      // -1: only the login is set, nothing added
        QTest::addColumn<Records>("saved");   // records 1..count written afterwards

        const int added = int(ConnectionBook::AddResult::Added);
        const int already = int(ConnectionBook::AddResult::AlreadySaved);
        const ConnectionRecord old = Rec("ORCL", "scott", "old");
        const ConnectionRecord x = Rec("X", "x", "x");
        const auto row = [](const char* name, const Records& stored, const ConnectionRecord& login, int result,
                            const Records& saved) { QTest::newRow(name) << stored << login << result << saved; };

        // Record 1 only counts once a connection has been saved: until then the file stays empty.
        row("first run, not added", {}, x, -1, {});
        row("not added, saved list kept", {old, Rec("DEV", "b", "2")}, x, -1, {x, Rec("DEV", "b", "2")});
        // The last login and the first saved connection: two identical records.
        row("first run, added", {}, x, added, {x, x});
        // Record 1 is the last login, not a saved connection.
        row("only the last login stored", {old}, x, added, {x, x});
        // The saved entry keeps its password; only the last login has the new one.
        const ConnectionRecord known = Rec(" ORCL ", "scott  ", "new");
        row("known, blanks around the names", {old, old}, known, already, {known, old});
        const ConnectionRecord otherUser = Rec("ORCL", "system", "m");
        row("same service, other user", {old, old}, otherUser, added, {otherUser, old, otherUser});
        const ConnectionRecord otherService = Rec("DEV", "scott", "d");
        row("same user, other service", {old, old}, otherService, added, {otherService, old, otherService});
        row("48 records, one more fits", Numbered(1, 48), x, added, Records{x} + Numbered(2, 48) + Records{x});
        row("49 records, list full", Numbered(1, 49), x, int(ConnectionBook::AddResult::ListFull),
            Records{x} + Numbered(2, 49));
        const ConnectionRecord last = Rec("S49", "U49", "new");
        row("49 records, known entry", Numbered(1, 49), last, already, Records{last} + Numbered(2, 49));
    }
    void addLoginToList()
    {
        QFETCH(Records, stored);
        QFETCH(ConnectionRecord, login);
        QFETCH(int, result);
        QFETCH(Records, saved);

        if (!stored.isEmpty())
            QVERIFY(WriteFile(connectionFile(), ConnectionBytes(stored)));
        ConnectionBook book = ConnectionBook::Load(connectionFile());
        QCOMPARE(book.fileExisted(), !stored.isEmpty());
        book.setLogin(login.service, login.user, login.password);
        if (result != -1)
            QCOMPARE(int(book.addLoginToList()), result);
        QCOMPARE(book.count(), saved.size());
        QString error;
        QVERIFY2(book.save(connectionFile(), &error), qPrintable(error));
        QCOMPARE(ReadFile(connectionFile()), ConnectionBytes(saved));
    }

    void loginTexts_data()
    {
        QTest::addColumn<ConnectionRecord>("typed");
        QTest::addColumn<ConnectionRecord>("record1");  // each text cut to 20 characters
        QTest::addColumn<QString>("sqlPlusLogin");
        QTest::addColumn<QString>("line");              // in the list once saved

        // Blanks are kept in the record, not in the login or the list.
        QTest::newRow("cut to 20 characters, service to 10 in the list")
            << Rec(" ABCDEFGHIJKLMNOPQRSTUVWXY", "  u ", "p2345678901234567890xyz")
            << Rec(" ABCDEFGHIJKLMNOPQRS", "  u ", "p2345678901234567890")
            << "u/p2345678901234567890@ABCDEFGHIJKLMNOPQRS" << "ABCDEFGHIJ  u";
        // Characters, not bytes.
        QTest::newRow("japanese cut")
            << Rec("東京都千代田区本社営業部", "山田太郎山田太郎山田太郎山田太郎山田太郎山田", "パス")
            << Rec("東京都千代田区本社営業部", "山田太郎山田太郎山田太郎山田太郎山田太郎", "パス")
            << "山田太郎山田太郎山田太郎山田太郎山田太郎/パス@東京都千代田区本社営業部"
            << "東京都千代田区本社営  山田太郎山田太郎山田太郎山田太郎山田太郎";
    }
    void loginTexts()
    {
        QFETCH(ConnectionRecord, typed);
        QFETCH(ConnectionRecord, record1);
        QFETCH(QString, sqlPlusLogin);
        QFETCH(QString, line);

        ConnectionBook book = ConnectionBook::Load(connectionFile());
        book.setLogin(typed.service, typed.user, typed.password);
        QCOMPARE(book.record(1), record1);
        QCOMPARE(book.sqlPlusLogin(), sqlPlusLogin);
        QCOMPARE(book.addLoginToList(), ConnectionBook::AddResult::Added);
        QCOMPARE(book.listLines(), QStringList{line});
        // The line's record, password included; no record for lines not listed.
        QCOMPARE(book.listRecord(0), record1);
        QCOMPARE(book.listRecord(1), ConnectionRecord{});
        QCOMPARE(book.listRecord(-1), ConnectionRecord{});
    }

    // ---- the options file -----------------------------------------------------

    void options_data()
    {
        QTest::addColumn<QString>("text");  // the path saved with the row count; null: the file is only read
        QTest::addColumn<int>("rows");      // saved, and read back: below 1 gives 300, above 32767 gives 32767
        QTest::addColumn<QString>("path");  // read back
        QTest::addColumn<QByteArray>("bytes");  // null: no file

        const QByteArray rows1000("\xe8\x03\x00\x00", 4);
        const QString x = Path100(u"/x"_s);
        const QString none;
        QTest::newRow("blanks around the path") << "  /usr/bin/kova-sqlplus  " << 1000 << Path100(u"/usr/bin/kova-sqlplus"_s)
                                                << OptionsBytes("\xe8\x03\x00\x00", "/usr/bin/kova-sqlplus");
        // A blank path stays blank: the default is not put back.
        QTest::newRow("path of blanks") << "      " << 32767 << Path100() << OptionsBytes("\xff\x7f\x00\x00", "");
        QTest::newRow("japanese path") << JapanesePath << 1 << Path100(JapanesePath)
                                       << OptionsBytes("\x01\x00\x00\x00", JapanesePathBytes);
        // 121 bytes: the 50th あ would be cut in two, so its first byte is a blank.
        QTest::newRow("japanese path too long") << u'A' + u"あ"_s.repeated(60) << 2 << Path100(u'A' + u"あ"_s.repeated(49))
                                                << OptionsBytes("\x02\x00\x00\x00", "A" + HiraganaA.repeated(49) + " ");
        QTest::newRow("NULs in the path") << none << 1000 << x << rows1000 + "/x" + QByteArray(98, '\0');
        // Without a file, the console beside the program.
        QTest::newRow("no file") << none << 300 << Path100(m_dir.filePath(u"kova-sqlplus"_s)) << QByteArray();
        QTest::newRow("0 rows") << none << 300 << x << OptionsBytes("\x00\x00\x00\x00", "/x");
        QTest::newRow("32768 rows") << none << 32767 << x << OptionsBytes("\x00\x80\x00\x00", "/x");
        // Its low 16 bits alone would read as 5.
        QTest::newRow("65541 rows") << none << 32767 << x << OptionsBytes("\x05\x00\x01\x00", "/x");
    }
    void options()
    {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QFETCH(QByteArray, bytes);

        if (text.isNull() && !bytes.isNull()) {
            QVERIFY(WriteFile(optionsFile(), bytes));
        } else if (!text.isNull()) {
            QVERIFY(WriteFile(optionsFile(), QByteArray(300, 'z')));  // replaced
            QString error;
            QVERIFY2(basKovaData::SaveOptions(static_cast<qint16>(rows), text, &error), qPrintable(error));
            QCOMPARE(ReadFile(optionsFile()).toHex(' '), bytes.toHex(' '));
            QCOMPARE(ModeBits(optionsFile()), 0644);
        }
        basKovaData::MaxDisplayRows = 7;
        basKovaData::SqlPlusPath.clear();
        basKovaData::LoadOptions();
        QCOMPARE(basKovaData::MaxDisplayRows, rows);
        QTEST(basKovaData::SqlPlusPath, "path");
        QCOMPARE(QFileInfo::exists(optionsFile()), !bytes.isNull());  // loading writes nothing
    }
};

QTEST_GUILESS_MAIN(TestSessionFiles)
#include "tst_SessionFiles.moc"
