#pragma once
// The rule editor of CHAR and VARCHAR2 columns. It shows and changes
// CurrentRule only; EditCancelled tells its caller how it was closed.
#include "rules/frmRuleEditor.h"

class frmSET02 : public frmRuleEditor {
    Q_OBJECT
public:
    // Builds the window on CurrentRule, which the caller has prepared.
    explicit frmSET02(QWidget* parent = nullptr);
};
