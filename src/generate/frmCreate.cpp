#include "generate/frmCreate.h"

#include "controls/RunScaffold.h"
#include "controls/Shape.h"
#include "controls/Twips.h"
#include "generate/CreationRun.h"
#include "generate/RowFiles.h"
#include "generate/RuleFile.h"
#include "generate/frmPreview.h"
#include "shared/basKovaData.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int BarLeft = 16;
constexpr int BarTop = 56;
constexpr int BarHeight = 18;

}  // namespace

frmCreate::frmCreate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCreate"));
    setWindowTitle(QStringLiteral("テストデータ作成"));

    Label1 = new QLabel(QStringLiteral("作成件数"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(BarLeft, 18, 70, 24);
    txtKENSU = new QLineEdit(QStringLiteral("100"), this);
    txtKENSU->setObjectName(QStringLiteral("txtKENSU"));
    txtKENSU->setGeometry(90, 18, 100, 24);
    txtKENSU->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtKENSU->installEventFilter(this);
    LblSEED = new QLabel(QStringLiteral("シード"), this);
    LblSEED->setObjectName(QStringLiteral("LblSEED"));
    LblSEED->setGeometry(202, 18, 44, 24);
    TxtSEED = new QLineEdit(this);
    TxtSEED->setObjectName(QStringLiteral("TxtSEED"));
    TxtSEED->setGeometry(246, 18, 130, 24);
    TxtSEED->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TxtSEED->setToolTip(QStringLiteral("同じシードからは、いつでも同じデータが作られます。空欄なら毎回の続きから作ります。"));
    if (basKovaData::ChosenSeed)
        TxtSEED->setText(QString::number(*basKovaData::ChosenSeed));

    const int barWidth = controls::TwipsToPixels(this, generate::ProgressFullTwips);
    Prgres = new controls::Shape(this);
    Prgres->setObjectName(QStringLiteral("Prgres"));
    Prgres->setGeometry(BarLeft - 1, BarTop - 1, barWidth + 2, BarHeight + 2);
    Shape1 = new controls::Shape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setBorderWidth(0);
    Shape1->setFillColor(QColor(0, 0, 192));
    setProgress(0);

    Command1_0 = new QPushButton(QStringLiteral("作成"), this);
    Command1_0->setObjectName(QStringLiteral("Command1_0"));
    Command1_1 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command1_1->setObjectName(QStringLiteral("Command1_1"));
    CmdPreview = new QPushButton(QStringLiteral("プレビュー"), this);
    CmdPreview->setObjectName(QStringLiteral("CmdPreview"));
    CmdPreview->setAutoDefault(false);
    CmdScript = new QPushButton(QStringLiteral("スクリプト出力"), this);
    CmdScript->setObjectName(QStringLiteral("CmdScript"));
    CmdScript->setAutoDefault(false);
    CmdScript->setToolTip(QStringLiteral("作成件数分のINSERT文をファイルに書き出します。データベースには登録しません。"));
    // The four buttons end where the bar ends, or the window grows for them.
    const int buttonTop = BarTop + BarHeight + 18;
    const int right = std::max(BarLeft + std::max(barWidth, 4 * 90 + 20 + 3 * 6), TxtSEED->geometry().right() + 1);
    Command1_1->setGeometry(right - 90, buttonTop, 90, 28);
    Command1_0->setGeometry(right - 186, buttonTop, 90, 28);
    CmdPreview->setGeometry(right - 282, buttonTop, 90, 28);
    CmdScript->setGeometry(right - 398, buttonTop, 110, 28);
    Command1_0->setDefault(true);
    connect(Command1_0, &QPushButton::clicked, this, &frmCreate::create);
    connect(Command1_1, &QPushButton::clicked, this, &QDialog::reject);
    connect(CmdPreview, &QPushButton::clicked, this, &frmCreate::preview);
    connect(CmdScript, &QPushButton::clicked, this, &frmCreate::writeScript);

    setFixedSize(right + BarLeft, buttonTop + 28 + 14);
    txtKENSU->setFocus();
    m_run = std::make_unique<controls::RunScaffold>(this, std::vector<QWidget*>{txtKENSU, TxtSEED, Command1_0, CmdPreview, CmdScript});
}

frmCreate::~frmCreate() = default;

void frmCreate::reject()
{
    if (!m_run->requestStop())
        QDialog::reject();
}

void frmCreate::setProgress(int twips)
{
    m_progressTwips = twips;
    Shape1->setGeometry(BarLeft, BarTop, controls::TwipsToPixels(this, twips), BarHeight);
    Shape1->setVisible(twips > 0);
    Shape1->repaint();
}

bool frmCreate::takeSeed()
{
    const std::optional<std::optional<std::uint64_t>> seed = generate::SeedFromText(TxtSEED->text());
    if (!seed) {
        basKovaData::ShowMessage(generate::SeedMessage, basKovaData::MessageIcon::Exclamation, windowTitle(), this);
        TxtSEED->setFocus();
        return false;
    }
    basKovaData::ChosenSeed = *seed;
    return true;
}

void frmCreate::create()
{
    const std::optional<qint32> rows = generate::RowCountFromText(txtKENSU->text());
    if (!rows) {
        basKovaData::ShowMessage(QStringLiteral("件数を入力して下さい"), basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
        return;
    }
    if (!takeSeed())
        return;
    const basKovaData::TableRules rules = basKovaData::TableRules::FromShared(basKovaData::ChosenTable);
    if (m_rowCheck) {
        if (const QString warning = m_rowCheck(*rows); !warning.isEmpty())
            basKovaData::ShowMessage(warning, basKovaData::MessageIcon::Exclamation, windowTitle(), this);
    }
    if (!m_run->begin())
        return;
    generate::CreationHooks hooks;
    hooks.progress = [this](int twips) { setProgress(twips); };
    hooks.stopRequested = [this] { return m_run->stopRequested(); };
    const generate::CreationResult result = generate::GenerateRows(rules, *rows, hooks);
    const generate::CreationMessage said = generate::CreationOutcomeMessage(result);
    m_run->finish(said.text, said.icon, said.details);
}

std::optional<qint32> frmCreate::takeCountAndSeed()
{
    const std::optional<qint32> rows = generate::RowCountFromText(txtKENSU->text());
    if (!rows) {
        basKovaData::ShowMessage(QStringLiteral("件数を入力して下さい"), basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
        return std::nullopt;
    }
    return takeSeed() ? rows : std::nullopt;
}

void frmCreate::writeScript()
{
    const std::optional<qint32> rows = takeCountAndSeed();
    if (!rows)
        return;
    const QString path = basKovaData::ChooseFile({true, QStringLiteral("スクリプト出力"), generate::RuleFolder(),
                                                  basKovaData::ChosenTable + QStringLiteral(".sql"), this,
                                                  QStringLiteral("SQL (*.sql)")});
    if (path.isEmpty() || !m_run->begin())
        return;
    const basKovaData::TableRules rules = basKovaData::TableRules::FromShared(basKovaData::ChosenTable);
    generate::RowFileJob job;
    job.path = path;
    job.progress = [this](int twips) { setProgress(twips); };
    job.stopRequested = [this] { return m_run->stopRequested(); };
    const generate::RowFileResult result =
        generate::WriteRowFiles({generate::TableRun{&rules, *rows, std::nullopt, {}, {}}}, job);
    if (result.written)
        m_run->finishAndStay(QString::number(*rows) + QStringLiteral("件のINSERT文を出力しました。"),
                             basKovaData::MessageIcon::Information);
    else if (result.stopped)
        m_run->finishAndStay(result.error, basKovaData::MessageIcon::Information);
    else
        m_run->finishAndStay(QStringLiteral("スクリプトを出力できませんでした。\n") + result.error,
                             basKovaData::MessageIcon::Critical);
    setProgress(0);
}

void frmCreate::preview()
{
    const std::optional<qint32> rows = takeCountAndSeed();
    if (!rows)
        return;
    const generate::RowPreview shown =
        generate::PreviewRows(basKovaData::TableRules::FromShared(basKovaData::ChosenTable),
                              std::min<qint32>(*rows, std::max<qint32>(basKovaData::MaxDisplayRows, 1)));
    if (shown.refused) {
        basKovaData::ShowMessage(shown.errorText, basKovaData::MessageIcon::Exclamation, windowTitle(), this);
        return;
    }
    if (shown.failed)
        basKovaData::ShowMessage(QStringLiteral("ＳＱＬ文のエラーです。確認してください。")
                                     + QString::number(shown.errorNumber),
                                 basKovaData::MessageIcon::Information, windowTitle(), this);
    frmPreview window(shown, this);
    window.exec();
}

bool frmCreate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtKENSU && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtKENSU, [box = txtKENSU] { box->selectAll(); });
    return QDialog::eventFilter(watched, event);
}
