// label: gui
// The login window "ODBC接続" and the options window "ｵﾌﾟｼｮﾝ".
#include "controls/TabStrip.h"
#include "engine/SqliteEngine.h"
#include "login/OptionsInput.h"
#include "login/frmKovaData.h"
#include "login/frmOptions.h"
#include "session/ConnectionBook.h"
#include "session/OraAccess.h"
#include "support/SessionSupport.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QtWidgets>

using namespace kovatest;
using namespace Qt::StringLiterals;
using OptRecords = std::optional<Records>;  // none: no connection file

const QString LoginCaption = u"ODBC接続"_s;
const QString OptionsCaption = u"ｵﾌﾟｼｮﾝ"_s;
// Every successful login here reaches this embedded database in the program directory.
const ConnectionRecord Scott = Rec("test.db", "scott", "tiger");
const QString StartPath = u"/opt/oracle/bin/sqlplus"_s;  // when an options window opens

// How a login attempt ends; a click on a list line only fills the boxes.
enum Outcome { LoggedIn, NotSaved, Refused, BoxesFilled, Closed };

static QDateTime At(int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2024, 5, 17), QTime(hour, minute, second));
}

class TestLoginWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageRecorder> m_messages;
    QPointer<frmKovaData> m_login;
    std::unique_ptr<frmOptions> m_options;

    QString dataFile() const { return m_dir->filePath(u"KovaData.dat"_s); }
    QString optionsFile() const { return m_dir->filePath(u"KovaOpt.dat"_s); }
    QLineEdit* box(int i) const { return Find<QLineEdit>(m_login, u"Text1_%1"_s.arg(i)); }
    QListWidget* list() const { return Find<QListWidget>(m_login, u"List"_s); }
    QCheckBox* check() const { return Find<QCheckBox>(m_login, u"Check"_s); }
    ConnectionRecord boxes() const { return {box(0)->text(), box(1)->text(), box(2)->text()}; }
    QLineEdit* text(int i) const { return Find<QLineEdit>(m_options.get(), u"Text%1"_s.arg(i)); }
    QWidget* page() const { return Find<QWidget>(m_options.get(), u"picOptions_0"_s); }
    controls::TabStrip* tabs() const { return Find<controls::TabStrip>(m_options.get(), u"tbsOptions"_s); }
    void type(const ConnectionRecord& login)
    {
        box(0)->setText(login.service);
        box(1)->setText(login.user);
        box(2)->setText(login.password);
    }
    void show(QWidget* window)
    {
        window->show();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the window did not become active");
    }
    // A new login window over a connection file of `records`.
    void openLogin(const OptRecords& records)
    {
        if (records)
            QVERIFY(WriteFile(dataFile(), ConnectionBytes(*records)));
        show(m_login = new frmKovaData);
    }
    void openOptions() { show((m_options = std::make_unique<frmOptions>()).get()); }

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        m_dir = std::make_unique<QTemporaryDir>();
        basKovaData::AppDirectory = m_dir->path() + u'/';
        basKovaData::SetClock([] { return At(12, 0); });
        basKovaData::MaxDisplayRows = 1234;
        basKovaData::SqlPlusPath = basKovaData::FixedText(StartPath, basKovaData::SqlPlusPathWidth);
        SqliteEngine::createFile(m_dir->filePath(Scott.service));
        m_messages = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        delete m_login;
        m_options.reset();
        kovatest::ReleaseSession();
        m_messages.reset();
        m_dir.reset();
    }

    // ---- the login window -----------------------------------------------------

    void login_data()
    {
        QTest::addColumn<OptRecords>("stored");
        // -1: `typed` is typed and Enter pressed in the password box; -2: the close button is clicked;
        // else that list line is clicked (twice to log in) and fills the boxes with `typed`.
        QTest::addColumn<int>("line");
        QTest::addColumn<ConnectionRecord>("typed");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<OptRecords>("after");  // the connection file afterwards

        const Records two{Rec("OLD", "a", "1"), Rec("DEV", "b", "2")};
        const ConnectionRecord hr = Rec("test.db", "hr", "pw2");
        const Records three{Rec("ORCL", "scott", "tiger"), Rec("PROD", "c", "pw3"), hr};
        const auto row = [](const char* name, const OptRecords& stored, int line, const ConnectionRecord& typed,
                            bool tick, Outcome outcome, const OptRecords& after) {
            QTest::newRow(name) << stored << line << typed << tick << int(outcome) << after;
        };
        row("first run, ticked", {}, -1, Scott, true, LoggedIn, Records{Scott, Scott});
        row("unticked: new record 1, list unchanged", two, -1, Scott, false, LoggedIn, Records{Scott, two[1]});
        row("ticked: appended to the list", two, -1, Scott, true, LoggedIn, Records{Scott, two[1], Scott});
        // A full list: the login still works and record 1 is updated, without a word.
        row("full list", Records{two[0]} + Numbered(2, 49), -1, Scott, true, LoggedIn, Records{Scott} + Numbered(2, 49));
        // A directory stands where the connection file belongs: it reads as no saved connection,
        // the login still counts, and the user is told that it was not saved.
        row("file cannot be written", {}, -1, Scott, true, NotSaved, {});
        row("empty service", {}, -1, Rec("", "scott", "tiger"), true, Refused, {});
        row("empty user", two, -1, Rec("test.db", "", "tiger"), true, Refused, two);
        row("empty password", two, -1, Rec("test.db", "scott", ""), true, Refused, two);
        row("password of blanks", {}, -1, Rec("test.db", "scott", "   "), true, Refused, {});
        // A database file that does not exist is a failed login, not a new file.
        row("no such database, first run", {}, -1, Rec("missing.db", "scott", "tiger"), true, Refused, {});
        const Records longNames{Scott, Rec("LONGSERVICENAME", "system", "manager"), Rec("DEV", "hr", "secret")};
        row("list line clicked", longNames, 0, Rec("LONGSERVICENAME", "system", "manager"), false, BoxesFilled, longNames);
        row("list line double-clicked", three, 1, hr, false, LoggedIn, Records{hr, three[1], hr});
        row("close button", two, -2, two[0], false, Closed, two);
    }
    void login()
    {
        QFETCH(OptRecords, stored);
        QFETCH(int, line);
        QFETCH(ConnectionRecord, typed);
        QFETCH(bool, tick);
        QFETCH(int, outcome);
        QFETCH(OptRecords, after);

        if (outcome == NotSaved)
            QVERIFY(QDir().mkdir(dataFile()));
        openLogin(stored);
        // What the window starts with: record 1 in the boxes, the password masked, the saved connections
        // listed; on the first run the list is off, the box ticked and the service name asked for first.
        const ConnectionBook book = ConnectionBook::Load(dataFile());
        const bool firstRun = !QFileInfo::exists(dataFile());
        QCOMPARE(boxes(), book.count() > 0 ? book.record(1) : ConnectionRecord{});
        const QChar mask(box(2)->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box(2)));
        QCOMPARE(box(2)->displayText(), QString(box(2)->text().size(), mask));
        QStringList listed;
        for (int i = 0; i < list()->count(); ++i)
            listed.append(list()->item(i)->text());
        QCOMPARE(listed, book.listLines());
        QCOMPARE(list()->isEnabled(), !firstRun);
        QCOMPARE(check()->isChecked(), firstRun);
        QCOMPARE(QApplication::focusWidget(), box(firstRun ? 0 : 2));

        QSignalSpy loggedIn(m_login.data(), &frmKovaData::LoggedIn);
        check()->setChecked(tick);
        const bool loggingIn = outcome == LoggedIn || outcome == NotSaved;
        if (line == -1) {
            type(typed);
            QTest::keyClick(box(2), outcome == LoggedIn ? Qt::Key_Enter : Qt::Key_Return);
        } else if (line == -2) {
            Click(m_login, u"Command1"_s);
        } else {
            // What the system delivers for a double-click: press, release, double-click, release.
            const QPoint at = list()->visualItemRect(list()->item(line)).center();
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
            if (loggingIn) {
                QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
                if (m_login)
                    QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, at);
            }
        }

        const QString message = outcome == Refused    ? u"接続に失敗しました"_s
                                : outcome == NotSaved ? u"接続情報を保存できませんでした。\n"_s
                                                      : QString();
        QCOMPARE(m_messages->messages().size(), int(!message.isEmpty()));
        if (!message.isEmpty()) {
            const basKovaData::MessageRequest& shown = m_messages->messages().at(0);
            // The reason follows when the file was not saved.
            QCOMPARE(outcome == NotSaved ? shown.text.left(message.size()) : shown.text, message);
            QCOMPARE(shown.icon, outcome == Refused ? basKovaData::MessageIcon::Critical
                                                    : basKovaData::MessageIcon::Exclamation);
            QCOMPARE(shown.title, LoginCaption);
            QCOMPARE(shown.owner, m_login.data());
        }
        QCOMPARE(loggedIn.count(), int(loggingIn));
        QCOMPARE(bool(basKovaData::OraDatabase), loggingIn);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        if (loggingIn)
            QCOMPARE(basKovaData::SqlPlusLogin, typed.user + u'/' + typed.password + u"@test.db"_s);
        if (loggingIn || outcome == Closed) {
            QTRY_VERIFY(m_login.isNull());
        } else {
            // The window stays with its texts.
            QVERIFY(m_login && m_login->isVisible());
            QCOMPARE(boxes(), typed);
        }
        QCOMPARE(QFileInfo(dataFile()).isDir(), outcome == NotSaved);
        QCOMPARE(QFileInfo(dataFile()).isFile(), after.has_value());
        if (after)
            QCOMPARE(ReadFile(dataFile()), ConnectionBytes(*after));
    }

    void design_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("night");

        QTest::newRow("06:00") << At(6, 0) << true;
        QTest::newRow("06:00:59") << At(6, 0, 59) << true;
        QTest::newRow("06:01") << At(6, 1) << false;
        QTest::newRow("21:59") << At(21, 59) << false;
        QTest::newRow("22:00") << At(22, 0) << true;
    }
    void design()
    {
        QFETCH(QDateTime, now);
        QFETCH(bool, night);

        basKovaData::SetClock([now] { return now; });
        openLogin(Records{Scott, Rec("DEV", "b", "2")});
        const QColor white(255, 255, 255);
        const QColor black(0, 0, 0);
        const QColor face = QApplication::palette().color(QPalette::Button);
        const auto label = [this](int i) { return Find<QLabel>(m_login, u"Label1_%1"_s.arg(i)); };
        // Each control's colour at night and by day.
        const std::tuple<QWidget*, QPalette::ColorRole, QColor, QColor> colours[] = {
            {m_login, QPalette::Window, black, face},          {label(0), QPalette::WindowText, white, black},
            {label(1), QPalette::WindowText, white, black},  {label(2), QPalette::WindowText, white, black},
            {box(0), QPalette::Base, white, white},           {box(1), QPalette::Base, QColor(255, 192, 255), white},
            {box(2), QPalette::Base, QColor(192, 192, 255), white}, {list(), QPalette::Base, black, white},
            {list(), QPalette::Text, white, black},           {check(), QPalette::Window, QColor(0, 0, 192), face},
            {check(), QPalette::WindowText, white, black}};
        for (const auto& [widget, role, atNight, byDay] : colours)
            QCOMPARE(widget->palette().color(role), night ? atNight : byDay);
        for (const QString& shape : {u"Shape1"_s, u"Shape2"_s})
            QCOMPARE(Find<QWidget>(m_login, shape)->isVisible(), night);
        // What is actually painted: the window's corner and the check box's right end (past its text).
        const QImage image = m_login->grab().toImage();
        QCOMPARE(image.pixelColor(2, m_login->height() - 3), night ? black : face);
        const QRect checkArea = check()->geometry();
        QCOMPARE(image.pixelColor(checkArea.right() - 2, checkArea.center().y()), night ? QColor(0, 0, 192) : face);
    }

    void enterMovesFocus()
    {
        // Enter moves on as Tab does, and a box reached drops the blanks around
        // its text and selects it. Only Enter in the password box logs in.
        openLogin(Records{Scott, Rec("DEV", "b", "2")});
        type(Rec("test.db", "  scott  ", " tiger "));
        const std::tuple<QWidget*, QWidget*, QString> steps[] = {
            {box(0), box(1), u"scott"_s}, {box(1), box(2), u"tiger"_s}, {check(), list(), QString()}};
        for (const auto& [from, to, selected] : steps) {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), to);
            if (auto* reached = qobject_cast<QLineEdit*>(to))
                QCOMPARE((QStringList{reached->text(), reached->selectedText()}), (QStringList{selected, selected}));
        }
        QVERIFY(!basKovaData::OraDatabase);
        QCOMPARE(m_messages->texts(), QStringList());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(box(i)->maxLength(), 30);
    }

    // ---- the options window ---------------------------------------------------

    void optionsOpening()
    {
        openOptions();
        QCOMPARE(m_options->windowTitle(), OptionsCaption);
        QCOMPARE(m_options->size(), QSize(500, 330));
        const QRect screen = m_options->screen()->geometry();
        QCOMPARE(m_options->pos(), QPoint(screen.x() + (screen.width() - 500) / 2, screen.y() + (screen.height() - 330) / 2));
        QCOMPARE(text(1)->text(), u"1234"_s);
        QCOMPARE(text(2)->text(), StartPath);

        // A box selects its text when it gets the focus; the path box only its trimmed length.
        QCOMPARE(QApplication::focusWidget(), text(1));
        QCOMPARE(text(1)->selectedText(), u"1234"_s);
        text(2)->setText(u"/usr/bin/sqlplus   "_s);
        QTest::keyClick(text(1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), text(2));
        QCOMPARE(text(2)->selectionStart(), 0);
        QCOMPARE(text(2)->selectedText(), u"/usr/bin/sqlplus"_s);

        // Ctrl+Tab, then a click, selects the only tab again, which puts its page back in place.
        const QPoint placed(210 / 15, 40);
        QCOMPARE(page()->pos(), placed);
        for (const bool key : {true, false}) {
            page()->move(-300, placed.y());
            page()->setEnabled(false);
            if (key)
                QTest::keyClick(text(2), Qt::Key_Tab, Qt::ControlModifier);
            else
                QTest::mouseClick(tabs()->tabBar(), Qt::LeftButton, {}, tabs()->tabBar()->tabRect(0).center());
            QCOMPARE(tabs()->selectedIndex(), 1);
            QCOMPARE(page()->pos(), placed);
            QVERIFY(page()->isEnabled());
        }
    }

    void readMaxRowsInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");  // -1: refused
        QTest::addColumn<QString>("message");

        for (const char* text : {"abc", "", "   ", "12abc", "1,000", ".", "1e"})
            QTest::addRow("\"%s\"", text) << text << -1 << "１以上の数値を入力してください。";
        for (const char* text : {"0", "-5", "0.5", "0.99", "-0"})
            QTest::addRow("\"%s\"", text) << text << -1 << "最大行数は１以上にしてください。";
        for (const char* text : {"32767.5", "32768", "65537", "4294967297", "1e999"})
            QTest::addRow("\"%s\"", text) << text << -1 << "最大行数は３２７６７以下にしてください。";
        // Halves round to the even neighbour.
        const std::pair<const char*, int> accepted[] = {{"1", 1},         {"1.5", 2},     {"2.5", 2},
                                                        {"3.5", 4},       {"2.6", 3},     {" +300 ", 300},
                                                        {"1.5e2", 150},   {"32767.4", 32767}};
        for (const auto& [text, rows] : accepted)
            QTest::addRow("\"%s\"", text) << text << rows << "";
    }
    void readMaxRowsInput()
    {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QFETCH(QString, message);

        const basKovaData::MaxRowsInput input = basKovaData::ReadMaxRowsInput(text);
        QCOMPARE(input.message, message);
        QCOMPARE(input.accepted(), rows != -1);
        if (rows != -1)
            QCOMPARE(int(input.rows), rows);
    }

    void optionsButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<QString>("message");  // the start of it; empty: none
        QTest::addColumn<int>("result");       // of the dialog, 1 when the options are taken; -1: it stays open
        QTest::addColumn<int>("maxRows");      // afterwards, for this run

        QTest::newRow("OK") << "cmdOK" << " 2.5 " << true << "" << 1 << 2;
        QTest::newRow("OK, bad row count") << "cmdOK" << "0.5" << true << "最大行数は１以上にしてください。" << -1 << 1234;
        // The options apply to this run even when the file cannot be written; the user is told so.
        QTest::newRow("OK, file not writable") << "cmdOK" << "500" << false << "オプションファイルを保存できませんでした。\n"
                                               << 1 << 500;
        QTest::newRow("Cancel") << "cmdCancel" << "50" << true << "" << 0 << 1234;
    }
    void optionsButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, rows);
        QFETCH(bool, fileWritable);
        QFETCH(QString, message);
        QFETCH(int, result);
        QFETCH(int, maxRows);

        const QByteArray before(236, 'z');
        QVERIFY(WriteFile(optionsFile(), before));
        if (!fileWritable)
            basKovaData::AppDirectory = m_dir->filePath(u"missing/"_s);
        openOptions();
        text(1)->setText(rows);
        text(2)->setFocus();
        text(2)->setText(u"  /x/y  "_s);
        Click(m_options.get(), button);

        QCOMPARE(m_messages->texts().size(), int(!message.isEmpty()));
        if (!message.isEmpty()) {
            const basKovaData::MessageRequest& shown = m_messages->messages().at(0);
            QVERIFY2(shown.text.startsWith(message), qPrintable(shown.text));
            QCOMPARE(shown.icon, basKovaData::MessageIcon::Exclamation);
            QCOMPARE(shown.title, OptionsCaption);
        }
        QCOMPARE(m_options->isVisible(), result == -1);
        if (result == -1) {
            QCOMPARE(QApplication::focusWidget(), text(1));
            QCOMPARE(text(1)->text(), rows);
        } else {
            QCOMPARE(m_options->result(), result);
        }
        QCOMPARE(basKovaData::MaxDisplayRows, maxRows);
        QCOMPARE(basKovaData::SqlPlusPath, basKovaData::FixedText(result == 1 ? u"/x/y"_s : StartPath, 100));
        // The file is rewritten only when the options are taken.
        QCOMPARE(ReadFile(optionsFile()) == before, result != 1 || !fileWritable);
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"missing"_s)));
    }
};

QTEST_MAIN(TestLoginWindows)
#include "tst_LoginWindows.moc"
