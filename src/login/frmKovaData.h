#pragma once
#include "login/LoginDesign.h"
#include "session/LoginProcedure.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace controls {
class Shape;
}

// The login window "ODBC接続", the first window of the program. Opening it
// sets up the program directory and the options and reads the saved
// connections. A successful login emits LoggedIn (whoever started the program
// shows the main window then) and closes the window, which deletes itself.
// Closing it without a login leaves nothing behind.
class frmKovaData : public QWidget {
    Q_OBJECT

public:
    explicit frmKovaData(QWidget* parent = nullptr);

Q_SIGNALS:
    void LoggedIn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void applyDesign(LoginDesign design);
    void showStartState(const LoginStartState& state);
    void copyListRecord(int line);
    void ConnectToOracle();

    LoginProcedure m_login;

    std::array<QLabel*, 3> Label1{};
    std::array<QLineEdit*, 3> Text1{};
    QCheckBox* Check = nullptr;
    QListWidget* List = nullptr;
    QPushButton* Command1 = nullptr;
    controls::Shape* Shape1 = nullptr;
    controls::Shape* Shape2 = nullptr;
};
