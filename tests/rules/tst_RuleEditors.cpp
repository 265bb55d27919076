// label: gui
// The rule editors and the bulk setting window over the work copy of a rule.
#include "browser/ColumnGrid.h"
#include "browser/GridActions.h"
#include "generate/ColumnProfile.h"
#include "rules/RuleEditing.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET03.h"
#include "rules/frmSET99.h"
#include "support/MaintainSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QJsonDocument>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using basKovaData::CurrentRule;
using basKovaData::MessageIcon;
using kovatest::Click;
using kovatest::Find;

namespace {

QLineEdit* Box(const QWidget* w, const QString& name)
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

// Enter starts a new line in a box of several lines.
void TypeLines(QWidget* box, const QString& text)
{
    box->setFocus();
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i)
            QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, lines[i]);
    }
}

}  // namespace

class tst_RuleEditors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        kovatest::ResetProgramState();
    }
    void cleanup() { m_window.reset(); }

    void closing_data()
    {
        QTest::addColumn<QString>("button");  // empty: the title bar
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("設定") << u"CmdSET"_s << false;
        QTest::newRow("キャンセル") << u"CmdCancel"_s << true;
        QTest::newRow("title bar") << u""_s << true;
    }
    void closing()
    {
        QFETCH(QString, button);
        QFETCH(bool, cancelled);
        kovatest::MessageRecorder messages;
        auto* w = open<frmSET01>();
        // A column without a rule opens on a single fixed 0.
        QVERIFY(Find<QAbstractButton>(w, u"OptSET_0"_s)->isChecked());
        QVERIFY(!Find<QGroupBox>(w, u"FrmSET_2"_s)->isVisible());
        QCOMPARE(Box(w, u"TxtNUM01"_s)->text(), u"0"_s);
        Retype(Box(w, u"TxtNUM01"_s), u"9x"_s);
        basKovaData::EditCancelled = !cancelled;
        if (button.isEmpty())
            w->close();
        else
            Click(w, button);
        QVERIFY(!w->isVisible());
        QCOMPARE(basKovaData::EditCancelled, cancelled);
        // The work copy took the typing; only the flag keeps it from the column.
        QCOMPARE(CurrentRule.RuleKind.trimmed(), cancelled ? u""_s : u"0"_s);
        QCOMPARE(CurrentRule.NumValue[0], 9.0);
        QVERIFY(messages.texts().isEmpty());
    }
    void columnMarks_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("key");
        QTest::addColumn<bool>("notNull");
        QTest::newRow("key") << 1 << true << true;
        QTest::newRow("not null") << 2 << false << true;
    }
    void columnMarks()
    {
        QFETCH(int, column);
        QFETCH(bool, key);
        QFETCH(bool, notNull);
        // The marks as the dictionary gives them, through the column grid.
        kovatest::Connected db({u"CREATE TABLE T (K NUMBER(4) PRIMARY KEY, N VARCHAR2(5) NOT NULL)"_s});
        browser::FillColumnGrid(db.database(), m_grid, u"T"_s, true);
        browser::BeginRuleEdit(column);
        auto* w = open<frmSET02>();
        auto* keyMark = Find<QLabel>(w, u"LblSET_1"_s);
        auto* notNullMark = Find<QLabel>(w, u"LblSET_2"_s);
        QCOMPARE(keyMark->isVisible() ? keyMark->text() : u"-"_s, key ? u"KEY"_s : u"-"_s);
        QCOMPARE(notNullMark->isVisible() ? notNullMark->text() : u"-"_s, notNull ? u"NOT NULL"_s : u"-"_s);
        // NULL cannot be chosen for a NOT NULL column.
        QCOMPARE(Find<QRadioButton>(w, u"OptSET_5"_s)->isEnabled(), !notNull);
    }
    void emptyMultipleTicksFirstSlot()
    {
        kovatest::MessageRecorder messages;
        auto* w = open<frmSET01>();
        Click(w, u"OptSET_1"_s);
        Click(w, u"CmdSET"_s);
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Exclamation, u"数字型項目設定"_s),
                 QStringList{basKovaData::RuleMessages::NoMultiple});
        QVERIFY(w->isVisible());
        QVERIFY(Find<QAbstractButton>(w, u"ChkMulti_0"_s)->isChecked() && CurrentRule.MultiOn[0]);
        QCOMPARE(QApplication::focusWidget(), Box(w, u"TxtNUM02_0"_s));
        // The sixteenth box is a slot like the others.
        Click(w, u"ChkMulti_15"_s);
        Retype(Box(w, u"TxtNUM02_15"_s), u"16"_s);
        QCOMPARE(CurrentRule.NumValue[15], 16.0);
        Click(w, u"CmdSET"_s);  // now a slot is in use
        QVERIFY(!w->isVisible());
    }
    void dateCheckFocusesBox()
    {
        kovatest::MessageRecorder messages;
        auto* w = open<frmSET03>();
        for (const QString& name : {u"TxtNUM01"_s, u"TxtNUM02_15"_s, u"TxtNUM03_2"_s, u"TxtNUM04_1"_s})
            QCOMPARE(Box(w, name)->maxLength(), 15);
        Click(w, u"OptSET_2"_s);
        Retype(Box(w, u"TxtNUM03_0"_s), u"20020101"_s);
        Retype(Box(w, u"TxtNUM03_1"_s), u"20011231 2359599"_s);
        Retype(Box(w, u"TxtNUM03_2"_s), u"1"_s);
        QCOMPARE(CurrentRule.TextValue[1].trimmed(), u"20011231 235959"_s);
        Click(w, u"CmdSET"_s);
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Exclamation, u"日付型用項目設定"_s),
                 QStringList{basKovaData::RuleMessages::MinAboveMax});
        QCOMPARE(QApplication::focusWidget(), Box(w, u"TxtNUM03_0"_s));
    }
    // The character editor's 辞書 kind keeps the dictionary chosen from its
    // list; the other editors have no such kind.
    void dictionaryKind()
    {
        auto* numbers = open<frmSET01>();
        QVERIFY(!numbers->findChild<QWidget*>(u"OptSET_6"_s));
        CurrentRule.TypeText = u"VARCHAR2(40)"_s;
        auto* w = open<frmSET02>();
        Click(w, u"OptSET_6"_s);
        auto* list = Find<QComboBox>(w, u"CboDIC"_s);
        QVERIFY(list->isVisible() && !Find<QGroupBox>(w, u"FrmSET_0"_s)->isVisible());
        QCOMPARE(list->count(), 14);
        QCOMPARE(CurrentRule.TextValue[0].trimmed(), u"姓"_s);
        list->setCurrentIndex(list->findText(u"住所"_s));
        Click(w, u"CmdSET"_s);
        QVERIFY(!basKovaData::EditCancelled);
        QCOMPARE(CurrentRule.RuleKind.text() + CurrentRule.TextValue[0].trimmed(), u"6住所"_s);
        auto* again = open<frmSET02>();
        QCOMPARE(Find<QComboBox>(again, u"CboDIC"_s)->currentText(), u"住所"_s);
    }

    // What each kind lets the user set besides its values.
    void shapeControls_data()
    {
        QTest::addColumn<int>("editor");  // 1 numbers, 2 texts, 3 dates
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("frame");  // the frame shown, "" for none
        QTest::addColumn<bool>("rate");      // TxtNULL enabled
        QTest::addColumn<bool>("unique");    // ChkUNQ enabled
        QTest::newRow("numbers: 単一固定") << 1 << QStringList{} << u"FrmSET_0"_s << true << false;
        QTest::newRow("numbers: ランダム") << 1 << QStringList{u"OptSET_2"_s} << u"FrmSET_2"_s << true << true;
        QTest::newRow("numbers: Null") << 1 << QStringList{u"OptSET_5"_s} << u""_s << false << false;
        QTest::newRow("numbers: 式") << 1 << QStringList{u"OptSET_8"_s} << u"FrmSET_8"_s << true << false;
        QTest::newRow("texts: 複数固定 in turn") << 2 << QStringList{u"OptSET_1"_s, u"OptORD_1"_s, u"OptORD_0"_s} << u"FrmSET_1"_s << true << false;
        QTest::newRow("texts: 複数固定 at random") << 2 << QStringList{u"OptSET_1"_s, u"OptORD_1"_s} << u"FrmSET_1"_s << true << true;
        QTest::newRow("texts: 辞書") << 2 << QStringList{u"OptSET_6"_s} << u"FrmSET_6"_s << true << true;
        QTest::newRow("texts: パターン") << 2 << QStringList{u"OptSET_7"_s} << u"FrmSET_7"_s << true << true;
        QTest::newRow("dates: ランダム") << 3 << QStringList{u"OptSET_2"_s} << u"FrmSET_2"_s << true << true;
        QTest::newRow("dates: 式 after Null") << 3 << QStringList{u"OptSET_5"_s, u"OptSET_8"_s} << u"FrmSET_8"_s << true << false;
    }
    void shapeControls()
    {
        QFETCH(int, editor);
        QFETCH(QStringList, clicks);
        QFETCH(QString, frame);
        QWidget* w = openEditor(editor);
        QCOMPARE(bool(w->findChild<QWidget*>(u"OptSET_7"_s)), editor == 2);
        QCOMPARE(Box(w, u"TxtNULL"_s)->text(), u"0"_s);
        for (const QString& name : clicks)
            Click(w, name);
        for (int kind = 0; kind <= 8; ++kind) {
            const auto* shown = w->findChild<QGroupBox*>(u"FrmSET_%1"_s.arg(kind));
            QCOMPARE(shown && shown->isVisible(), shown && shown->objectName() == frame);
        }
        QTEST(Box(w, u"TxtNULL"_s)->isEnabled(), "rate");
        QTEST(Find<QCheckBox>(w, u"ChkUNQ"_s)->isEnabled(), "unique");
        const bool random = Find<QRadioButton>(w, u"OptORD_1"_s)->isChecked();
        for (const QString& weight : {u"TxtWGT_0"_s, u"TxtWGT_15"_s})
            QCOMPARE(Box(w, weight)->isEnabled(), random);
    }
    // 設定 keeps the shape controls, or refuses them with the focus on the box to correct.
    void settingShapes_data()
    {
        QTest::addColumn<int>("editor");
        QTest::addColumn<bool>("notNull");
        QTest::addColumn<QStringList>("steps");  // a control clicked, or "Name=text" typed
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("stored");  // kind NullRate RandomOrder Weight[3] Unique Pattern|Expression
        using namespace basKovaData::RuleMessages;
        QTest::newRow("pattern, rate, unique") << 2 << false << QStringList{u"OptSET_7"_s, u"ChkUNQ"_s, u"TxtPAT=[A-Z]{3}"_s, u"TxtNULL=30"_s} << u""_s << u""_s << u"7 30 0 1 1 [A-Z]{3}|"_s;
        QTest::newRow("empty pattern") << 2 << false << QStringList{u"OptSET_7"_s} << NoPattern << u"TxtPAT"_s << u""_s;
        QTest::newRow("expression") << 1 << false << QStringList{u"OptSET_8"_s, u"TxtEXP=row.A\n+ 1"_s} << u""_s << u""_s << u"8 0 0 1 0 |row.A\n+ 1"_s;
        QTest::newRow("empty expression") << 3 << false << QStringList{u"OptSET_8"_s} << NoExpression << u"TxtEXP"_s << u""_s;
        QTest::newRow("half step") << 3 << false << QStringList{u"OptSET_3"_s, u"TxtNUM04_0=20240101"_s, u"TxtNUM04_1=0.5"_s} << ZeroStep << u"TxtNUM04_1"_s << u""_s;
        QTest::newRow("rate on NOT NULL") << 1 << true << QStringList{u"TxtNULL=5"_s} << NullRateOnNotNull << u"TxtNULL"_s << u""_s;
        QTest::newRow("weight 0") << 1 << false << QStringList{u"OptSET_1"_s, u"ChkMulti_0"_s, u"OptORD_1"_s, u"TxtWGT_3=0"_s} << BadWeight << u"TxtWGT_3"_s << u""_s;
        QTest::newRow("list at random") << 2 << false << QStringList{u"OptSET_1"_s, u"ChkMulti_0"_s, u"OptORD_1"_s, u"ChkUNQ"_s, u"TxtWGT_3=7"_s} << u""_s << u""_s << u"1 0 1 7 1 |"_s;
    }
    void settingShapes()
    {
        QFETCH(int, editor);
        QFETCH(bool, notNull);
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        kovatest::MessageRecorder messages;
        CurrentRule.IsNotNull = notNull;
        QWidget* w = openEditor(editor);
        for (const QString& step : steps) {
            const QString name = step.section(u'=', 0, 0), text = step.section(u'=', 1);
            if (!step.contains(u'='))
                Click(w, name);
            else if (auto* lines = w->findChild<QPlainTextEdit*>(name))
                TypeLines(lines, text);
            else
                Retype(Box(w, name), text);
        }
        Click(w, u"CmdSET"_s);
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(w->isVisible(), !message.isEmpty());
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget(), Find<QWidget>(w, focus));
        const basKovaData::ColumnRule& r = CurrentRule;
        if (message.isEmpty())
            QTEST(u"%1 %2 %3 %4 %5 %6|%7"_s.arg(r.RuleKind.text()).arg(r.NullRate).arg(int(r.RandomOrder)).arg(r.Weight[3])
                      .arg(int(r.Unique)).arg(r.Pattern, r.Expression), "stored");
    }

    void bulkSetting()
    {
        // Rows 3 up to 1 of four columns selected: numbers in rows 1 and 3, no date.
        m_grid.setCols(5);
        m_grid.setRows(5);
        basKovaData::ColumnRules.assign(5, basKovaData::ColumnRule());
        basKovaData::ColumnCount = 4;
        const QStringList types{u"NUMBER(4)"_s, u"VARCHAR2(10)"_s, u"NUMBER(8)"_s, u"DATE()"_s};
        for (int row = 1; row <= 4; ++row)
            m_grid.setTextMatrix(row, 1, types[row - 1]);
        m_grid.setRow(3);
        m_grid.setRowSel(1);
        basKovaData::ColumnRules[3].IsNotNull = true;
        kovatest::MessageRecorder messages;
        frmSET99 window(&m_grid);
        window.show();
        QCOMPARE(Find<QLabel>(&window, u"LblMSG"_s)->text(), u"対象 → 3項目"_s);
        QVERIFY(Find<QAbstractButton>(&window, u"Option1"_s)->isChecked());
        QVERIFY(!Find<QWidget>(&window, u"Option3"_s)->isEnabled());
        // The numbers' editor opens on the neutral rule; 設定 applies its sequence.
        QString opened;
        kovatest::WhenModal<frmSET01>([&opened](frmSET01* editor) {
            opened = Find<QLabel>(editor, u"LblSET_3"_s)->text() + u' ' + Box(editor, u"txtSET"_s)->text();
            Click(editor, u"OptSET_3"_s);
            Retype(Box(editor, u"TxtNUM04_1"_s), u"5"_s);
            Retype(Box(editor, u"TxtNULL"_s), u"20"_s);  // the record is NOT NULL, the columns need not be
            Click(editor, u"CmdSET"_s);
        });
        Click(&window, u"Command4"_s);
        QCOMPARE(opened, u"NUMBER 一括設定"_s);
        QCOMPARE(kovatest::GridColumn(m_grid, 4, 1), (QStringList{u"連番"_s, u""_s, u"連番"_s, u""_s}));
        QCOMPARE(m_grid.CellBackColor(3, 4), controls::GridRgb(0, 255, 0));
        QCOMPARE(basKovaData::ColumnRules[1].NullRate * 100 + basKovaData::ColumnRules[3].NullRate, 2000);
        // The characters' editor closed without 設定: nothing changes, the window stays.
        Click(&window, u"Option2"_s);
        kovatest::WhenModal<frmSET02>([&opened](frmSET02* editor) {
            opened = Find<QLabel>(editor, u"LblSET_3"_s)->text();
            Click(editor, u"OptSET_1"_s);
            Click(editor, u"CmdCancel"_s);
        });
        Click(&window, u"Command4"_s);
        QCOMPARE(opened, u"文字列型"_s);
        QVERIFY(basKovaData::ColumnRules[2].RuleKind.isBlank());
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(kovatest::HelpTopicShown(&window, u"Command6"_s), 4);
        QVERIFY(window.isVisible());
        Click(&window, u"Command5"_s);
        QVERIFY(!window.isVisible());
        // A selection without a column of any family: nothing to set.
        m_grid.setTextMatrix(1, 1, u"RAW(16)"_s);
        m_grid.setRow(1);
        m_grid.setRowSel(2);
        m_grid.setTextMatrix(2, 1, u"BLOB(4000)"_s);
        frmSET99 nothing(&m_grid);
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Exclamation, u"一括設定"_s),
                 QStringList{u"設定可能な項目がひとつも選択されていません。"_s});
        for (const QString& name : {u"Command4"_s, u"Option1"_s, u"Option2"_s, u"Option3"_s})
            QVERIFY(!Find<QWidget>(&nothing, name)->isEnabled());
    }

    void distributionRule_data()
    {
        QTest::addColumn<int>("editor");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("after");    // the option checked after 通常のルールにする
        QTest::addColumn<QString>("message");  // what it said instead
        QTest::newRow("values") << 2 << u"VARCHAR2(10)"_s
                                << uR"({"nulls": 0.25, "distinct": 2, "frequent": [["済", 0.5], ["未", 0.25]]})"_s
                                << u"OptSET_1"_s << u""_s;
        QTest::newRow("no bounds") << 1 << u"NUMBER(8)"_s << uR"({"nulls": 0.1, "distinct": 500})"_s << u"OptSET_9"_s
                                   << u"最小値と最大値がないため、通常のルールにできません。"_s;
    }
    // A 分布 rule opens on its figures and chart, read-only; 通常のルールにする
    // shows the ordinary rule it amounts to, which 設定 keeps, or says why
    // there is none.
    void distributionRule()
    {
        QFETCH(int, editor);
        QFETCH(QString, type);
        QFETCH(QString, profile);
        QFETCH(QString, after);
        QFETCH(QString, message);
        kovatest::MessageRecorder messages;
        CurrentRule.ColumnName = u"STATUS"_s;
        CurrentRule.TypeText = type;
        CurrentRule.setKind(basKovaData::Kind::Distribution);
        CurrentRule.Distribution = std::make_shared<const generate::ColumnProfile>(*generate::ReadProfileJson(
            QJsonDocument::fromJson(profile.toUtf8()).object(), generate::ProfileFamily(CurrentRule.family()), nullptr));
        QWidget* w = openEditor(editor);
        QVERIFY(Find<QRadioButton>(w, u"OptSET_9"_s)->isChecked());
        QVERIFY(Find<QGroupBox>(w, u"FrmSET_9"_s)->isVisible());
        QVERIFY(!Find<QGroupBox>(w, u"FrmSET_0"_s)->isVisible());
        const QString figures = Find<QLabel>(w, u"LblDST"_s)->text();
        QVERIFY2(figures.contains(editor == 2 ? u"<b>頻出値</b></td><td>済  50.0 %<br>未  25.0 %</td>"_s
                                              : u"<b>NULL率</b></td><td>10.0 %</td>"_s),
                 qPrintable(figures));
        QVERIFY(Find<QWidget>(w, u"PicDST"_s)->isVisible());
        QVERIFY(!Box(w, u"TxtNULL"_s)->isEnabled());
        Click(w, u"CmdDST"_s);
        QTEST(messages.texts().value(0), "message");
        QVERIFY(Find<QRadioButton>(w, after)->isChecked());
        QCOMPARE(Find<QRadioButton>(w, u"OptSET_9"_s)->isVisible(), !message.isEmpty());
        Click(w, u"CmdSET"_s);
        QVERIFY(!basKovaData::EditCancelled);
        if (!message.isEmpty()) {
            QCOMPARE(CurrentRule.storedKind(), basKovaData::Kind::Distribution);
            return;
        }
        QCOMPARE(Box(w, u"TxtNUM02_1"_s)->text().trimmed(), u"未"_s);
        QCOMPARE(Box(w, u"TxtNULL"_s)->text(), u"25"_s);
        QCOMPARE(CurrentRule.storedKind(), basKovaData::Kind::Multiple);
        QCOMPARE((QList<int>{CurrentRule.Weight[0], CurrentRule.Weight[1], CurrentRule.NullRate}), (QList<int>{1000, 500, 25}));
    }

private:
    QWidget* openEditor(int editor)
    {
        return editor == 1 ? static_cast<QWidget*>(open<frmSET01>())
                           : editor == 2 ? static_cast<QWidget*>(open<frmSET02>()) : open<frmSET03>();
    }
    template <class W>
    W* open()
    {
        m_window = std::make_unique<W>();
        m_window->show();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            qWarning("window not active");
        return static_cast<W*>(m_window.get());
    }
    std::unique_ptr<QDialog> m_window;
    controls::GridModel m_grid;
};

QTEST_MAIN(tst_RuleEditors)
#include "tst_RuleEditors.moc"
