#pragma once
// The rule editor of NUMBER columns. It shows and changes
// CurrentRule only; EditCancelled tells its caller how it was closed.
#include "rules/frmRuleEditor.h"

class frmSET01 : public frmRuleEditor {
    Q_OBJECT
public:
    // Builds the window on CurrentRule, which the caller has prepared.
    explicit frmSET01(QWidget* parent = nullptr);
};
