// label: gui
#include "controls/TabStrip.h"
#include "session/Options.h"
#include "login/frmOptions.h"
#include "shared/basKovaData.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Caption = QStringLiteral("ｵﾌﾟｼｮﾝ");
const QString NotANumber = QStringLiteral("１以上の数値を入力してください。");
const QString BelowOne = QStringLiteral("最大行数は１以上にしてください。");
const QString AboveLargest = QStringLiteral("最大行数は３２７６７以下にしてください。");
const QString StartPath = QStringLiteral("/opt/oracle/bin/sqlplus");

QByteArray Int32Bytes(qint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((static_cast<quint32>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

}  // namespace

class TestFrmOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opening();
    void controlTexts_data();
    void controlTexts();
    void focusSelects();
    void refused_data();
    void refused();
    void applied_data();
    void applied();
    void cancel();
    void fileCannotBeWritten();
    void pageKeys_data();
    void pageKeys();
    void tabClickPlacesPage();

private:
    QString optionsFile() const { return m_dir->filePath(QStringLiteral("KovaOpt.dat")); }
    frmOptions* open();
    template <class T>
    T* control(const char* name) const
    {
        T* widget = m_window ? m_window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!widget)
            qFatal("control %s not found", name);
        return widget;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
    std::unique_ptr<frmOptions> m_window;
};

void TestFrmOptions::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    basKovaData::AppDirectory = m_dir->path() + QLatin1Char('/');
    basKovaData::MaxDisplayRows = 1234;
    basKovaData::SqlPlusPath = basKovaData::FixedText(StartPath, basKovaData::SqlPlusPathWidth);
    m_messages = std::make_unique<kovatest::MessageRecorder>();
}

void TestFrmOptions::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_dir.reset();
}

frmOptions* TestFrmOptions::open()
{
    m_window = std::make_unique<frmOptions>();
    m_window->show();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        qWarning("the options window did not become active");
    return m_window.get();
}

void TestFrmOptions::opening()
{
    open();
    QCOMPARE(m_window->windowTitle(), Caption);
    QCOMPARE(control<QLineEdit>("Text1")->text(), QStringLiteral("1234"));
    QCOMPARE(control<QLineEdit>("Text2")->text(), StartPath);

    auto* tabs = control<controls::TabStrip>("tbsOptions");
    QCOMPARE(tabs->tabCount(), 1);
    QCOMPARE(tabs->selectedIndex(), 1);
    QCOMPARE(tabs->caption(1), QStringLiteral("オプション設定"));
    QCOMPARE(tabs->key(1), QStringLiteral("Group1"));
    QCOMPARE(tabs->toolTip(1), QStringLiteral("ｵﾌﾟｼｮﾝの設定"));

    auto* page = control<QWidget>("picOptions_0");
    QCOMPARE(page->x(), 210 / 15);
    QVERIFY(page->isEnabled());
    QVERIFY(page->isAncestorOf(control<QLineEdit>("Text1")));

    const QRect screen = m_window->screen()->geometry();
    QCOMPARE(m_window->x(), screen.x() + (screen.width() - m_window->width()) / 2);
    QCOMPARE(m_window->y(), screen.y() + (screen.height() - m_window->height()) / 2);
}

void TestFrmOptions::controlTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1") << "Label1" << QStringLiteral("１．シートの最大表示行数");
    QTest::newRow("Label2") << "Label2" << QStringLiteral("２．SQL-PLUSのパス");
    QTest::newRow("Label3") << "Label3"
                            << QStringLiteral("一般的な場所はカレントドライブのorant\\BIN\\PLUS80W.EXE");
    QTest::newRow("Label4") << "Label4"
                            << QStringLiteral("ファイル名はバージョンにより異なる可能性があります。");
    QTest::newRow("Label5")
        << "Label5" << QStringLiteral("スタートメニュー内のSQL PLUSのショートカットのプロパティでパスを");
    QTest::newRow("Label6") << "Label6" << QStringLiteral("確認するのが最も確実です。");
    QTest::newRow("cmdOK") << "cmdOK" << QStringLiteral("OK");
    QTest::newRow("cmdCancel") << "cmdCancel" << QStringLiteral("ｷｬﾝｾﾙ");
}

void TestFrmOptions::controlTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    open();
    QWidget* widget = m_window->findChild<QWidget*>(name);
    QVERIFY(widget);
    if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        QCOMPARE(button->text(), text);
    else
        QFAIL("neither a label nor a button");
}

void TestFrmOptions::focusSelects()
{
    open();
    auto* text1 = control<QLineEdit>("Text1");
    auto* text2 = control<QLineEdit>("Text2");
    QCOMPARE(QApplication::focusWidget(), text1);

    // The path box selects as many characters as its trimmed text has.
    text2->setText(QStringLiteral("/usr/bin/sqlplus   "));
    QTest::keyClick(text1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), text2);
    QCOMPARE(text2->selectionStart(), 0);
    QCOMPARE(text2->selectedText(), QStringLiteral("/usr/bin/sqlplus"));

    text1->setText(QStringLiteral("777"));
    text1->setFocus(Qt::OtherFocusReason);
    QCOMPARE(text1->selectedText(), QStringLiteral("777"));
}

void TestFrmOptions::refused_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("message");

    QTest::newRow("letters") << QStringLiteral("abc") << NotANumber;
    QTest::newRow("digits then letters") << QStringLiteral("12abc") << NotANumber;
    QTest::newRow("empty") << QString() << NotANumber;
    QTest::newRow("0") << QStringLiteral("0") << BelowOne;
    QTest::newRow("-5") << QStringLiteral("-5") << BelowOne;
    QTest::newRow("0.4") << QStringLiteral("0.4") << BelowOne;
    QTest::newRow("0.5 (would round to 0)") << QStringLiteral("0.5") << BelowOne;
    QTest::newRow("32768") << QStringLiteral("32768") << AboveLargest;
    QTest::newRow("32767.5 rounds to 32768") << QStringLiteral("32767.5") << AboveLargest;
    QTest::newRow("70000") << QStringLiteral("70000") << AboveLargest;
    QTest::newRow("1e300") << QStringLiteral("1e300") << AboveLargest;
}

void TestFrmOptions::refused()
{
    QFETCH(QString, rows);
    QFETCH(QString, message);

    open();
    auto* text1 = control<QLineEdit>("Text1");
    text1->setText(rows);
    control<QLineEdit>("Text2")->setFocus();
    control<QLineEdit>("Text2")->setText(QStringLiteral("/new/path"));
    QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton);

    QCOMPARE(m_messages->texts(), QStringList{message});
    const basKovaData::MessageRequest& shown = m_messages->messages().at(0);
    QCOMPARE(shown.icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(shown.title, Caption);
    QVERIFY(m_window->isVisible());
    QCOMPARE(QApplication::focusWidget(), text1);
    QCOMPARE(text1->text(), rows);
    QCOMPARE(basKovaData::MaxDisplayRows, 1234);
    QCOMPARE(basKovaData::SqlPlusPath.trimmed(), StartPath);
    QVERIFY(!QFileInfo::exists(optionsFile()));
}

void TestFrmOptions::applied_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<QString>("sqlPlusPath");  // trimmed

    QTest::newRow("1000") << QStringLiteral("1000") << QStringLiteral("/usr/bin/sqlplus") << 1000
                          << QStringLiteral("/usr/bin/sqlplus");
    QTest::newRow("2.5 rounds to 2") << QStringLiteral("2.5") << StartPath << 2 << StartPath;
    QTest::newRow("1.5 rounds to 2") << QStringLiteral("1.5") << StartPath << 2 << StartPath;
    QTest::newRow("32767") << QStringLiteral("32767") << StartPath << 32767 << StartPath;
    QTest::newRow("blanks and exponent") << QStringLiteral(" 1e3 ") << StartPath << 1000 << StartPath;
    // No default comes back for a blank path.
    QTest::newRow("path of blanks") << QStringLiteral("300") << QStringLiteral("     ") << 300
                                    << QString();
    QTest::newRow("path trimmed") << QStringLiteral("300") << QStringLiteral("  /x/y  ") << 300
                                  << QStringLiteral("/x/y");
}

void TestFrmOptions::applied()
{
    QFETCH(QString, rows);
    QFETCH(QString, path);
    QFETCH(int, maxRows);
    QFETCH(QString, sqlPlusPath);

    // A file from before is replaced.
    QVERIFY(kovatest::WriteFile(optionsFile(), QByteArray(500, 'z')));
    open();
    control<QLineEdit>("Text1")->setText(rows);
    control<QLineEdit>("Text2")->setText(path);
    QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton);

    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(m_window->result(), int(QDialog::Accepted));
    QVERIFY(!m_window->isVisible());
    const QString fullPath = basKovaData::FixedText(sqlPlusPath, 100);
    QCOMPARE(basKovaData::MaxDisplayRows, maxRows);
    QCOMPARE(basKovaData::SqlPlusPath, fullPath);

    const QByteArray bytes = kovatest::ReadFile(optionsFile());
    QCOMPARE(bytes.size(), 236);
    QCOMPARE(bytes.left(4), Int32Bytes(maxRows));
    QCOMPARE(bytes.mid(4, 100), fullPath.toLatin1());
    QCOMPARE(bytes.mid(104), QByteArray(132, '\0'));

    // After a restart.
    const QString directory = basKovaData::AppDirectory;
    basKovaData::ResetForTests();
    basKovaData::AppDirectory = directory;
    basKovaData::LoadOptions();
    QCOMPARE(basKovaData::MaxDisplayRows, maxRows);
    QCOMPARE(basKovaData::SqlPlusPath, fullPath);
}

void TestFrmOptions::cancel()
{
    const QByteArray before = QByteArray(4, '\x05') + QByteArray(232, ' ');
    QVERIFY(kovatest::WriteFile(optionsFile(), before));
    open();
    control<QLineEdit>("Text1")->setText(QStringLiteral("50"));
    control<QLineEdit>("Text2")->setText(QStringLiteral("/other"));
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);

    QCOMPARE(m_window->result(), int(QDialog::Rejected));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(basKovaData::MaxDisplayRows, 1234);
    QCOMPARE(basKovaData::SqlPlusPath.trimmed(), StartPath);
    QCOMPARE(kovatest::ReadFile(optionsFile()), before);
}

void TestFrmOptions::fileCannotBeWritten()
{
    // The options apply to this run even when the file cannot be written;
    // the user is told so.
    basKovaData::AppDirectory = m_dir->path() + QStringLiteral("/missing/");
    open();
    control<QLineEdit>("Text1")->setText(QStringLiteral("500"));
    QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton);

    QCOMPARE(m_messages->messages().size(), 1);
    const basKovaData::MessageRequest& shown = m_messages->messages().at(0);
    QVERIFY2(shown.text.startsWith(QStringLiteral("オプションファイルを保存できませんでした。")),
             qPrintable(shown.text));
    QCOMPARE(shown.icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(shown.title, Caption);
    QCOMPARE(m_window->result(), int(QDialog::Accepted));
    QCOMPARE(basKovaData::MaxDisplayRows, 500);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("missing"))));
}

void TestFrmOptions::pageKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("pageRestored");

    // With the only tab selected, the next tab is the first again, and
    // selecting it puts its page back in place.
    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << true;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl+Shift+Tab") << int(Qt::Key_Backtab)
                                    << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << false;
}

void TestFrmOptions::pageKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, pageRestored);

    open();
    auto* page = control<QWidget>("picOptions_0");
    const QPoint placed = page->pos();
    page->move(-300, placed.y());
    page->setEnabled(false);

    QTest::keyClick(control<QPushButton>("cmdOK"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(control<controls::TabStrip>("tbsOptions")->selectedIndex(), 1);
    QCOMPARE(page->pos(), pageRestored ? placed : QPoint(-300, placed.y()));
    QCOMPARE(page->isEnabled(), pageRestored);
    QVERIFY(m_window->isVisible());
}

void TestFrmOptions::tabClickPlacesPage()
{
    open();
    auto* page = control<QWidget>("picOptions_0");
    const QPoint placed = page->pos();
    page->move(-300, placed.y());
    page->setEnabled(false);

    QTabBar* bar = control<controls::TabStrip>("tbsOptions")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    QCOMPARE(page->pos(), placed);
    QVERIFY(page->isEnabled());
}

QTEST_MAIN(TestFrmOptions)
#include "tst_frmOptions.moc"
