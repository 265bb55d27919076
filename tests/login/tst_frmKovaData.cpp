// label: gui
#include "session/OraAccess.h"
#include "engine/SqliteEngine.h"
#include "login/frmKovaData.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Records = QList<QStringList>;  // service, user, password

namespace {

const QString Caption = QStringLiteral("ODBC接続");
const QString Failed = QStringLiteral("接続に失敗しました");
// The embedded database every successful login in this file reaches; a
// relative service name lies in the program directory.
const QString Db = QStringLiteral("test.db");

QByteArray Field(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    return bytes + QByteArray(20 - bytes.size(), ' ');
}

QByteArray FileBytes(const Records& records)
{
    QByteArray bytes;
    for (const QStringList& r : records)
        bytes += Field(r.at(0)) + Field(r.at(1)) + Field(r.at(2));
    return bytes;
}

QStringList R(const char* service, const char* user, const char* password)
{
    return {QString::fromLatin1(service), QString::fromLatin1(user), QString::fromLatin1(password)};
}

// Records "S02"/"U02"/"P02" ... for the saved list.
Records Numbered(int first, int last)
{
    Records records;
    for (int i = first; i <= last; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        records.append({QLatin1Char('S') + n, QLatin1Char('U') + n, QLatin1Char('P') + n});
    }
    return records;
}

QDateTime At(int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2024, 5, 17), QTime(hour, minute, second));
}

}  // namespace

class TestFrmKovaData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstRun();
    void startWithSavedConnections();
    void startWithEmptyFile();
    void loginRewritesFile_data();
    void loginRewritesFile();
    void refusedLogin_data();
    void refusedLogin();
    void design_data();
    void design();
    void enterMovesFocus_data();
    void enterMovesFocus();
    void focusTrimsAndSelects();
    void listClickCopiesRecord();
    void listDoubleClickLogsIn();
    void boxesTakeThirtyCharacters();
    void closeButton();
    void fileCannotBeWritten();

private:
    QString dataFile() const { return m_dir->filePath(QStringLiteral("KovaData.dat")); }
    // A new login window, shown and active.
    frmKovaData* open();
    template <class T>
    T* control(const char* name) const
    {
        T* widget = m_window ? m_window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!widget)
            qFatal("control %s not found", name);
        return widget;
    }
    QLineEdit* box(int i) const
    {
        const QByteArray name = "Text1_" + QByteArray::number(i);
        return control<QLineEdit>(name.constData());
    }
    void type(const QString& service, const QString& user, const QString& password);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
    QPointer<frmKovaData> m_window;
};

void TestFrmKovaData::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    basKovaData::AppDirectory = m_dir->path() + QLatin1Char('/');
    basKovaData::SetClock([] { return At(12, 0); });
    SqliteEngine::createFile(m_dir->filePath(Db));
    m_messages = std::make_unique<kovatest::MessageRecorder>();
}

void TestFrmKovaData::cleanup()
{
    delete m_window;
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_messages.reset();
    m_dir.reset();
}

frmKovaData* TestFrmKovaData::open()
{
    m_window = new frmKovaData;
    m_window->show();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("the login window did not become active");
    return m_window;
}

void TestFrmKovaData::type(const QString& service, const QString& user, const QString& password)
{
    box(0)->setText(service);
    box(1)->setText(user);
    box(2)->setText(password);
}

void TestFrmKovaData::firstRun()
{
    open();
    QCOMPARE(m_window->windowTitle(), Caption);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(box(i)->text(), QString());
    QVERIFY(!control<QListWidget>("List")->isEnabled());
    QVERIFY(control<QCheckBox>("Check")->isChecked());
    QCOMPARE(QApplication::focusWidget(), box(0));

    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    type(Db, QStringLiteral("scott"), QStringLiteral("tiger"));
    QTest::keyClick(box(2), Qt::Key_Return);

    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(loggedIn.count(), 1);
    QVERIFY(basKovaData::OraDatabase);
    QCOMPARE(basKovaData::SqlPlusLogin, QStringLiteral("scott/tiger@test.db"));
    QCOMPARE(kovatest::ReadFile(dataFile()), FileBytes({R("test.db", "scott", "tiger")}).repeated(2));
    QTRY_VERIFY(m_window.isNull());
}

void TestFrmKovaData::startWithSavedConnections()
{
    QVERIFY(kovatest::WriteFile(dataFile(), FileBytes({R("ORCL", "scott", "tiger"),
                                                       R("LONGSERVICENAME", "system", "manager"),
                                                       R("DEV", "hr", "secret")})));
    open();
    QCOMPARE(box(0)->text(), QStringLiteral("ORCL"));
    QCOMPARE(box(1)->text(), QStringLiteral("scott"));
    QCOMPARE(box(2)->text(), QStringLiteral("tiger"));
    QCOMPARE(box(2)->displayText().contains(QStringLiteral("tiger")), false);
    QVERIFY(!control<QCheckBox>("Check")->isChecked());
    QCOMPARE(QApplication::focusWidget(), box(2));

    auto* list = control<QListWidget>("List");
    QVERIFY(list->isEnabled());
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    // The service cut or padded to 10 characters; no password anywhere.
    QCOMPARE(lines, (QStringList{QStringLiteral("LONGSERVIC  system"), QStringLiteral("DEV         hr")}));
}

void TestFrmKovaData::startWithEmptyFile()
{
    // What a first login with the box unticked leaves behind.
    QVERIFY(kovatest::WriteFile(dataFile(), QByteArray()));
    open();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(box(i)->text(), QString());
    auto* list = control<QListWidget>("List");
    QVERIFY(list->isEnabled());
    QCOMPARE(list->count(), 0);
    QVERIFY(!control<QCheckBox>("Check")->isChecked());
}

void TestFrmKovaData::loginRewritesFile_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<Records>("before");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<Records>("after");
    QTest::addColumn<QString>("sqlPlusLogin");

    const QStringList scott = R("test.db", "scott", "tiger");
    QTest::newRow("first run, unticked: empty file")
        << false << Records{} << scott << false << Records{} << QStringLiteral("scott/tiger@test.db");
    QTest::newRow("unticked: new record 1, list unchanged")
        << true << Records{R("OLD", "a", "1"), R("DEV", "b", "2"), R("PROD", "c", "3")} << scott
        << false << Records{scott, R("DEV", "b", "2"), R("PROD", "c", "3")}
        << QStringLiteral("scott/tiger@test.db");
    QTest::newRow("ticked: appended to the list")
        << true << Records{R("OLD", "a", "1"), R("DEV", "b", "2")} << scott << true
        << Records{scott, R("DEV", "b", "2"), scott} << QStringLiteral("scott/tiger@test.db");
    QTest::newRow("known service and user, new password: record 1 only")
        << true << Records{R("test.db", "scott", "old"), R("test.db", "scott", "old")}
        << R("test.db", "scott", "new") << true
        << Records{R("test.db", "scott", "new"), R("test.db", "scott", "old")}
        << QStringLiteral("scott/new@test.db");
    QTest::newRow("names cut to 20 characters")
        << false << Records{} << R("test.db", "abcdefghijklmnopqrstuvwxyz", "p23456789012345678901")
        << true
        << Records{R("test.db", "abcdefghijklmnopqrst", "p2345678901234567890"),
                   R("test.db", "abcdefghijklmnopqrst", "p2345678901234567890")}
        << QStringLiteral("abcdefghijklmnopqrst/p2345678901234567890@test.db");
    // 49 records: the login still works, record 1 is updated and the list
    // keeps its 48 entries.
    QTest::newRow("full list")
        << true << Records{R("OLD", "a", "1")} + Numbered(2, 49) << scott << true
        << Records{scott} + Numbered(2, 49) << QStringLiteral("scott/tiger@test.db");
}

void TestFrmKovaData::loginRewritesFile()
{
    QFETCH(bool, fileBefore);
    QFETCH(Records, before);
    QFETCH(QStringList, typed);
    QFETCH(bool, tick);
    QFETCH(Records, after);
    QFETCH(QString, sqlPlusLogin);

    if (fileBefore)
        QVERIFY(kovatest::WriteFile(dataFile(), FileBytes(before)));
    open();
    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    type(typed.at(0), typed.at(1), typed.at(2));
    control<QCheckBox>("Check")->setChecked(tick);
    QTest::keyClick(box(2), Qt::Key_Enter);

    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(basKovaData::SqlPlusLogin, sqlPlusLogin);
    QVERIFY(QFileInfo::exists(dataFile()));
    QCOMPARE(kovatest::ReadFile(dataFile()), FileBytes(after));
    QTRY_VERIFY(m_window.isNull());
}

void TestFrmKovaData::refusedLogin_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<QStringList>("typed");

    QTest::newRow("empty service") << false << R("", "scott", "tiger");
    QTest::newRow("empty user") << true << R("test.db", "", "tiger");
    QTest::newRow("empty password") << true << R("test.db", "scott", "");
    QTest::newRow("password of blanks") << false << R("test.db", "scott", "   ");
    // A database file that does not exist is a failed login, not a new file.
    QTest::newRow("no such database, first run") << false << R("missing.db", "scott", "tiger");
    QTest::newRow("no such database, saved list") << true << R("missing.db", "scott", "tiger");
}

void TestFrmKovaData::refusedLogin()
{
    QFETCH(bool, fileBefore);
    QFETCH(QStringList, typed);

    const QByteArray before = FileBytes({R("OLD", "a", "1"), R("DEV", "b", "2")});
    if (fileBefore)
        QVERIFY(kovatest::WriteFile(dataFile(), before));
    open();
    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    type(typed.at(0), typed.at(1), typed.at(2));
    control<QCheckBox>("Check")->setChecked(true);
    QTest::keyClick(box(2), Qt::Key_Return);

    QCOMPARE(m_messages->texts(), QStringList{Failed});
    QCOMPARE(m_messages->messages().at(0).icon, basKovaData::MessageIcon::Critical);
    QCOMPARE(m_messages->messages().at(0).title, Caption);
    QCOMPARE(m_messages->messages().at(0).owner, m_window.data());
    QCOMPARE(loggedIn.count(), 0);
    QVERIFY(!basKovaData::OraDatabase);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    // The window stays with its texts; the file is untouched.
    QVERIFY(m_window && m_window->isVisible());
    QCOMPARE(box(0)->text(), typed.at(0));
    QCOMPARE(box(1)->text(), typed.at(1));
    QCOMPARE(QFileInfo::exists(dataFile()), fileBefore);
    if (fileBefore)
        QCOMPARE(kovatest::ReadFile(dataFile()), before);
}

void TestFrmKovaData::design_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("night");

    QTest::newRow("06:00") << At(6, 0) << true;
    QTest::newRow("06:00:59") << At(6, 0, 59) << true;
    QTest::newRow("06:01") << At(6, 1) << false;
    QTest::newRow("12:00") << At(12, 0) << false;
    QTest::newRow("21:59") << At(21, 59) << false;
    QTest::newRow("22:00") << At(22, 0) << true;
    QTest::newRow("00:00") << At(0, 0) << true;
}

void TestFrmKovaData::design()
{
    QFETCH(QDateTime, now);
    QFETCH(bool, night);

    basKovaData::SetClock([now] { return now; });
    QVERIFY(kovatest::WriteFile(dataFile(), FileBytes({R("ORCL", "scott", "tiger"), R("DEV", "b", "2")})));
    open();

    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    const QColor windowColor = night ? black : buttonFace;
    const QColor labelText = night ? white : black;
    const QColor listBase = night ? black : white;
    const QColor checkBack = night ? QColor(0, 0, 192) : buttonFace;
    const QColor boxes[3] = {white, night ? QColor(255, 192, 255) : white,
                             night ? QColor(192, 192, 255) : white};

    QCOMPARE(m_window->palette().color(QPalette::Window), windowColor);
    for (const char* name : {"Label1_0", "Label1_1", "Label1_2"})
        QCOMPARE(control<QLabel>(name)->palette().color(QPalette::WindowText), labelText);
    auto* list = control<QListWidget>("List");
    QCOMPARE(list->palette().color(QPalette::Base), listBase);
    QCOMPARE(list->palette().color(QPalette::Text), labelText);
    auto* check = control<QCheckBox>("Check");
    QCOMPARE(check->palette().color(QPalette::Window), checkBack);
    QCOMPARE(check->palette().color(QPalette::WindowText), labelText);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(box(i)->palette().color(QPalette::Base), boxes[i]);
    QCOMPARE(control<QWidget>("Shape1")->isVisible(), night);
    QCOMPARE(control<QWidget>("Shape2")->isVisible(), night);

    // What is actually painted: the window's corner and the check box's
    // right end (past its text).
    const QImage image = m_window->grab().toImage();
    QCOMPARE(image.pixelColor(2, m_window->height() - 3), windowColor);
    const QRect checkArea = check->geometry();
    QCOMPARE(image.pixelColor(checkArea.right() - 2, checkArea.center().y()), checkBack);
}

void TestFrmKovaData::enterMovesFocus_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");

    QTest::newRow("service to user") << QStringLiteral("Text1_0") << QStringLiteral("Text1_1");
    QTest::newRow("user to password") << QStringLiteral("Text1_1") << QStringLiteral("Text1_2");
    QTest::newRow("check box to list") << QStringLiteral("Check") << QStringLiteral("List");
}

void TestFrmKovaData::enterMovesFocus()
{
    QFETCH(QString, from);
    QFETCH(QString, to);

    QVERIFY(kovatest::WriteFile(dataFile(), FileBytes({R("test.db", "scott", "tiger"),
                                                       R("DEV", "b", "2")})));
    open();
    auto* start = m_window->findChild<QWidget*>(from);
    QVERIFY(start);
    start->setFocus();
    QCOMPARE(QApplication::focusWidget(), start);
    QTest::keyClick(start, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    // Only Enter in the password box logs in.
    QVERIFY(!basKovaData::OraDatabase);
    QVERIFY(m_window);
    QCOMPARE(m_messages->texts(), QStringList());
}

void TestFrmKovaData::focusTrimsAndSelects()
{
    open();
    box(1)->setText(QStringLiteral("  scott  "));
    QTest::keyClick(box(0), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), box(1));
    QCOMPARE(box(1)->text(), QStringLiteral("scott"));
    QCOMPARE(box(1)->selectedText(), QStringLiteral("scott"));
}

void TestFrmKovaData::listClickCopiesRecord()
{
    const QByteArray before = FileBytes({R("ORCL", "scott", "tiger"), R("DEV", "b", "pw2"),
                                         R("PROD", "c", "pw3")});
    QVERIFY(kovatest::WriteFile(dataFile(), before));
    open();
    auto* list = control<QListWidget>("List");
    const QRect line = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    QCOMPARE(box(0)->text(), QStringLiteral("PROD"));
    QCOMPARE(box(1)->text(), QStringLiteral("c"));
    QCOMPARE(box(2)->text(), QStringLiteral("pw3"));
    // A click only fills the boxes.
    QVERIFY(!basKovaData::OraDatabase);
    QCOMPARE(kovatest::ReadFile(dataFile()), before);
}

void TestFrmKovaData::listDoubleClickLogsIn()
{
    const QByteArray before = FileBytes({R("ORCL", "scott", "tiger"), R("PROD", "c", "pw3"),
                                         R("test.db", "hr", "pw2")});
    QVERIFY(kovatest::WriteFile(dataFile(), before));
    open();
    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    auto* list = control<QListWidget>("List");
    const QRect line = list->visualItemRect(list->item(1));
    // What the system delivers for a double-click: press, release, double-click, release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());
    if (m_window)
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, line.center());

    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(basKovaData::SqlPlusLogin, QStringLiteral("hr/pw2@test.db"));
    QCOMPARE(kovatest::ReadFile(dataFile()),
             FileBytes({R("test.db", "hr", "pw2"), R("PROD", "c", "pw3"), R("test.db", "hr", "pw2")}));
    QTRY_VERIFY(m_window.isNull());
}

void TestFrmKovaData::boxesTakeThirtyCharacters()
{
    open();
    for (int i = 0; i < 3; ++i) {
        box(i)->setFocus();
        QTest::keyClicks(box(i), QString(35, QLatin1Char('x')));
        QCOMPARE(box(i)->text().size(), 30);
    }
}

void TestFrmKovaData::closeButton()
{
    QVERIFY(kovatest::WriteFile(dataFile(), FileBytes({R("test.db", "scott", "tiger")})));
    open();
    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    auto* button = control<QPushButton>("Command1");
    QCOMPARE(button->text(), QStringLiteral("×"));
    button->click();
    QTRY_VERIFY(m_window.isNull());
    QCOMPARE(loggedIn.count(), 0);
    QVERIFY(!basKovaData::OraDatabase);
    QCOMPARE(kovatest::ReadFile(dataFile()), FileBytes({R("test.db", "scott", "tiger")}));
}

void TestFrmKovaData::fileCannotBeWritten()
{
    // Something that is no file stands where the connection file belongs: the
    // login still counts, and the user is told that it was not saved.
    QVERIFY(QDir().mkdir(dataFile()));
    open();
    QSignalSpy loggedIn(m_window.data(), &frmKovaData::LoggedIn);
    type(Db, QStringLiteral("scott"), QStringLiteral("tiger"));
    QTest::keyClick(box(2), Qt::Key_Return);

    QCOMPARE(m_messages->messages().size(), 1);
    const basKovaData::MessageRequest& shown = m_messages->messages().at(0);
    QVERIFY2(shown.text.startsWith(QStringLiteral("接続情報を保存できませんでした。")),
             qPrintable(shown.text));
    QCOMPARE(shown.icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(shown.title, Caption);
    QCOMPARE(loggedIn.count(), 1);
    QVERIFY(basKovaData::OraDatabase);
    QVERIFY(QFileInfo(dataFile()).isDir());
    QTRY_VERIFY(m_window.isNull());
}

QTEST_MAIN(TestFrmKovaData)
#include "tst_frmKovaData.moc"
