#include "rules/frmSET99.h"

#include "controls/GridModel.h"
#include "help/frmHELP.h"
#include "rules/BulkSetting.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET03.h"
#include "shared/basKovaData.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>
#include <memory>
#include <optional>

namespace {

template <class Editor>
void RunEditor(QWidget* parent)
{
    Editor editor(parent);
    editor.SetSeveralColumns(true);
    editor.exec();
}

}  // namespace

frmSET99::frmSET99(controls::GridModel* grid, QWidget* parent) : QDialog(parent)
{
    using rules::BulkFamily;

    setObjectName(QStringLiteral("frmSET99"));
    setWindowTitle(QStringLiteral("一括設定"));

    auto* LblMSG = new QLabel(this);
    LblMSG->setObjectName(QStringLiteral("LblMSG"));

    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    const std::array<QString, rules::BulkFamilyCount> captions = {
        QStringLiteral("数値型（NUMBER）"), QStringLiteral("文字列型（CHAR,VARCHAR2）"),
        QStringLiteral("日付型（DATE）")};
    std::array<QRadioButton*, rules::BulkFamilyCount> options{};
    for (int i = 0; i < rules::BulkFamilyCount; ++i) {
        auto* option = new QRadioButton(captions[std::size_t(i)], frame);
        option->setObjectName(QStringLiteral("Option") + QString::number(i + 1));
        frameLayout->addWidget(option);
        options[std::size_t(i)] = option;
    }

    auto* Command4 = new QPushButton(QStringLiteral("一括設定"), this);
    Command4->setObjectName(QStringLiteral("Command4"));
    auto* Command5 = new QPushButton(QStringLiteral("戻る"), this);
    Command5->setObjectName(QStringLiteral("Command5"));
    auto* Command6 = new QPushButton(QStringLiteral("ヘルプ"), this);
    Command6->setObjectName(QStringLiteral("Command6"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addWidget(Command5);
    buttons->addWidget(Command6);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblMSG);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    // The columns are the ones selected now; the lists stay as they are while
    // the window is open.
    controls::GridModel* columns = grid ? grid : new controls::GridModel(this);
    auto target = std::make_shared<const rules::BulkTarget>(
        rules::ComputeBulkTarget(*columns, basKovaData::ColumnCount));
    LblMSG->setText(target->label);
    for (int i = 0; i < rules::BulkFamilyCount; ++i)
        options[std::size_t(i)]->setEnabled(target->settable(BulkFamily(i)));
    if (const auto first = target->firstSettable()) {
        Command4->setEnabled(true);
        options[std::size_t(*first)]->setChecked(true);
    } else {
        Command4->setEnabled(false);
        basKovaData::ShowMessage(rules::NothingSettableMessage(), basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
    }

    connect(Command4, &QPushButton::clicked, this, [this, columns, target, options] {
        std::optional<BulkFamily> family;
        for (int i = 0; i < rules::BulkFamilyCount; ++i) {
            if (options[std::size_t(i)]->isChecked())
                family = BulkFamily(i);
        }
        if (!family)
            return;
        basKovaData::CurrentRule = rules::NeutralBulkRule(*family);
        // An editor closed any other way than through 設定 applies nothing.
        basKovaData::EditCancelled = true;
        switch (*family) {
        case BulkFamily::Numeric:
            RunEditor<frmSET01>(this);
            break;
        case BulkFamily::Character:
            RunEditor<frmSET02>(this);
            break;
        case BulkFamily::Date:
            RunEditor<frmSET03>(this);
            break;
        }
        rules::ApplyBulkRule(*columns, target->rows(*family));
    });
    connect(Command5, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command6, &QPushButton::clicked, this, [this] {
        basKovaData::HelpTopic = 4;
        frmHELP help(this);
        help.exec();
    });
}
