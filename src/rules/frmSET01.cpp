#include "rules/frmSET01.h"

frmSET01::frmSET01(QWidget* parent) : frmRuleEditor(basKovaData::TypeFamily::Numeric, parent)
{
    setObjectName(QStringLiteral("frmSET01"));
}
