#include "maintain/frmDEL.h"

#include "maintain/DeleteRun.h"
#include "shared/basKovaData.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

frmDEL::frmDEL(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDEL"));
    setWindowTitle(QStringLiteral("データ削除"));

    auto* hint = new QLabel(QStringLiteral("Where条件を入力して下さい（空白は全件削除）"), this);
    hint->setObjectName(QStringLiteral("Label1_0"));
    auto* example = new QLabel(QStringLiteral("例：   担当者コード='005' And 地区コード='49'"), this);
    example->setObjectName(QStringLiteral("Label1_1"));
    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    txtSQL->setMinimumSize(420, 80);
    txtSQL->setTabChangesFocus(true);
    Command1_0 = new QPushButton(QStringLiteral("削除"), this);
    Command1_0->setObjectName(QStringLiteral("Command1_0"));
    Command1_0->setAutoDefault(false);
    Command1_1 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command1_1->setObjectName(QStringLiteral("Command1_1"));
    Command1_1->setAutoDefault(false);
    connect(Command1_0, &QPushButton::clicked, this, &frmDEL::deleteRows);
    connect(Command1_1, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(hint, 0, 0, 1, 3);
    layout->addWidget(txtSQL, 1, 0, 1, 3);
    layout->addWidget(example, 2, 0, 1, 3);
    layout->setColumnStretch(0, 1);
    layout->addWidget(Command1_0, 3, 1);
    layout->addWidget(Command1_1, 3, 2);
    txtSQL->clear();
    txtSQL->setFocus();
}

void frmDEL::deleteRows()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    const maintain::DeleteOutcome outcome = maintain::DeleteRows(basKovaData::ChosenTable, txtSQL->toPlainText());
    QApplication::restoreOverrideCursor();
    if (outcome == maintain::DeleteOutcome::Locked)
        basKovaData::ShowMessage(maintain::DeleteLockedMessage, basKovaData::MessageIcon::Exclamation, windowTitle(),
                                 this);
    else if (outcome == maintain::DeleteOutcome::Failed)
        basKovaData::ShowMessage(QStringLiteral("削除に失敗しました。"), basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
    accept();
}
