#include "rules/frmSET02.h"

frmSET02::frmSET02(QWidget* parent) : frmRuleEditor(basKovaData::TypeFamily::Character, parent)
{
    setObjectName(QStringLiteral("frmSET02"));
}
