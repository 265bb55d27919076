// bench_lookalike: the goals of look-alike data at full size on the server
// of scripts/pg-cluster. A skewed source of ORDERS rows (a tenth as many
// customers, coupons by customer) is made, analyzed and profiled, from its
// rows and, separately, from pg_stats alone; kova-generate --profile writes
// the project, which fills a second database at scale 1. It prints every
// figure (the generated side beside the source, each against its
// threshold), whether the prefecture and city pairs were kept, how many of
// ten queries keep their plan's shape, and the time each step took.
//
//   scripts/pg-cluster run -- build/release/bin/bench_lookalike [orders]   # default 1000000
#include "support/LookAlike.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const qint64 orders = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 1000000;
    if (!kovatest::Server() || orders < 100) {
        std::fprintf(stderr, "usage: scripts/pg-cluster run -- bench_lookalike [orders (at least 100)]\n");
        return 2;
    }
    int failed = 0;
    for (const bool statistics : {false, true}) {
        const kovatest::LookAlikeResult result = kovatest::MeasureLookAlike(orders, statistics);
        out << "== from " << (statistics ? "the statistics alone" : "the rows") << ", " << orders << " orders\n";
        if (!result.error.isEmpty()) {
            out << "stopped: " << result.error << '\n';
            ++failed;
            continue;
        }
        for (const QString& figure : result.figures)
            out << "  " << figure << '\n';
        out << "source rows: " << result.sourceRows << "; profiled in " << result.profileSeconds << " s ("
            << qint64(double(result.sourceRows) / std::max(result.profileSeconds, 1e-9)) << " rows/s); generated in "
            << result.generateSeconds << " s\n";
        out << "figures past their thresholds: " << result.past.size() << " of " << result.figures.size()
            << (result.past.isEmpty() ? QString() : u": "_qs + result.past.join(u", "_qs)) << '\n';
        out << "pairs kept: " << (result.pairsKept ? "yes" : "no") << (statistics ? " (statistics hold no pairs)" : "")
            << '\n';
        out << "plans of the same shape: " << result.samePlans << " of 10\n";
        for (const QString& other : result.otherPlans)
            out << "  other plan: " << other << '\n';
        out.flush();
        failed += result.past.isEmpty() && result.samePlans >= 9 && (statistics || result.pairsKept) ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
