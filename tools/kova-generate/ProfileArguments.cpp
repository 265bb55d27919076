#include "ProfileArguments.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace kovagenerate {

OptionRead ReadProfileOption(const QStringList& args, qsizetype& i, Arguments& parsed, QString* error)
{
    const QString& arg = args[i];
    const auto value = [&]() { return i + 1 < args.size() ? args[++i] : QString(); };
    const auto fail = [error](const QString& text) {
        *error = text;
        return OptionRead::Failed;
    };
    if (arg == u"--statistics-only"_s)
        parsed.statisticsOnly = true;
    else if (arg == u"--no-values"_s)
        parsed.noValues = true;
    else if (arg == u"--compare"_s)
        parsed.compare = true;
    else if (arg == u"--profile"_s || arg == u"--report"_s) {
        const QString path = value();
        if (path.isEmpty() || path.startsWith(u"--"_s))
            return fail(arg + u" needs a path"_s);
        (arg == u"--profile"_s ? parsed.profile : parsed.report) = path;
    } else if (arg == u"--sample"_s || arg == u"--min-rows"_s) {
        bool ok = false;
        const qlonglong number = value().toLongLong(&ok);
        if (!ok || number < 1 || (arg == u"--min-rows"_s && number > 1000000))
            return fail(arg + u" needs a whole number of at least 1"_s);
        if (arg == u"--sample"_s)
            parsed.sample = number;
        else
            parsed.k = int(number);
    } else if (arg == u"--scale"_s) {
        bool ok = false;
        const double scale = value().toDouble(&ok);
        if (!ok || !(scale > 0.0) || scale > 1e6)
            return fail(u"--scale needs a number above 0 (at most 1000000)"_s);
        parsed.scale = scale;
    } else if (arg == u"--personal"_s) {
        const QStringList columns = value().split(u',', Qt::SkipEmptyParts);
        if (columns.isEmpty())
            return fail(u"--personal needs columns: COLUMN or TABLE.COLUMN, separated by commas"_s);
        for (const QString& column : columns)
            parsed.personal << column.trimmed();
    } else if (arg == u"--max-null-points"_s || arg == u"--max-distinct"_s || arg == u"--max-tvd"_s
               || arg == u"--max-ks"_s) {
        bool ok = false;
        const double limit = value().toDouble(&ok);
        if (!ok || !(limit >= 0.0) || !std::isfinite(limit))
            return fail(arg + u" needs a number of at least 0"_s);
        double& field = arg == u"--max-null-points"_s ? parsed.limits.nullPoints
                        : arg == u"--max-distinct"_s  ? parsed.limits.distinct
                        : arg == u"--max-tvd"_s       ? parsed.limits.tvd
                                                      : parsed.limits.ks;
        field = limit;
    } else {
        return OptionRead::NotMine;
    }
    return OptionRead::Taken;
}

std::optional<Arguments> CheckProfileArguments(Arguments parsed, const QStringList& rest, bool automatic,
                                               QString* error)
{
    const auto fail = [error](const QString& text) -> std::optional<Arguments> {
        *error = text;
        return std::nullopt;
    };
    if (parsed.compare && !parsed.profile.isEmpty())
        return fail(u"give --profile or --compare, not both"_s);
    if (!parsed.compare && parsed.profile.isEmpty())
        return fail(u"--sample, --statistics-only, --scale, --no-values, --personal, --min-rows and --report "
                    "go with --profile or --compare"_s);
    if (parsed.sample && parsed.statisticsOnly)
        return fail(u"give --sample or --statistics-only, not both"_s);
    if (automatic || parsed.rows || parsed.preview || !parsed.out.isEmpty() || parsed.shard || parsed.jobs > 0
        || parsed.seed)
        return fail(u"--profile and --compare take none of --auto, --rows, --preview, --seed, --out, --shard, "
                    "--jobs"_s);
    if (parsed.compare) {
        if (parsed.scale != 1.0 || parsed.noValues || !parsed.personal.isEmpty() || parsed.k != 10)
            return fail(u"--scale, --no-values, --personal and --min-rows go with --profile"_s);
        if (rest.size() < 3)
            return fail(u"--compare needs SOURCE TARGET TABLE...: each side a login or a profile file"_s);
        parsed.source = rest[0];
        parsed.target = rest[1];
        parsed.tables = rest.mid(2);
        return parsed;
    }
    if (!parsed.report.isEmpty())
        return fail(u"--report goes with --compare"_s);
    const qsizetype at = rest.isEmpty() ? -1 : rest.first().lastIndexOf(u'@');
    if (at <= 0 || at == rest.first().size() - 1)
        return fail(u"the first argument must be user/password@service or user@service"_s);
    if (rest.size() < 2)
        return fail(u"--profile needs the tables to learn"_s);
    parsed.connect = rest.first().left(at);
    parsed.service = rest.first().mid(at + 1);
    parsed.tables = rest.mid(1);
    return parsed;
}

}  // namespace kovagenerate
