#include "diag/frmSub3.h"

#include "diag/TableInformation.h"
#include "diag/ViewDefinition.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmSub3::frmSub3(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmSub3"_s);
    setWindowTitle(u"VIEW定義"_s);

    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName(u"txtSQL"_s);
    txtSQL->setReadOnly(true);

    auto* Command3 = new QPushButton(u"閉じる"_s, this);
    Command3->setObjectName(u"Command3"_s);
    connect(Command3, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtSQL, 1);
    layout->addWidget(Command3, 0, Qt::AlignRight);
    resize(520, 360);

    const diag::ViewText view = diag::LoadViewText(basKovaData::OraDatabase.get(), basKovaData::ChosenTable);
    if (view.error != 0)
        basKovaData::ShowMessage(diag::ErrorCodeText(view.error), basKovaData::MessageIcon::Information,
                                 windowTitle(), this);
    else if (view.found)
        txtSQL->setPlainText(view.text);
}
