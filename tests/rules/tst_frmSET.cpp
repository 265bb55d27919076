// label: gui
#include "rules/RuleEditing.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET03.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using basKovaData::CurrentRule;

namespace {

using kovatest::Click;
using kovatest::Find;

QLineEdit* Box(QWidget* w, const QString& name)
{
    return Find<QLineEdit>(w, name);
}

void Retype(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

}  // namespace

class TestFrmSET : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_window.reset(); }

    void freshColumnStoresSingleZero();
    void columnMarks_data();
    void columnMarks();
    void typingReadsLeadingNumber();
    void switchingKindShowsKeptSlots();
    void emptyMultipleTicksFirstSlot();
    void closingWithoutSet_data();
    void closingWithoutSet();
    void longTextKeptAs100();
    void storedTextSelectsTrimmedPart();
    void paddingSharedBetweenFrames();
    void dateBoxesTake15();
    void dateCheckFocusesBox();
    void enterKey();

private:
    template <class W>
    W* open();
    std::unique_ptr<QDialog> m_window;
};

void TestFrmSET::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    CurrentRule.ColumnName = u"AMOUNT"_s;
    CurrentRule.TypeText = u"NUMBER(8)"_s;
}

template <class W>
W* TestFrmSET::open()
{
    auto window = std::make_unique<W>();
    W* w = window.get();
    m_window = std::move(window);
    w->show();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("editor not active");
    return w;
}

void TestFrmSET::freshColumnStoresSingleZero()
{
    kovatest::MessageRecorder messages;
    auto* w = open<frmSET01>();
    QCOMPARE(w->windowTitle(), u"数字型項目設定"_s);
    QVERIFY(Find<QRadioButton>(w, u"OptSET_0"_s)->isChecked());
    QVERIFY(Find<QGroupBox>(w, u"FrmSET_0"_s)->isVisible());
    QVERIFY(!Find<QGroupBox>(w, u"FrmSET_2"_s)->isVisible());
    QCOMPARE(Box(w, u"TxtNUM01"_s)->text(), u"0"_s);
    QCOMPARE(Box(w, u"txtSET"_s)->text(), u"AMOUNT"_s);
    QVERIFY(w->G_bFormLoad);
    basKovaData::EditCancelled = true;
    Click(w, u"CmdSET"_s);
    QCOMPARE(CurrentRule.RuleKind.text(), u"0"_s);
    QCOMPARE(CurrentRule.NumValue[0], 0.0);
    QVERIFY(!basKovaData::EditCancelled);
    QCOMPARE(w->result(), int(QDialog::Accepted));
    QVERIFY(messages.texts().isEmpty());
}

void TestFrmSET::columnMarks_data()
{
    QTest::addColumn<bool>("key");
    QTest::addColumn<bool>("notNull");
    QTest::newRow("plain") << false << false;
    QTest::newRow("key, not null") << true << true;
    QTest::newRow("not null") << false << true;
}

void TestFrmSET::columnMarks()
{
    QFETCH(bool, key);
    QFETCH(bool, notNull);
    CurrentRule.IsKey = key;
    CurrentRule.IsNotNull = notNull;
    auto* w = open<frmSET02>();
    auto* keyLabel = Find<QLabel>(w, u"LblSET_1"_s);
    auto* notNullLabel = Find<QLabel>(w, u"LblSET_2"_s);
    QCOMPARE(keyLabel->isVisible(), key);
    QCOMPARE(keyLabel->text(), key ? u"KEY"_s : QString());
    QCOMPARE(notNullLabel->isVisible(), notNull);
    QCOMPARE(notNullLabel->text(), notNull ? u"NOT NULL"_s : QString());
    QCOMPARE(Find<QRadioButton>(w, u"OptSET_5"_s)->isEnabled(), !notNull);
    QCOMPARE(Find<QLabel>(w, u"LblSET_3"_s)->text(), u"NUMBER(8)"_s);
}

void TestFrmSET::typingReadsLeadingNumber()
{
    kovatest::MessageRecorder messages;
    auto* w = open<frmSET01>();
    Retype(Box(w, u"TxtNUM01"_s), u"1,000"_s);
    QCOMPARE(CurrentRule.NumValue[0], 1.0);
    QVERIFY(messages.texts().isEmpty());
}

void TestFrmSET::switchingKindShowsKeptSlots()
{
    CurrentRule.MultiOn[7] = true;
    CurrentRule.NumValue[7] = 42;
    auto* w = open<frmSET01>();
    Retype(Box(w, u"TxtNUM01"_s), u"5"_s);
    Click(w, u"OptSET_2"_s);
    QCOMPARE(CurrentRule.RuleKind.text(), u"2"_s);
    QVERIFY(Find<QGroupBox>(w, u"FrmSET_2"_s)->isVisible());
    QVERIFY(!Find<QGroupBox>(w, u"FrmSET_0"_s)->isVisible());
    QCOMPARE(Box(w, u"TxtNUM03_0"_s)->text(), u"5"_s);
    QCOMPARE(QApplication::focusWidget(), Box(w, u"TxtNUM03_0"_s));
    // Showing the multiple frame keeps the slots it did not show before.
    Click(w, u"OptSET_1"_s);
    QCOMPARE(Box(w, u"TxtNUM02_7"_s)->text(), u"42"_s);
    QVERIFY(Box(w, u"TxtNUM02_7"_s)->isEnabled());
    QVERIFY(!Box(w, u"TxtNUM02_6"_s)->isEnabled());
    QCOMPARE(CurrentRule.NumValue[7], 42.0);
}

void TestFrmSET::emptyMultipleTicksFirstSlot()
{
    kovatest::MessageRecorder messages;
    auto* w = open<frmSET01>();
    Click(w, u"OptSET_1"_s);
    Click(w, u"CmdSET"_s);
    QCOMPARE(messages.texts(), QStringList{basKovaData::RuleMessages::NoMultiple});
    QCOMPARE(messages.messages().first().icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(messages.messages().first().title, u"数字型項目設定"_s);
    QVERIFY(w->isVisible());
    QVERIFY(Find<QCheckBox>(w, u"ChkMulti_0"_s)->isChecked());
    QVERIFY(CurrentRule.MultiOn[0]);
    QCOMPARE(QApplication::focusWidget(), Box(w, u"TxtNUM02_0"_s));
    Click(w, u"CmdSET"_s);  // now a slot is in use
    QVERIFY(!w->isVisible());
    QVERIFY(!basKovaData::EditCancelled);
}

void TestFrmSET::closingWithoutSet_data()
{
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("キャンセル") << false;
    QTest::newRow("title bar") << true;
}

void TestFrmSET::closingWithoutSet()
{
    QFETCH(bool, titleBar);
    auto* w = open<frmSET01>();
    Retype(Box(w, u"TxtNUM01"_s), u"9"_s);
    if (titleBar)
        w->close();
    else
        Click(w, u"CmdCancel"_s);
    QVERIFY(!w->isVisible());
    QVERIFY(basKovaData::EditCancelled);
    // The work copy took the typing; only the flag keeps it from the column.
    QCOMPARE(CurrentRule.NumValue[0], 9.0);
}

void TestFrmSET::longTextKeptAs100()
{
    auto* w = open<frmSET02>();
    QCOMPARE(w->windowTitle(), u"文字列型項目設定"_s);
    // A text shows as stored: blank-padded, the blank rule too.
    QCOMPARE(Box(w, u"TxtNUM01"_s)->text(), QString(100, u' '));
    QString text;
    for (int i = 0; i < 120; ++i)
        text += QChar(u'A' + i % 26);
    Retype(Box(w, u"TxtNUM01"_s), text);
    QCOMPARE(CurrentRule.TextValue[0].text(), text.left(100));
}

void TestFrmSET::storedTextSelectsTrimmedPart()
{
    CurrentRule.RuleKind = basKovaData::RuleKinds::Single;
    CurrentRule.TextValue[0] = u"ABC"_s;
    auto* w = open<frmSET02>();
    QLineEdit* box = Box(w, u"TxtNUM01"_s);
    QCOMPARE(box->text(), u"ABC"_s + QString(97, u' '));
    Find<QPushButton>(w, u"CmdSET"_s)->setFocus();
    box->setFocus(Qt::TabFocusReason);
    QCOMPARE(box->selectedText(), u"ABC"_s);
    Find<QPushButton>(w, u"CmdSET"_s)->setFocus();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
    QTRY_COMPARE(box->selectedText(), u"ABC"_s);
}

void TestFrmSET::paddingSharedBetweenFrames()
{
    auto* w = open<frmSET02>();
    QVERIFY(Find<QRadioButton>(w, u"optSET03_0"_s)->isChecked());
    QCOMPARE(Find<QRadioButton>(w, u"optSET03_0"_s)->text(), u"０埋め       000123"_s);
    Click(w, u"OptSET_2"_s);
    Click(w, u"optSET03_1"_s);
    QVERIFY(!CurrentRule.MultiOn[1]);
    QVERIFY(CurrentRule.MultiOn[2]);
    Click(w, u"OptSET_3"_s);
    QVERIFY(Find<QRadioButton>(w, u"optSET04_1"_s)->isChecked());
    Click(w, u"optSET04_2"_s);
    Click(w, u"OptSET_2"_s);
    QVERIFY(Find<QRadioButton>(w, u"optSET03_2"_s)->isChecked());
    QVERIFY(CurrentRule.MultiOn[1] && CurrentRule.MultiOn[2]);
}

void TestFrmSET::dateBoxesTake15()
{
    auto* w = open<frmSET03>();
    QCOMPARE(w->windowTitle(), u"日付型用項目設定"_s);
    for (const QString& name : {u"TxtNUM01"_s, u"TxtNUM02_15"_s, u"TxtNUM03_2"_s, u"TxtNUM04_1"_s}) {
        QCOMPARE(Box(w, name)->text(), QString());
        QCOMPARE(Box(w, name)->maxLength(), 15);
    }
    Retype(Box(w, u"TxtNUM01"_s), u"20011231 2359599"_s);
    QCOMPARE(CurrentRule.TextValue[0].trimmed(), u"20011231 235959"_s);
}

void TestFrmSET::dateCheckFocusesBox()
{
    kovatest::MessageRecorder messages;
    auto* w = open<frmSET03>();
    Click(w, u"OptSET_2"_s);
    Retype(Box(w, u"TxtNUM03_0"_s), u"20020101"_s);
    Retype(Box(w, u"TxtNUM03_1"_s), u"20011231 235959"_s);
    Retype(Box(w, u"TxtNUM03_2"_s), u"1"_s);
    Click(w, u"CmdSET"_s);
    QCOMPARE(messages.texts(), QStringList{basKovaData::RuleMessages::MinAboveMax});
    QCOMPARE(messages.messages().first().title, u"日付型用項目設定"_s);
    QCOMPARE(QApplication::focusWidget(), Box(w, u"TxtNUM03_0"_s));
    QVERIFY(w->isVisible());
}

void TestFrmSET::enterKey()
{
    CurrentRule.RuleKind = basKovaData::RuleKinds::Select;
    auto* w = open<frmSET01>();
    auto* sql = Find<QPlainTextEdit>(w, u"TxtSQL"_s);
    QVERIFY(sql->isVisible());
    sql->setFocus();
    QVERIFY(w->G_bFcCan);
    QTest::keyClicks(sql, u"SELECT A"_s);
    QTest::keyClick(sql, Qt::Key_Return);
    QTest::keyClicks(sql, u"FROM T"_s);
    QCOMPARE(QApplication::focusWidget(), sql);
    QCOMPARE(basKovaData::JoinStatement(CurrentRule), u"SELECT A\nFROM T"_s);

    Click(w, u"OptSET_0"_s);
    QVERIFY(!w->G_bFcCan);
    QLineEdit* single = Box(w, u"TxtNUM01"_s);
    QCOMPARE(QApplication::focusWidget(), single);
    QTest::keyClick(single, Qt::Key_Return);
    QVERIFY(QApplication::focusWidget() != single);
    QVERIFY(w->isVisible());
}

QTEST_MAIN(TestFrmSET)
#include "tst_frmSET.moc"
