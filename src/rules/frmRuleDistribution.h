#pragma once
// The rule editors' frame of the 分布 kind (FrmSET_9): the profile's figures
// and a small chart, read-only, and the button that turns the rule into an
// ordinary one (DistributionRules). Built for frmRuleEditor, which handles
// the button.
#include "rules/ColumnRule.h"

#include <QObject>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class frmProfileChart;

class frmRuleDistribution : public QObject {
    Q_OBJECT

public:
    explicit frmRuleDistribution(QWidget* window);

    QGroupBox* buildFrame();
    // Shows the figures and the chart of the rule's profile.
    void showRule(const basKovaData::ColumnRule& rule);
    QPushButton* turnButton() const { return CmdDST; }

private:
    QWidget* const m_window;
    QGroupBox* FrmDST = nullptr;
    QLabel* LblDST = nullptr;
    frmProfileChart* PicDST = nullptr;
    QPushButton* CmdDST = nullptr;
};
