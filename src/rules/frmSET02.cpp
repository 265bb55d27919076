#include "rules/frmSET02.h"

frmSET02::frmSET02(QWidget* parent) : frmRuleEditor(basKovaData::RuleFamily::Text, parent)
{
    setObjectName(QStringLiteral("frmSET02"));
}
