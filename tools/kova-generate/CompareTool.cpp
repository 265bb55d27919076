// kova-generate --compare SOURCE TARGET TABLE...: each side a login, profiled
// here (from its rows, or its statistics with --statistics-only) with no
// privacy pass, since the figures stay on this machine; or a profile file
// written by --profile, so that production need not be read again.
#include "CompareReport.h"
#include "GenerateTool.h"

#include "generate/ProfileFile.h"
#include "generate/TableProfile.h"
#include "session/LoginArgument.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTextStream>

#include <array>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

// The exit statuses of a comparison.
constexpr int WithinThresholds = AllCreated;
constexpr int PastThresholds = SomeRefused;

bool IsProfileFile(const QString& text)
{
    return text.endsWith(u".json"_s, Qt::CaseInsensitive);
}

// How a side is shown: a file's path, or a login without its password.
QString Shown(const QString& text)
{
    if (IsProfileFile(text))
        return text;
    const qsizetype at = text.lastIndexOf(u'@');
    const qsizetype slash = text.indexOf(u'/');
    return slash >= 0 && slash < at ? text.left(slash) + text.mid(at) : text;
}

std::optional<std::vector<generate::ProfiledTable>> FromFile(const QString& path, const Arguments& args,
                                                             const QString& side, QTextStream& err)
{
    QString problem;
    if (!QFileInfo(path).isFile()) {
        err << "the " << side << " " << path << " is no file: give an existing profile file or a login\n";
        return std::nullopt;
    }
    std::optional<std::vector<generate::ProfiledTable>> all = generate::ReadProfileFile(path, &problem);
    if (!all) {
        err << "the " << side << ": " << problem << '\n';
        return std::nullopt;
    }
    std::vector<generate::ProfiledTable> asked;
    for (const QString& table : args.tables) {
        const generate::ProfiledTable* found = generate::FindProfiledTable(*all, table);
        if (!found) {
            QStringList names;
            for (const generate::ProfiledTable& held : *all)
                names << held.profile.table;
            err << "the " << side << " " << path << " has no table " << table << " (it holds "
                << (names.isEmpty() ? u"none"_s : names.join(u", "_s)) << ")\n";
            return std::nullopt;
        }
        asked.push_back(*found);
    }
    return asked;
}

std::optional<std::vector<generate::ProfiledTable>> FromLogin(const QString& text, const Arguments& args,
                                                              const QString& side, const char* variable,
                                                              QTextStream& err)
{
    QString error;
    const std::optional<basKovaData::LoginArgument> login =
        basKovaData::ReadLoginArgument(text, &error, basKovaData::TerminalPassword, variable);
    if (!login) {
        err << "the " << side << " " << Shown(text) << ": " << error << '\n';
        return std::nullopt;
    }
    auto session = std::make_shared<OraSession>();
    try {
        basKovaData::OraDatabase = session->DbOpenDatabase(login->service, login->connect());
    } catch (const OraError& failure) {
        err << "cannot log in to the " << side << " " << login->service << ": " << failure.message() << '\n';
        return std::nullopt;
    }
    basKovaData::OraSession = session;
    const auto logout = qScopeGuard([] {
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
    });
    generate::ProfileOptions options;
    options.sample = args.sample.value_or(0);
    options.statisticsOnly = args.statisticsOnly;
    std::vector<generate::ProfiledTable> tables;
    for (const QString& table : args.tables) {
        QString problem;
        std::optional<generate::TableProfile> profile;
        try {
            profile = args.statisticsOnly
                          ? generate::ProfileFromStatistics(*basKovaData::OraDatabase, table, options, &problem)
                          : generate::ProfileFromRows(*basKovaData::OraDatabase, table, options, &problem);
        } catch (const OraError& failure) {
            problem = failure.message();
        }
        if (!profile) {
            err << "the " << side << " " << Shown(text) << ": " << table << ": " << problem << '\n';
            return std::nullopt;
        }
        profile->seen.clear();
        tables.push_back({std::move(*profile), {}});
    }
    return tables;
}

}  // namespace

int Compare(const Arguments& args, QTextStream& out, QTextStream& err)
{
    if (!args.report.isEmpty() && !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        err << "--report draws charts: this program runs without its drawing support\n";
        return Stopped;
    }
    std::array<std::vector<generate::ProfiledTable>, 2> sides;
    const std::array<QString, 2> texts{args.source, args.target};
    const std::array<QString, 2> names{u"source"_s, u"target"_s};
    const std::array<const char*, 2> variables{basKovaData::PasswordVariable, basKovaData::TargetPasswordVariable};
    for (std::size_t s = 0; s < 2; ++s) {
        const std::optional<std::vector<generate::ProfiledTable>> read =
            IsProfileFile(texts[s]) ? FromFile(texts[s], args, names[s], err)
            : texts[s].contains(u'@') ? FromLogin(texts[s], args, names[s], variables[s], err)
                                      : std::nullopt;
        if (!read) {
            if (!IsProfileFile(texts[s]) && !texts[s].contains(u'@'))
                err << "the " << names[s] << " " << texts[s]
                    << " is neither a login (user/password@service or user@service) nor a profile file (.json)\n";
            return Stopped;
        }
        sides[s] = *read;
    }
    const generate::CompareLimits limits{args.limits.nullPoints, args.limits.distinct, args.limits.tvd,
                                         args.limits.ks};
    std::vector<ComparedTable> tables;
    for (std::size_t t = 0; t < std::size_t(args.tables.size()); ++t)
        tables.push_back(CompareTable(sides[0][t], sides[1][t], limits));
    PrintComparison(tables, out);
    if (!args.report.isEmpty()) {
        QSaveFile file(args.report);
        if (!file.open(QIODevice::WriteOnly) || file.write(ComparisonPage(tables, Shown(args.source), Shown(args.target))) < 0
            || !file.commit()) {
            err << "cannot write the report " << args.report << ": " << file.errorString() << '\n';
            return Stopped;
        }
        out << "report written to " << args.report << '\n';
    }
    for (const ComparedTable& table : tables)
        if (!table.figures.past().isEmpty())
            return PastThresholds;
    return WithinThresholds;
}

}  // namespace kovagenerate
