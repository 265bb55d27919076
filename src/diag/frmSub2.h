#pragma once
// The value list: numbered values of a SELECT, shown by the rule editors'
// statement preview.
#include <QDialog>

namespace controls {
class FlexGrid;
}

class frmSub2 : public QDialog {
    Q_OBJECT
public:
    explicit frmSub2(QWidget* parent = nullptr);

    controls::FlexGrid* grid() const { return Grid; }

    // The statement preview of the rule editors: runs the box text (trimmed,
    // line breaks as blanks) on OraDatabase and shows the first column of its
    // rows, numbered from 1, in a modal value list. Reports errors itself,
    // titled `caption`. False when the statement failed, so that the caller
    // puts the focus back into its statement box.
    static bool Preview(QWidget* owner, const QString& caption, const QString& statementText);

private:
    controls::FlexGrid* Grid = nullptr;
};
