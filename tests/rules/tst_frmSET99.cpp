// label: gui
// The bulk setting window over a column grid, with the real rule editors.
#include "controls/GridModel.h"
#include "help/frmHELP.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET99.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;

class tst_frmSET99 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }
    void appliesToOneFamilyAndStaysOpen();
    void nothingSettable();

private:
    // A grid of eight columns selected from `row` to `rowSel`, and the window on it.
    void open(int row, int rowSel);
    template <class T>
    T* control(const char* name) { return m_window->findChild<T*>(QString::fromLatin1(name)); }

    controls::GridModel m_grid;
    std::unique_ptr<frmSET99> m_window;
};

void tst_frmSET99::open(int row, int rowSel)
{
    const QStringList types = {u"VARCHAR2(10)"_s, u"NUMBER(4)"_s, u"NUMBER(8)"_s, u"VARCHAR2(20)"_s,
                               u"NUMBER(10.2)"_s, u"DATE()"_s,    u"RAW(16)"_s,   u"BLOB(4000)"_s};
    m_grid.setCols(5);
    m_grid.setRows(int(types.size()) + 1);
    ColumnRules.assign(std::size_t(types.size()) + 1, basKovaData::ColumnRule());
    for (int i = 1; i <= types.size(); ++i) {
        m_grid.setTextMatrix(i, 1, types[i - 1]);
        ColumnRules[std::size_t(i)].TypeText = types[i - 1];
    }
    basKovaData::ColumnCount = qint16(types.size());
    m_grid.setRow(row);
    m_grid.setRowSel(rowSel);
    m_window = std::make_unique<frmSET99>(&m_grid);
    m_window->show();
}

void tst_frmSET99::appliesToOneFamilyAndStaysOpen()
{
    kovatest::MessageRecorder messages;
    open(7, 3);
    QCOMPARE(m_window->windowTitle(), u"一括設定"_s);
    QCOMPARE(control<QLabel>("LblMSG")->text(), u"対象 → 5項目"_s);
    QVERIFY(control<QRadioButton>("Option2")->isEnabled() && control<QRadioButton>("Option3")->isEnabled());
    QVERIFY(control<QRadioButton>("Option1")->isChecked());

    // A sequence from 10 by 5 for the NUMBER columns 3 and 5.
    kovatest::WhenModal<frmSET01>([](frmSET01* editor) {
        QCOMPARE(basKovaData::CurrentRule.ColumnName.trimmed(), u"一括設定"_s);
        editor->findChild<QRadioButton*>(u"OptSET_3"_s)->click();
        editor->findChild<QLineEdit*>(u"TxtNUM04_0"_s)->setText(u"10"_s);
        editor->findChild<QLineEdit*>(u"TxtNUM04_1"_s)->setText(u"5"_s);
        editor->findChild<QPushButton*>(u"CmdSET"_s)->click();
    });
    control<QPushButton>("Command4")->click();
    for (int row = 1; row <= 8; ++row) {
        const bool set = row == 3 || row == 5;
        QCOMPARE(ColumnRules[std::size_t(row)].RuleKind.trimmed(), set ? u"3"_s : u""_s);
        QCOMPARE(m_grid.TextMatrix(row, 4), set ? u"連番"_s : u""_s);
    }
    QCOMPARE(ColumnRules[5].NumValue[0] + ColumnRules[5].NumValue[1], 15.0);

    // The character family, cancelled: nothing changes, and the window stays.
    control<QRadioButton>("Option2")->click();
    kovatest::WhenModal<frmSET02>([](frmSET02* editor) {
        editor->findChild<QRadioButton*>(u"OptSET_1"_s)->click();
        editor->findChild<QPushButton*>(u"CmdCancel"_s)->click();
    });
    control<QPushButton>("Command4")->click();
    QCOMPARE(ColumnRules[4].RuleKind.trimmed(), u""_s);
    QVERIFY(messages.texts().isEmpty());

    bool helped = false;
    kovatest::WhenModal<frmHELP>([](frmHELP*) { QCOMPARE(basKovaData::HelpTopic, 4); }, &helped);
    control<QPushButton>("Command6")->click();
    QVERIFY(helped);
    QVERIFY(m_window->isVisible());
    control<QPushButton>("Command5")->click();
    QVERIFY(!m_window->isVisible());
}

void tst_frmSET99::nothingSettable()
{
    kovatest::MessageRecorder messages;
    open(7, 8);
    QCOMPARE(control<QLabel>("LblMSG")->text(), u"対象 → 2項目"_s);
    QVERIFY(!control<QPushButton>("Command4")->isEnabled());
    QVERIFY(!control<QRadioButton>("Option1")->isEnabled() && !control<QRadioButton>("Option2")->isEnabled()
            && !control<QRadioButton>("Option3")->isEnabled());
    QCOMPARE(messages.texts(), QStringList{u"設定可能な項目がひとつも選択されていません。"_s});
    QCOMPARE(messages.messages().first().icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(messages.messages().first().title, u"一括設定"_s);
}

QTEST_MAIN(tst_frmSET99)
#include "tst_frmSET99.moc"
