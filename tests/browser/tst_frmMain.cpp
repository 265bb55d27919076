// label: gui
// The main window driven by objectName over a real embedded database.
#include "browser/GridActions.h"
#include "browser/SqlPlusLauncher.h"
#include "browser/frmMain.h"
#include "controls/FlexGrid.h"
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "diag/frmSub3.h"
#include "diag/frmSub4.h"
#include "diag/frmSub5.h"
#include "generate/frmCreate.h"
#include "help/frmHELP.h"
#include "maintain/frmSub.h"
#include "maintain/frmUpDate.h"
#include "rules/frmRuleEditor.h"
#include "rules/frmSET99.h"
#include "login/frmOptions.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::MessageIcon;

namespace {

const QString Caption = u"ＫＯＶＡ－ＯＲＡＣＬＥ version 1.00a"_s;

const QStringList DemoSchema{
    u"CREATE TABLE ITEMS (CODE NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20) NOT NULL, PRICE NUMBER(10,2), "
    "KIND CHAR(1), ADDED DATE, LABEL NCHAR(2), PHOTO RAW(16), NOTE LONG)"_s,
    u"CREATE TABLE ORDERS (NO NUMBER(6), LINE NUMBER(3), QTY NUMBER(4), PRIMARY KEY (NO, LINE))"_s,
    u"CREATE TABLE EMPTYT (A NUMBER(4))"_s,
    u"INSERT INTO ITEMS (CODE, NAME) VALUES (1, 'pen')"_s,
    u"INSERT INTO ITEMS (CODE, NAME) VALUES (2, 'ink')"_s,
    u"CREATE VIEW ITEM_NAMES AS SELECT CODE, NAME FROM ITEMS"_s,
    u"CREATE TABLE GONE (A NUMBER)"_s,
    u"CREATE VIEW BROKEN AS SELECT A FROM GONE"_s,
    u"DROP TABLE GONE"_s,
};

// What the system delivers for a double-click: press, release, double-click, release.
void DoubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

template <class T>
T* Child(QWidget& window, const QString& name)
{
    T* child = window.findChild<T*>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}

}  // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsTablesThenViews();
    void emptySchemaSaysSo();
    void viewsOnly();
    void lastTableThenFirstView();
    void doubleClickShowsColumnsKeysAndCount();
    void tooManyColumns();
    void brokenView();
    void typeDispatchMessages_data();
    void typeDispatchMessages();
    void rightButtonClearsOneRuleOrAll();
    void preconditions_data();
    void preconditions();
    void optionsAndHelpOpenModally();
    void viewDefinitionAndLogOpen();
    void sqlPlusWrongAndRightPath();
    void closingReleasesTheSession();

private:
    // A main window over a database made of `statements`, shown.
    frmMain* openWindow(const QStringList& statements);
    void choose(const QString& name);
    void doubleClickCell(int row, int col);
    void rightClickCell(int row, int col);
    controls::GridModel& grid();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
    QPointer<frmMain> m_window;
};

void tst_frmMain::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    browser::SetTerminalLookup([] { return QString(); });
    m_dir = std::make_unique<QTemporaryDir>();
    m_messages = std::make_unique<kovatest::MessageRecorder>();
}

void tst_frmMain::cleanup()
{
    delete m_window;
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_messages.reset();
    m_dir.reset();
}

frmMain* tst_frmMain::openWindow(const QStringList& statements)
{
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir, statements);
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    m_window = new frmMain;
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window))
        qFatal("main window not shown");
    return m_window;
}

void tst_frmMain::choose(const QString& name)
{
    auto* list = Child<QListWidget>(*m_window, u"List"_s);
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    list->scrollToItem(items.first());
    const QPoint centre = list->visualItemRect(items.first()).center();
    DoubleClick(list->viewport(), centre);
}

controls::GridModel& tst_frmMain::grid()
{
    return *Child<controls::FlexGrid>(*m_window, u"Grid1"_s)->gridModel();
}

void tst_frmMain::doubleClickCell(int row, int col)
{
    auto* view = Child<controls::FlexGrid>(*m_window, u"Grid1"_s);
    const QModelIndex index = view->model()->index(row - 1, col);
    view->scrollTo(index);
    DoubleClick(view->viewport(), view->visualRect(index).center());
}

void tst_frmMain::rightClickCell(int row, int col)
{
    auto* view = Child<controls::FlexGrid>(*m_window, u"Grid1"_s);
    if (row == 0) {
        QHeaderView* header = view->horizontalHeader();
        const QPoint pos(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::RightButton, {}, pos);
        QTest::mouseRelease(header->viewport(), Qt::RightButton, {}, pos);
        return;
    }
    const QModelIndex index = view->model()->index(row - 1, col);
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->visualRect(index).center());
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, view->visualRect(index).center());
}

void tst_frmMain::listsTablesThenViews()
{
    openWindow(DemoSchema);
    QCOMPARE(m_window->windowTitle(), Caption);
    auto* list = Child<QListWidget>(*m_window, u"List"_s);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->item(i)->text());
    QCOMPARE(shown, (QStringList{u"ITEMS"_s, u"ORDERS"_s, u"EMPTYT"_s, u"ITEM_NAMES"_s, u"BROKEN"_s}));
    QCOMPARE(m_window->FirstViewIndex(), 4);
    QVERIFY(m_messages->messages().isEmpty());
    QVERIFY(Child<QLineEdit>(*m_window, u"Text1"_s)->text().isEmpty());
    QVERIFY(Child<QLabel>(*m_window, u"LblCnt"_s)->text().isEmpty());
    QCOMPARE(grid().Rows(), 1);
    QCOMPARE(grid().TextMatrix(0, 4), u"設定"_s);
    for (const char* name : {"Cmd", "CmdCreate", "Command1", "Command3", "Command5", "Command7"})
        QVERIFY2(!Child<QPushButton>(*m_window, QString::fromLatin1(name))->isEnabled(), name);
    for (const char* name : {"Command2", "Command4", "Command6", "Command8", "Command9"})
        QVERIFY2(Child<QPushButton>(*m_window, QString::fromLatin1(name))->isEnabled(), name);
}

void tst_frmMain::emptySchemaSaysSo()
{
    openWindow({});
    QCOMPARE(m_messages->texts(), QStringList{u"テーブルがひとつもないです。"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
    QCOMPARE(m_messages->messages().first().title, Caption);
    QCOMPARE(Child<QListWidget>(*m_window, u"List"_s)->count(), 0);
}

void tst_frmMain::viewsOnly()
{
    openWindow({u"CREATE VIEW ONLY_VIEW AS SELECT 1 A FROM DUAL"_s});
    QCOMPARE(m_window->FirstViewIndex(), 1);
    choose(u"ONLY_VIEW"_s);
    QCOMPARE(Child<QLabel>(*m_window, u"LblTV"_s)->text(), u"VIEW"_s);
    QCOMPARE(Child<QPushButton>(*m_window, u"Command7"_s)->text(), u"VIEW定義"_s);
    QVERIFY(!Child<QPushButton>(*m_window, u"CmdCreate"_s)->isEnabled());
}

void tst_frmMain::lastTableThenFirstView()
{
    openWindow(DemoSchema);
    auto* text1 = Child<QLineEdit>(*m_window, u"Text1"_s);
    auto* lblTV = Child<QLabel>(*m_window, u"LblTV"_s);
    auto* command7 = Child<QPushButton>(*m_window, u"Command7"_s);
    const QStringList tableOnly{u"CmdCreate"_s, u"Command1"_s, u"Command3"_s, u"Command5"_s};

    choose(u"EMPTYT"_s);
    QCOMPARE(text1->text(), u"EMPTYT"_s);
    QCOMPARE(lblTV->text(), u"TABLE"_s);
    QCOMPARE(text1->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(command7->text(), u"TABLE情報"_s);
    QVERIFY(command7->isEnabled());
    QVERIFY(Child<QPushButton>(*m_window, u"Cmd"_s)->isEnabled());
    for (const QString& name : tableOnly)
        QVERIFY2(Child<QPushButton>(*m_window, name)->isEnabled(), qPrintable(name));

    choose(u"ITEM_NAMES"_s);
    QCOMPARE(text1->text(), u"ITEM_NAMES"_s);
    QCOMPARE(lblTV->text(), u"VIEW"_s);
    QCOMPARE(text1->palette().color(QPalette::Base), QColor(0, 255, 255));
    QCOMPARE(command7->text(), u"VIEW定義"_s);
    QVERIFY(command7->isEnabled());
    QVERIFY(Child<QPushButton>(*m_window, u"Cmd"_s)->isEnabled());
    for (const QString& name : tableOnly)
        QVERIFY2(!Child<QPushButton>(*m_window, name)->isEnabled(), qPrintable(name));
    QCOMPARE(grid().Rows(), 3);
    QCOMPARE(Child<QLabel>(*m_window, u"LblCnt"_s)->text(), u"2"_s);
}

void tst_frmMain::doubleClickShowsColumnsKeysAndCount()
{
    openWindow(DemoSchema);
    choose(u"ORDERS"_s);
    QCOMPARE(grid().Rows(), 4);
    QCOMPARE(grid().TextMatrix(1, 0), u"NO"_s);
    QCOMPARE(grid().TextMatrix(1, 1), u"NUMBER(6)"_s);
    QCOMPARE(grid().TextMatrix(1, 2), u"KEY"_s);
    QCOMPARE(grid().TextMatrix(1, 3), u"NN"_s);
    QCOMPARE(grid().TextMatrix(3, 2), QString());
    QCOMPARE(grid().CellBackColor(2, 4), controls::GridCyan);
    QCOMPARE(grid().CellBackColor(3, 0), controls::GridWhite);
    QCOMPARE(basKovaData::ViewerCondition, u"ORDER BY NO,LINE"_s);
    auto* count = Child<QLabel>(*m_window, u"LblCnt"_s);
    QCOMPARE(count->text(), u"0"_s);
    QCOMPARE(count->palette().color(QPalette::WindowText), QColor(128, 255, 128));

    choose(u"ITEMS"_s);
    QCOMPARE(grid().Rows(), 9);
    QCOMPARE(count->text(), u"2"_s);
    QCOMPARE(int(basKovaData::ColumnCount), 8);
    QCOMPARE(basKovaData::ViewerCondition, u"ORDER BY CODE"_s);
    QVERIFY(m_messages->messages().isEmpty());
}

void tst_frmMain::tooManyColumns()
{
    openWindow(DemoSchema);
    basKovaData::MaxDisplayRows = 2;
    choose(u"ITEMS"_s);
    QCOMPARE(m_messages->texts(), QStringList{u"最大行を超えました"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Exclamation);
    QCOMPARE(m_messages->messages().first().title, Caption);
    QCOMPARE(grid().Rows(), 3);
    QCOMPARE(int(ColumnRules.size()), 1);
}

void tst_frmMain::brokenView()
{
    openWindow(DemoSchema);
    choose(u"BROKEN"_s);
    auto* count = Child<QLabel>(*m_window, u"LblCnt"_s);
    QCOMPARE(count->text(), u"ERROR"_s);
    QCOMPARE(count->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(m_messages->texts(), QStringList{u"ビューにエラーがあります。確認してください。"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
    QCOMPARE(m_messages->messages().first().title, Caption);
}

void tst_frmMain::typeDispatchMessages_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("message");
    QTest::newRow("number: its editor, cancelled") << 1 << 4 << QString();
    QTest::newRow("date: its editor, cancelled") << 5 << 4 << QString();
    QTest::newRow("nchar") << 6 << 4 << u"NCHAR型には対応していません。"_s;
    QTest::newRow("raw") << 7 << 4 << u"RAW型には対応していません。"_s;
    QTest::newRow("long: nothing") << 8 << 4 << QString();
    QTest::newRow("outside the rule column") << 6 << 1 << QString();
}

void tst_frmMain::typeDispatchMessages()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, message);
    openWindow(DemoSchema);
    choose(u"ITEMS"_s);
    // NUMBER (row 1) and DATE (row 5) open their editor; it is cancelled.
    const bool editor = col == 4 && (row == 1 || row == 5);
    bool opened = false;
    if (editor) {
        kovatest::WhenModal<frmRuleEditor>([](frmRuleEditor* window) {
            window->findChild<QPushButton*>(u"CmdCancel"_s)->click();
        }, &opened);
    }
    doubleClickCell(row, col);
    QCOMPARE(opened, editor);
    QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
        QCOMPARE(m_messages->messages().first().title, Caption);
    }
    QCOMPARE(grid().TextMatrix(row, 4), QString());
    QVERIFY(ColumnRules[std::size_t(row)].RuleKind.isBlank());
}

void tst_frmMain::rightButtonClearsOneRuleOrAll()
{
    openWindow(DemoSchema);
    choose(u"ITEMS"_s);
    for (int row = 1; row <= 3; ++row) {
        browser::BeginRuleEdit(row);
        basKovaData::CurrentRule.RuleKind = QString::number(row);
        basKovaData::EditCancelled = false;
        QVERIFY(browser::FinishRuleEdit(grid(), row));
    }
    QCOMPARE(grid().TextMatrix(2, 4), u"ランダム"_s);

    rightClickCell(2, 3);  // another column: nothing
    QCOMPARE(grid().TextMatrix(2, 4), u"ランダム"_s);

    rightClickCell(2, 4);
    QCOMPARE(grid().TextMatrix(2, 4), QString());
    QCOMPARE(grid().CellBackColor(2, 4), controls::GridWhite);
    QVERIFY(ColumnRules[2].RuleKind.isBlank());
    QCOMPARE(ColumnRules[1].RuleKind.text(), u"1"_s);

    rightClickCell(0, 4);
    for (int row = 1; row <= 3; ++row) {
        QCOMPARE(grid().TextMatrix(row, 4), QString());
        QVERIFY(ColumnRules[std::size_t(row)].RuleKind.isBlank());
    }
    QCOMPARE(grid().CellBackColor(1, 4), controls::GridCyan);  // the key column
    QCOMPARE(grid().CellForeColor(1, 4), controls::GridBlack);
    QCOMPARE(grid().CellBackColor(3, 4), controls::GridWhite);
    QCOMPARE(grid().TextMatrix(0, 4), u"設定"_s);
}

void tst_frmMain::preconditions_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("selectRules");
    QTest::addColumn<QString>("message");
    const QString tooMany = u"項目設定の「編集」は一度に５項目までにして下さい。"_s;
    QTest::newRow("viewer, no rows") << u"EMPTYT"_s << u"Cmd"_s << 0 << u"表示するデータがありません。"_s;
    QTest::newRow("delete, no rows") << u"EMPTYT"_s << u"Command1"_s << 0 << u"削除するデータがありません。"_s;
    QTest::newRow("update, no rows") << u"EMPTYT"_s << u"Command5"_s << 0 << u"削除するデータがありません。"_s;
    QTest::newRow("update, no rule") << u"ITEMS"_s << u"Command5"_s << 0 << u"項目設定を行って下さい。"_s;
    QTest::newRow("update, six select rules") << u"ITEMS"_s << u"Command5"_s << 6 << tooMany;
    QTest::newRow("update, five select rules") << u"ITEMS"_s << u"Command5"_s << 5 << QString();
    QTest::newRow("create, six select rules") << u"ITEMS"_s << u"CmdCreate"_s << 6 << tooMany;
    QTest::newRow("create, no rule") << u"EMPTYT"_s << u"CmdCreate"_s << 0 << QString();
    QTest::newRow("viewer with rows") << u"ITEMS"_s << u"Cmd"_s << 0 << QString();
    QTest::newRow("bulk setting") << u"ITEMS"_s << u"Command3"_s << 0 << QString();
    QTest::newRow("table information") << u"ITEMS"_s << u"Command7"_s << 0 << QString();
}

void tst_frmMain::preconditions()
{
    QFETCH(QString, table);
    QFETCH(QString, button);
    QFETCH(int, selectRules);
    QFETCH(QString, message);
    openWindow(DemoSchema);
    choose(table);
    for (int row = 1; row <= selectRules; ++row)
        ColumnRules[std::size_t(row)].RuleKind = u"4"_s;
    basKovaData::ChosenTable.clear();
    // A command that passes opens its window (closed again here).
    bool opened = false;
    const bool opens = message.isEmpty();
    auto close = [](QDialog* window) { window->reject(); };
    if (opens && button == u"CmdCreate"_s)
        kovatest::WhenModal<frmCreate>(close, &opened);
    else if (opens && button == u"Command3"_s)
        kovatest::WhenModal<frmSET99>(close, &opened);
    else if (opens && button == u"Command5"_s)
        kovatest::WhenModal<frmUpDate>(close, &opened);
    else if (opens && button == u"Cmd"_s)
        kovatest::WhenModal<frmSub>(close, &opened);
    else if (opens && button == u"Command7"_s)
        kovatest::WhenModal<frmSub4>(close, &opened);
    Child<QPushButton>(*m_window, button)->click();
    QCOMPARE(opened, opens);
    if (message.isEmpty()) {
        QVERIFY(m_messages->messages().isEmpty());
        QCOMPARE(basKovaData::ChosenTable, table);
    } else {
        QCOMPARE(m_messages->texts(), QStringList{message});
        QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
        QCOMPARE(m_messages->messages().first().title, Caption);
        QVERIFY(basKovaData::ChosenTable.isEmpty());
    }
}

void tst_frmMain::optionsAndHelpOpenModally()
{
    openWindow(DemoSchema);
    bool seen = false;
    kovatest::WhenModal<frmOptions>([](frmOptions* options) {
        QCOMPARE(options->findChild<QLineEdit*>(u"Text1"_s)->text(), u"300"_s);
        options->findChild<QLineEdit*>(u"Text1"_s)->setText(u"1000"_s);
        options->findChild<QPushButton*>(u"cmdOK"_s)->click();
    }, &seen);
    basKovaData::AppDirectory = m_dir->path() + u"/"_s;
    Child<QPushButton>(*m_window, u"Command6"_s)->click();
    QVERIFY(seen);
    QCOMPARE(int(basKovaData::MaxDisplayRows), 1000);
    QCOMPARE(QFile(m_dir->filePath(u"KovaOpt.dat"_s)).size(), 236);

    QString firstLine;
    kovatest::WhenModal<frmHELP>([&firstLine](frmHELP* help) {
        firstLine = help->findChild<QLabel*>(u"Label1_0"_s)->text();
    }, &seen);
    Child<QPushButton>(*m_window, u"Command2"_s)->click();
    QVERIFY(seen);
    QCOMPARE(int(basKovaData::HelpTopic), 1);
    QCOMPARE(firstLine, u"任意のオラクルデータベーステーブルに対してテストデータを作成します。"_s);
}

void tst_frmMain::viewDefinitionAndLogOpen()
{
    openWindow(DemoSchema);
    choose(u"ITEM_NAMES"_s);
    auto close = [](QDialog* window) { window->reject(); };
    bool view = false;
    kovatest::WhenModal<frmSub3>(close, &view);
    Child<QPushButton>(*m_window, u"Command7"_s)->click();
    QVERIFY(view);
    QCOMPARE(basKovaData::ChosenTable, u"ITEM_NAMES"_s);
    bool log = false;
    kovatest::WhenModal<frmSub5>(close, &log);
    Child<QPushButton>(*m_window, u"Command9"_s)->click();
    QVERIFY(log);
}

void tst_frmMain::sqlPlusWrongAndRightPath()
{
    openWindow(DemoSchema);
    basKovaData::SqlPlusLogin = u"scott/tiger@demo.db"_s;
    basKovaData::SqlPlusPath = basKovaData::FixedText(m_dir->filePath(u"missing"_s), 100);
    auto* command8 = Child<QPushButton>(*m_window, u"Command8"_s);
    command8->click();
    QCOMPARE(m_messages->texts(),
             QStringList{u"SQL PLUSのパス設定が間違っています。オプションで設定してください。"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Exclamation);
    QCOMPARE(m_messages->messages().first().title, Caption);

    m_messages->clear();
    const QString record = m_dir->filePath(u"argument.txt"_s);
    const QString standIn = m_dir->filePath(u"sqlplus"_s);
    QVERIFY(kovatest::WriteFile(
        standIn, u"#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp'\nmv '%1.tmp' '%1'\n"_s.arg(record).toUtf8()));
    QVERIFY(QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    basKovaData::SqlPlusPath = basKovaData::FixedText(standIn, 100);
    command8->click();
    QVERIFY(m_messages->messages().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QCOMPARE(kovatest::ReadFile(record), "scott/tiger@demo.db|");
}

void tst_frmMain::closingReleasesTheSession()
{
    openWindow(DemoSchema);
    std::weak_ptr<OraSession> session = basKovaData::OraSession;
    QVERIFY(!session.expired());
    Child<QPushButton>(*m_window, u"Command4"_s)->click();
    QTRY_VERIFY(m_window.isNull());  // closed and deleted
    QVERIFY(!basKovaData::OraDatabase);
    QVERIFY(!basKovaData::OraSession);
    QVERIFY(session.expired());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
