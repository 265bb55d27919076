#include "rules/frmSET03.h"

frmSET03::frmSET03(QWidget* parent) : frmRuleEditor(basKovaData::TypeFamily::Date, parent)
{
    setObjectName(QStringLiteral("frmSET03"));
}
