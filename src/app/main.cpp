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

#include <cstdio>
#include <cstring>

namespace {

// One line per option. The program has two of its own; Qt takes the others
// for every program, and the ones a user of this one may want are listed.
const char* const Usage =
    "usage: kova-oracle [-h | --help | -v | --version] [Qt options]\n"
    "  -h, --help          show this list and exit\n"
    "  -v, --version       show the program's version and exit\n"
    "Qt's options for every program apply too, among them:\n"
    "  -platform NAME      the window system plugin: xcb, wayland, offscreen ...\n"
    "  -display DISPLAY    the X display the windows go to (instead of $DISPLAY)\n"
    "  -style STYLE        the widget style: fusion, windows ...\n"
    "  -reverse            lay the windows out from right to left\n"
    "The program starts with its login window; it needs a display for that.\n";

// -h/--help and -v/--version are answered before any window system is touched, so
// that they work over ssh and in a shell without a display. True when one of
// them was given (and answered).
bool AnswersWithoutWindows(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("kova-oracle %s\n", KOVA_VERSION);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (AnswersWithoutWindows(argc, argv))
        return std::fflush(stdout) == 0 ? 0 : 1;
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
