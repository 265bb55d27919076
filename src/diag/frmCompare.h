#pragma once
// 分布比較: the chosen table's 分布 rules (or a profile file written by
// kova-generate --profile) as the source, beside the profile of the table's
// rows now as the target: per column the figures in a grid and a chart of
// both. The target is read from the rows (an evenly spread sample) when the
// window opens; nothing leaves the machine.
#include "generate/TableProfile.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QWidget;

class frmCompare : public QDialog {
    Q_OBJECT

public:
    frmCompare(const QString& table, QWidget* parent = nullptr);

private:
    // Takes the source from the profile file at `path` instead of the rules;
    // false, with a message, when the file cannot be read or lacks the table.
    bool loadSourceFile(const QString& path);
    void readTarget();
    void showComparison();
    void cmdFileClick();
    void report(const QString& text);

    const QString m_table;
    QString m_sourceName;
    generate::TableProfile m_source;
    std::optional<generate::TableProfile> m_target;

    QLabel* LblCMP = nullptr;
    QTableWidget* GrdCMP = nullptr;
    QScrollArea* ScrCMP = nullptr;
    QWidget* m_charts = nullptr;
    QPushButton* CmdFile = nullptr;
    QPushButton* CmdClose = nullptr;
};
