#include "login/frmKovaData.h"

#include "controls/Shape.h"
#include "shared/basKovaData.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>

namespace {

constexpr int BoxMaxLength = 30;
constexpr int PasswordBox = 2;

const QColor NightWindow(0, 0, 0);
const QColor NightText(255, 255, 255);
const QColor NightCheck(0, 0, 192);
const QColor NightUserBox(255, 192, 255);
const QColor NightPasswordBox(192, 192, 255);
const QColor DayBox(255, 255, 255);
const QColor DayText(0, 0, 0);

// Backgrounds keep their colour when a control is disabled; texts then take
// the style's greyed colour.
void SetColors(QWidget* widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colors)
{
    QPalette palette = widget->palette();
    for (const auto& [role, color] : colors) {
        const bool background = role == QPalette::Window || role == QPalette::Base;
        if (background)
            palette.setColor(QPalette::All, role, color);
        else {
            palette.setColor(QPalette::Active, role, color);
            palette.setColor(QPalette::Inactive, role, color);
        }
    }
    widget->setPalette(palette);
}

// The hourglass while a login is tried; the normal pointer again on every
// way out.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};

}  // namespace

frmKovaData::frmKovaData(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmKovaData"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ODBC接続"));

    LoginProcedure::PrepareProgram();
    buildControls();
    applyDesign(LoginDesignAt(basKovaData::Now().time()));
    showStartState(m_login.load());
}

void frmKovaData::buildControls()
{
    setFixedSize(360, 316);

    Shape1 = new controls::Shape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(8, 8, 344, 108);
    Shape1->setBorderColor(NightPasswordBox);
    Shape1->setBorderWidth(2);
    Shape2 = new controls::Shape(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(8, 124, 344, 148);
    Shape2->setBorderColor(NightUserBox);
    Shape2->setBorderWidth(2);

    const QString captions[3] = {QStringLiteral("サービス名"), QStringLiteral("ユーザー"),
                                 QStringLiteral("パスワード")};
    for (int i = 0; i < 3; ++i) {
        const QString index = QString::number(i);
        Label1[i] = new QLabel(captions[i], this);
        Label1[i]->setObjectName(QStringLiteral("Label1_") + index);
        Label1[i]->setGeometry(20, 20 + i * 32, 90, 24);
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(QStringLiteral("Text1_") + index);
        Text1[i]->setGeometry(112, 20 + i * 32, 228, 24);
        Text1[i]->setMaxLength(BoxMaxLength);
        Text1[i]->installEventFilter(this);
    }
    Text1[PasswordBox]->setEchoMode(QLineEdit::Password);

    Check = new QCheckBox(QStringLiteral("上記の設定をリストに追加"), this);
    Check->setObjectName(QStringLiteral("Check"));
    Check->setGeometry(20, 132, 320, 24);
    // A button paints its background in the button colour; this one has the
    // window's colour role so that it can differ from the window's buttons.
    Check->setBackgroundRole(QPalette::Window);
    Check->setAutoFillBackground(true);
    Check->installEventFilter(this);

    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setGeometry(20, 162, 320, 100);
    List->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("×"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(300, 280, 40, 26);
    Command1->setAutoDefault(false);
    Command1->installEventFilter(this);

    Shape1->lower();
    Shape2->lower();
    setTabOrder(Text1[0], Text1[1]);
    setTabOrder(Text1[1], Text1[2]);
    setTabOrder(Text1[2], Check);
    setTabOrder(Check, List);
    setTabOrder(List, Command1);

    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(List, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { copyListRecord(List->row(item)); });
    // Moving through the list with the keyboard picks the line as a click does.
    connect(List, &QListWidget::currentRowChanged, this, [this](int row) { copyListRecord(row); });
    connect(List, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        copyListRecord(List->row(item));
        ConnectToOracle();
    });
}

void frmKovaData::applyDesign(LoginDesign design)
{
    setAutoFillBackground(true);
    if (design == LoginDesign::Night) {
        SetColors(this, {{QPalette::Window, NightWindow}});
        for (QLabel* label : Label1)
            SetColors(label, {{QPalette::WindowText, NightText}});
        SetColors(List, {{QPalette::Base, NightWindow}, {QPalette::Text, NightText}});
        SetColors(Check, {{QPalette::Window, NightCheck}, {QPalette::WindowText, NightText}});
        SetColors(Text1[0], {{QPalette::Base, DayBox}});
        SetColors(Text1[1], {{QPalette::Base, NightUserBox}});
        SetColors(Text1[2], {{QPalette::Base, NightPasswordBox}});
        Shape1->show();
        Shape2->show();
        return;
    }
    const QColor buttonFace = QApplication::palette().color(QPalette::Active, QPalette::Button);
    SetColors(this, {{QPalette::Window, buttonFace}});
    for (QLabel* label : Label1)
        SetColors(label, {{QPalette::WindowText, DayText}});
    SetColors(List, {{QPalette::Base, DayBox}, {QPalette::Text, DayText}});
    SetColors(Check, {{QPalette::Window, buttonFace}, {QPalette::WindowText, DayText}});
    for (QLineEdit* box : Text1)
        SetColors(box, {{QPalette::Base, DayBox}});
    Shape1->hide();
    Shape2->hide();
}

void frmKovaData::showStartState(const LoginStartState& state)
{
    Text1[0]->setText(state.service);
    Text1[1]->setText(state.user);
    Text1[2]->setText(state.password);
    {
        const QSignalBlocker blocker(List);
        List->clear();
        List->addItems(state.listLines);
    }
    List->setEnabled(state.listEnabled);
    Check->setChecked(state.addToList);
    const int focusBox = state.focus == LoginStartState::Focus::Service ? 0 : PasswordBox;
    Text1[focusBox]->setFocus();
}

void frmKovaData::copyListRecord(int line)
{
    if (line < 0 || line >= List->count())
        return;
    const ConnectionRecord record = m_login.listRecord(line);
    Text1[0]->setText(record.service);
    Text1[1]->setText(record.user);
    Text1[2]->setText(record.password);
}

bool frmKovaData::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter moves on like Tab; in the password box it also logs in.
            if (watched == Text1[PasswordBox]) {
                ConnectToOracle();
                if (!isVisible())
                    return true;
            }
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* box : Text1) {
            if (watched != box)
                continue;
            const QString trimmed = box->text().trimmed();
            if (trimmed != box->text())
                box->setText(trimmed);
            box->selectAll();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmKovaData::ConnectToOracle()
{
    WaitCursor waitCursor;
    repaint();

    const LoginProcedure::Outcome outcome = m_login.connect(
        Text1[0]->text(), Text1[1]->text(), Text1[2]->text(), Check->isChecked());
    if (!outcome.connected) {
        waitCursor.restore();
        basKovaData::ShowMessage(QStringLiteral("接続に失敗しました"),
                                 basKovaData::MessageIcon::Critical, windowTitle(), this);
        return;
    }
    if (!outcome.saved) {
        waitCursor.restore();
        basKovaData::ShowMessage(QStringLiteral("接続情報を保存できませんでした。\n")
                                     + outcome.saveError,
                                 basKovaData::MessageIcon::Exclamation, windowTitle(), this);
    }
    Q_EMIT LoggedIn();
    waitCursor.restore();
    close();
}
