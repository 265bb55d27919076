// kova-generate: fills tables from rule files without any window, for scripts
// and CI jobs.
//
//   kova-generate user/password@service FILE.json... [--rows N] [--preview K] [--seed N]
//   kova-generate user/password@service PROJECT.json [--seed N]
//   kova-generate user/password@service --auto TABLE... [--rows N] [--seed N]
//   ... --out PATH [--format sql|csv] [--shard K/N | --jobs J]: files instead of the database
//
// Exit status, of the whole job: 0 when every row was created, 1 when some
// were refused (and all the others committed), 2 when nothing was kept (the
// arguments, the login or a file were wrong, or the run stopped).
#include "GenerateTool.h"

#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    basKovaData::AppDirectory = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    QString error;
    const std::optional<kovagenerate::Arguments> args =
        kovagenerate::ParseArguments(QCoreApplication::arguments().mid(1), &error);
    if (!args) {
        err << error << '\n' << kovagenerate::Usage << '\n';
        return kovagenerate::Stopped;
    }
    kovagenerate::Arguments run = *args;
    run.program = QCoreApplication::applicationFilePath();
    return kovagenerate::Run(run, out, err, isatty(fileno(stderr)) != 0);
}
