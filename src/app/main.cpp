// The program: the login window first; a successful login opens the main
// window, and the program ends when the last window closes.
#include "browser/frmMain.h"
#include "controls/MessageBoxHandler.h"
#include "login/frmKovaData.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QObject>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // A Japanese desktop font at the size the windows' column widths were
    // measured for; the first one installed is used.
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic"), QStringLiteral("Sans Serif")});
    font.setPointSize(9);
    QApplication::setFont(font);
    // Qt's own texts (a message box's details button, the file dialog) in
    // the program's language, whatever the desktop's.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    controls::InstallMessageBoxHandler();

    auto* login = new frmKovaData;
    QObject::connect(login, &frmKovaData::LoggedIn, [] {
        auto* main = new frmMain;
        main->show();
    });
    login->show();
    return app.exec();
}
