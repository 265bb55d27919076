#include "rules/frmRuleDistribution.h"

#include "generate/ColumnProfile.h"
#include "rules/DistributionRules.h"
#include "rules/frmProfileChart.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

frmRuleDistribution::frmRuleDistribution(QWidget* window) : QObject(window), m_window(window) {}

QGroupBox* frmRuleDistribution::buildFrame()
{
    FrmDST = new QGroupBox(u"分布（統計から設定された値の分布：ここでは変更できません）"_s, m_window);
    auto* layout = new QGridLayout(FrmDST);
    LblDST = new QLabel(FrmDST);
    LblDST->setObjectName(u"LblDST"_s);
    LblDST->setTextFormat(Qt::RichText);
    LblDST->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LblDST->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblDST->setMinimumWidth(260);
    PicDST = new frmProfileChart(FrmDST);
    PicDST->setObjectName(u"PicDST"_s);
    PicDST->setMinimumSize(460, 210);
    CmdDST = new QPushButton(u"通常のルールにする"_s, FrmDST);
    CmdDST->setObjectName(u"CmdDST"_s);
    CmdDST->setAutoDefault(false);
    layout->addWidget(LblDST, 0, 0);
    layout->addWidget(PicDST, 0, 1);
    layout->addWidget(CmdDST, 1, 0, 1, 2, Qt::AlignLeft);
    layout->setColumnStretch(1, 1);
    QSizePolicy policy = FrmDST->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    FrmDST->setSizePolicy(policy);
    return FrmDST;
}

void frmRuleDistribution::showRule(const basKovaData::ColumnRule& rule)
{
    QString html = u"<table cellspacing='2'>"_s;
    if (rule.Distribution) {
        for (const auto& [caption, text] : basKovaData::DistributionFigures(*rule.Distribution))
            html += u"<tr><td valign='top'><b>%1</b></td><td>%2</td></tr>"_s.arg(
                caption.toHtmlEscaped(), text.toHtmlEscaped().replace(u'\n', u"<br>"_s));
    }
    html += u"</table>"_s;
    LblDST->setText(html);
    PicDST->setProfiles(rule.ColumnName.trimmed(), rule.Distribution, nullptr);
    CmdDST->setEnabled(rule.Distribution != nullptr);
}
