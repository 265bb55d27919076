#include "login/frmOptions.h"

#include "controls/TabStrip.h"
#include "session/Options.h"
#include "login/OptionsInput.h"
#include "shared/basKovaData.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

int Pixels(int twips)
{
    return twips / frmOptions::TwipsPerPixel;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
    buildControls();
    centreOnScreen();

    Text1->setText(QString::number(basKovaData::MaxDisplayRows));
    Text2->setText(basKovaData::SqlPlusPath.trimmed());
    Text1->setFocus();
}

void frmOptions::buildControls()
{
    setFixedSize(500, 330);

    tbsOptions = new controls::TabStrip(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    tbsOptions->setGeometry(8, 8, 484, 272);
    tbsOptions->addTab(QStringLiteral("オプション設定"), QStringLiteral("Group1"),
                       QStringLiteral("ｵﾌﾟｼｮﾝの設定"));

    auto* page = new QFrame(this);
    page->setObjectName(QStringLiteral("picOptions_0"));
    page->setGeometry(Pixels(PageLeftTwips), 40, 470, 232);
    picOptions.append(page);

    Label1 = NewLabel(page, "Label1", QStringLiteral("１．シートの最大表示行数"),
                      QRect(8, 8, 450, 20));
    Text1 = new QLineEdit(page);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(24, 32, 100, 24);
    Label2 = NewLabel(page, "Label2", QStringLiteral("２．SQL-PLUSのパス"), QRect(8, 68, 450, 20));
    Text2 = new QLineEdit(page);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(24, 92, 436, 24);
    Label3 = NewLabel(page, "Label3",
                      QStringLiteral("一般的な場所はカレントドライブのorant\\BIN\\PLUS80W.EXE"),
                      QRect(24, 128, 440, 20));
    Label4 = NewLabel(page, "Label4",
                      QStringLiteral("ファイル名はバージョンにより異なる可能性があります。"),
                      QRect(24, 150, 440, 20));
    Label5 = NewLabel(page, "Label5",
                      QStringLiteral("スタートメニュー内のSQL PLUSのショートカットのプロパティでパスを"),
                      QRect(24, 172, 440, 20));
    Label6 = NewLabel(page, "Label6", QStringLiteral("確認するのが最も確実です。"),
                      QRect(24, 194, 440, 20));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(300, 290, 90, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(402, 290, 90, 28);
    cmdCancel->setAutoDefault(false);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(tbsOptions, &controls::TabStrip::Click, this, &frmOptions::tbsOptionsClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The window sees every key before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void frmOptions::centreOnScreen()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void frmOptions::tbsOptionsClick()
{
    const int selected = tbsOptions->selectedIndex() - 1;
    for (int i = 0; i < tbsOptions->tabCount() && i < picOptions.size(); ++i) {
        QWidget* page = picOptions.at(i);
        const bool shown = i == selected;
        page->move(Pixels(shown ? PageLeftTwips : HiddenPageLeftTwips), page->y());
        page->setEnabled(shown);
    }
}

void frmOptions::cmdOKClick()
{
    const basKovaData::MaxRowsInput input = basKovaData::ReadMaxRowsInput(Text1->text());
    if (!input.accepted()) {
        basKovaData::ShowMessage(input.message, basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
        Text1->setFocus();
        return;
    }
    QString error;
    if (!basKovaData::SaveOptions(input.rows, Text2->text(), &error)) {
        // The options already apply to this run; only the file is behind.
        basKovaData::ShowMessage(QStringLiteral("オプションファイルを保存できませんでした。\n") + error,
                                 basKovaData::MessageIcon::Exclamation, windowTitle(), this);
    }
    accept();
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Tab && modifiers == Qt::ControlModifier) {
            tbsOptions->selectNext();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == Text1)
            Text1->selectAll();
        else if (watched == Text2)
            Text2->setSelection(0, static_cast<int>(Text2->text().trimmed().size()));
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
