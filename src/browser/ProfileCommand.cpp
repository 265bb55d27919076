#include "browser/ProfileCommand.h"

#include "session/OraAccess.h"
#include "session/OraError.h"

using namespace Qt::StringLiterals;

namespace browser {

StatisticsRulesRun SetRulesFromProfile(OraDatabase* database, const QString& table, bool fromRows)
{
    StatisticsRulesRun run;
    if (!database) {
        run.message = u"データベースに接続していません。"_s;
        return run;
    }
    generate::ProfileOptions options;
    options.sample = ProfileSampleRows;
    options.statisticsOnly = !fromRows;
    QString problem;
    std::optional<generate::TableProfile> profile;
    try {
        profile = fromRows ? generate::ProfileFromRows(*database, table, options, &problem)
                           : generate::ProfileFromStatistics(*database, table, options, &problem);
    } catch (const OraError& error) {
        problem = error.message();
    }
    if (!profile) {
        run.message = fromRows ? u"テーブル %1 の行を読めませんでした。\n%2"_s.arg(table, problem)
                               : u"テーブル %1 の統計情報を読めませんでした。\n%2\n"
                                 u"TABLE情報で統計情報を取得してから実行して下さい。"_s.arg(table, problem);
        return run;
    }
    if (profile->rows <= 0) {
        run.message = fromRows ? u"テーブル %1 に行がないため、分布を設定できません。"_s.arg(table)
                               : u"テーブル %1 の統計情報では行がないため、分布を設定できません。\n"
                                 u"TABLE情報で統計情報を取得し直して下さい。"_s.arg(table);
        return run;
    }
    generate::ApplyPrivacy(*profile, options);
    run.result = ApplyProfileRules(database, table, *profile);
    if (run.result.proposed.failed) {
        run.message = u"ＳＱＬ文のエラーです。確認してください。"_s + QString::number(run.result.proposed.errorNumber);
        return run;
    }
    run.done = true;
    run.message = ProfileRulesMessage(run.result, *profile);
    return run;
}

QString ProfileRulesMessage(const ProfileRulesResult& result, const generate::TableProfile& profile)
{
    QString text = profile.fromStatistics
                       ? u"統計情報（%1 行）から設定しました。"_s.arg(profile.rows)
                       : u"%1 行のうち %2 行を読んで設定しました。"_s.arg(profile.rows).arg(profile.read);
    text += u"\n分布: "_s + (result.distributed.isEmpty() ? u"なし"_s : result.distributed.join(u", "_s));
    if (!result.kept.empty()) {
        QStringList kept;
        for (const KeptColumn& column : result.kept)
            kept << KeptText(column, true);
        text += u"\n自動設定のまま:\n  "_s + kept.join(u"\n  "_s);
    }
    return text;
}

}  // namespace browser
