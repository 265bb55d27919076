// The program: the login window first; a successful login opens the main
// window, and the program ends when the last window closes.
#include "browser/frmMain.h"
#include "controls/MessageBoxHandler.h"
#include "session/frmKovaData.h"

#include <QApplication>
#include <QObject>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    controls::InstallMessageBoxHandler();

    auto* login = new frmKovaData;
    QObject::connect(login, &frmKovaData::LoggedIn, [] {
        auto* main = new frmMain;
        main->show();
    });
    login->show();
    return app.exec();
}
