#include "rules/frmSET01.h"

frmSET01::frmSET01(QWidget* parent) : frmRuleEditor(basKovaData::RuleFamily::Number, parent)
{
    setObjectName(QStringLiteral("frmSET01"));
}
