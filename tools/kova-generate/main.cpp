// kova-generate: fills tables from rule files without any window, for scripts
// and CI jobs.
//
//   kova-generate --help | --version
//   kova-generate user/password@service FILE.json... [--rows N] [--preview K] [--seed N]
//   kova-generate user/password@service PROJECT.json [--seed N]
//   kova-generate user/password@service --auto TABLE... [--rows N] [--seed N]
//   ... --out PATH [--format sql|csv] [--shard K/N | --jobs J]: files instead of the database
//   kova-generate --compare SOURCE TARGET TABLE... [--report FILE.html]: two profiles' figures
//
// "user@service" takes the password from KOVA_PASSWORD, or asks for it on the
// terminal. Exit status, of the whole job: 0 when every row was created, 1 when some
// were refused (and all the others committed), 2 when nothing was kept (the
// arguments, the login or a file were wrong, or the run stopped) or when the
// run stopped after a DDL statement of the project committed what the message
// lists. Ctrl-C or SIGTERM stops a run between rows: nothing of it is kept.
#include "FileJobs.h"
#include "GenerateTool.h"
#include "StopSignal.h"

#include "session/AppPaths.h"
#include "session/LoginArgument.h"
#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string_view>

#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // --report draws its charts' text, which needs the drawing support of a
    // GUI application; offscreen, so that it runs without a display.
    bool report = false;
    for (int i = 1; i < argc; ++i)
        report = report || std::string_view(argv[i]) == "--report";
    if (report)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        report ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const QStringList given = QCoreApplication::arguments().mid(1);
    if (given.contains(QLatin1String("--help"))) {
        out << kovagenerate::Help << '\n';
        return 0;
    }
    if (given.contains(QLatin1String("--version"))) {
        out << "kova-generate " << KOVA_VERSION << '\n';
        return 0;
    }
    // Relative database names and rule folders resolve where the program
    // keeps its files: beside it, or in the user's data folder.
    basKovaData::InitAppDirectory();
    // Ctrl-C and SIGTERM stop the run between rows; it then keeps nothing.
    kovagenerate::CatchStopSignals();
    // A slice of --jobs stops with the job that started it, killed or not: a
    // slice of files as a stop signal stops it (its files removed); a slice
    // of a load at once, even inside a wait of the server's, which then
    // rolls its transaction back.
    if (!qEnvironmentVariableIsEmpty(kovagenerate::JobSliceVariable)) {
        bool load = false;
        for (int i = 1; i < argc; ++i)
            load = load || std::string_view(argv[i]) == "--load";
        prctl(PR_SET_PDEATHSIG, load ? SIGKILL : SIGTERM);
    }

    QString error;
    const std::optional<kovagenerate::Arguments> args = kovagenerate::ParseArguments(given, &error);
    if (!args) {
        err << error << '\n' << kovagenerate::Usage << '\n';
        return kovagenerate::Stopped;
    }
    kovagenerate::Arguments run = *args;
    // --compare logs in to each side itself.
    if (!run.compare && !run.connect.contains(QLatin1Char('/'))) {
        const auto login = basKovaData::ReadLoginArgument(run.connect + QLatin1Char('@') + run.service, &error);
        if (!login) {
            err << error << '\n';
            return kovagenerate::Stopped;
        }
        run.connect = login->connect();
    }
    run.program = QCoreApplication::applicationFilePath();
    return kovagenerate::Run(run, out, err, isatty(fileno(stderr)) != 0);
}
