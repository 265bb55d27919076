#include "rules/frmSET03.h"

frmSET03::frmSET03(QWidget* parent) : frmRuleEditor(basKovaData::RuleFamily::Date, parent)
{
    setObjectName(QStringLiteral("frmSET03"));
}
