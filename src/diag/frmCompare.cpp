#include "diag/frmCompare.h"

#include "browser/ProfileCommand.h"
#include "diag/ProfileComparison.h"
#include "generate/ProfileFile.h"
#include "rules/frmProfileChart.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/basKovaData.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int ChartsPerRow = 2;

std::shared_ptr<const generate::ColumnProfile> Shared(const generate::ColumnProfile* profile)
{
    return profile ? std::make_shared<const generate::ColumnProfile>(*profile) : nullptr;
}

}  // namespace

frmCompare::frmCompare(const QString& table, QWidget* parent) : QDialog(parent), m_table(table)
{
    setObjectName(u"frmCompare"_s);
    setWindowTitle(u"分布比較 - %1"_s.arg(table));
    LblCMP = new QLabel(this);
    LblCMP->setObjectName(u"LblCMP"_s);
    LblCMP->setWordWrap(true);
    GrdCMP = new QTableWidget(this);
    GrdCMP->setObjectName(u"GrdCMP"_s);
    GrdCMP->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdCMP->verticalHeader()->hide();
    GrdCMP->horizontalHeader()->setStretchLastSection(true);
    GrdCMP->setMinimumHeight(160);
    ScrCMP = new QScrollArea(this);
    ScrCMP->setObjectName(u"ScrCMP"_s);
    ScrCMP->setWidgetResizable(true);
    m_charts = new QWidget(ScrCMP);
    new QGridLayout(m_charts);
    ScrCMP->setWidget(m_charts);
    CmdFile = new QPushButton(u"プロファイル読込"_s, this);
    CmdFile->setObjectName(u"CmdFile"_s);
    CmdFile->setAutoDefault(false);
    CmdClose = new QPushButton(u"閉じる"_s, this);
    CmdClose->setObjectName(u"CmdClose"_s);
    CmdClose->setAutoDefault(false);
    connect(CmdFile, &QPushButton::clicked, this, &frmCompare::cmdFileClick);
    connect(CmdClose, &QPushButton::clicked, this, &frmCompare::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdFile);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblCMP);
    layout->addWidget(GrdCMP, 1);
    layout->addWidget(ScrCMP, 2);
    layout->addLayout(buttons);
    resize(960, 760);

    m_source = diag::ProfileOfRules(basKovaData::TableRules::FromShared(table));
    m_sourceName = u"分布の規則"_s;
    readTarget();
    showComparison();
}

void frmCompare::readTarget()
{
    generate::ProfileOptions options;
    options.sample = browser::ProfileSampleRows;
    QString problem;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (basKovaData::OraDatabase)
            m_target = generate::ProfileFromRows(*basKovaData::OraDatabase, m_table, options, &problem);
        else
            problem = u"データベースに接続していません。"_s;
    } catch (const OraError& error) {
        problem = error.message();
    }
    QApplication::restoreOverrideCursor();
    if (!m_target)
        report(u"テーブル %1 の行を読めませんでした。\n%2"_s.arg(m_table, problem));
}

bool frmCompare::loadSourceFile(const QString& path)
{
    QString problem;
    const auto tables = generate::ReadProfileFile(path, &problem);
    if (!tables) {
        report(problem);
        return false;
    }
    const generate::ProfiledTable* found = generate::FindProfiledTable(*tables, m_table);
    if (!found) {
        report(u"%1 にはテーブル %2 のプロファイルがありません。"_s.arg(path, m_table));
        return false;
    }
    m_source = found->profile;
    m_sourceName = path;
    showComparison();
    return true;
}

void frmCompare::cmdFileClick()
{
    basKovaData::FileRequest request;
    request.title = u"プロファイル読込"_s;
    request.folder = basKovaData::AppDirectory;
    request.owner = this;
    request.filter = u"プロファイル (*.json)"_s;
    const QString path = basKovaData::ChooseFile(request);
    if (!path.isEmpty())
        loadSourceFile(path);
}

void frmCompare::showComparison()
{
    const QStringList headings = diag::ComparisonHeadings();
    GrdCMP->clear();
    GrdCMP->setColumnCount(int(headings.size()));
    GrdCMP->setHorizontalHeaderLabels(headings);
    GrdCMP->setRowCount(0);
    auto* grid = static_cast<QGridLayout*>(m_charts->layout());
    while (QLayoutItem* item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (m_source.columns.empty()) {
        LblCMP->setText(u"テーブル %1 には分布の規則がありません。統計から設定するか、"
                        u"プロファイル読込で元の分布を読み込んで下さい。"_s.arg(m_table));
        return;
    }
    if (!m_target) {
        LblCMP->setText(u"元: %1（%2 列）。生成: テーブルの行を読めませんでした。"_s.arg(m_sourceName).arg(
            m_source.columns.size()));
        return;
    }
    LblCMP->setText(u"元: %1（%2 列）　生成: テーブル %3 の %4 行のうち %5 行"_s.arg(m_sourceName)
                        .arg(m_source.columns.size())
                        .arg(m_table)
                        .arg(m_target->rows)
                        .arg(m_target->read));
    const generate::TableComparison comparison = generate::CompareProfiles(m_source, *m_target, {}, true);
    const std::vector<QStringList> lines = diag::ComparisonLines(comparison);
    GrdCMP->setRowCount(int(lines.size()));
    for (int row = 0; row < int(lines.size()); ++row) {
        for (int col = 0; col < int(lines[std::size_t(row)].size()); ++col) {
            auto* item = new QTableWidgetItem(lines[std::size_t(row)].at(col));
            if (col >= 2 && col <= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (lines[std::size_t(row)].at(col) == u"超過"_s)
                item->setForeground(QColor(200, 0, 0));
            GrdCMP->setItem(row, col, item);
        }
    }
    GrdCMP->resizeColumnsToContents();
    int shown = 0;
    for (qsizetype i = 0; i < m_source.columnNames.size(); ++i) {
        const QString& name = m_source.columnNames.at(i);
        auto* chart = new frmProfileChart(m_charts);
        chart->setObjectName(u"PicCMP_%1"_s.arg(shown));
        chart->setMinimumSize(420, 300);
        chart->setProfiles(name, Shared(&m_source.columns[std::size_t(i)]), Shared(m_target->column(name)));
        grid->addWidget(chart, shown / ChartsPerRow, shown % ChartsPerRow);
        ++shown;
    }
}

void frmCompare::report(const QString& text)
{
    basKovaData::ShowMessage(text, basKovaData::MessageIcon::Exclamation, windowTitle(), this);
}
