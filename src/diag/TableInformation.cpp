#include "diag/TableInformation.h"

#include "controls/GridModel.h"
#include "session/OraAccess.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/StatementShape.h"
#include "shared/ValueText.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace diag {

namespace {

// One help entry. A one-line entry is the field's name followed by `text`; the
// others are `heading`, a line break and `text` (an empty heading leaves the
// first line empty).
struct FieldHelp {
    QString name;
    bool oneLine;
    QString heading;
    QString text;
};

const QString H1 = u"※特別な構造をもつ場合のみの情報（特別の構造でなければ、NULL値）"_s;
const QString H2 = u"※ブロックに関する情報"_s;
const QString H3 = u"※ストレージに関する情報"_s;
const QString H4 = u"※統計情報"_s;
const QString H5 = u"※パラレル関連"_s;
const QString H6 = u"※チューニング関連"_s;
const QString H7 = u"※運用関連情報"_s;
const QList<FieldHelp>& HelpTable()
{
    static const QList<FieldHelp> table = {
        {u"OWNER"_s, true, QString(), u"・・・オブジェクトを所有しているユーザーID"_s},
        {u"TABLE_NAME"_s, true, QString(), u"・・・テーブル名"_s},
        {u"CLUSTER_NAME"_s, false, H1, u"CLUSTER_NAME・・・該当するクラスタ名"_s},
        {u"IOT_NAME"_s, false, H1, u"IOT_NAME・・・IOT(索引構成表)の場合のオーバーフロー部分に対応する索引構成表の名前"_s},
        {u"IOT_TYPE"_s, false, H1, u"IOT_TYPE・・・索引構成表の場合のキー部か、オーバーフロー部かの区別"_s},
        {u"PARTITIONED"_s, false, QString(), u"PARTITIONED・・・パーティション表か否か"_s},
        {u"TEMPORARY"_s, false, QString(), u"TEMPORARY・・・一時表か否か"_s},
        {u"BUFFER_POOL"_s, false, QString(), u"BUFFER_POOL・・・使用するデータベースバッファの種類"_s},
        {u"DURATION"_s, false, QString(), u"DURATION・・・一時表である場合の、データの存続期間"_s},
        {u"SKIP_CORRUPT"_s, false, QString(), u"SKIP_CORRUPT・・・コラップ処理をしてあるか、否か"_s},
        {u"TABLESPACE_NAME"_s, true, QString(), u"・・・テーブル領域名"_s},
        {u"PCT_FREE"_s, false, H2, u"PCT_FREE・・・テーブルの作成・更新時の最小ブロック使用可能パーセント"_s},
        {u"PCT_USED"_s, false, H2, u"PCT_USED・・・テーブルの作成・更新時の最小ブロック使用済パーセント"_s},
        {u"INI_TRANS"_s, false, H2, u"INI_TRANS・・・テーブルの作成・更新時のトランザクション個数初期値"_s},
        {u"MAX_TRANS"_s, false, H2, u"MAX_TRANS・・・テーブルの作成・更新時のトランザクション最大個数"_s},
        {u"INITIAL_EXTENT"_s, false, H3, u"INITIAL_EXTENT・・・先頭エクステントのバイト数"_s},
        {u"NEXT_EXTENT"_s, false, H3, u"NEXT_EXTENT・・・次のエクステントのバイト数"_s},
        {u"MIN_EXTENT"_s, false, H3, u"MIN_EXTENTS・・・最小エクステントのバイト数"_s},
        {u"MIN_EXTENTS"_s, false, H3, u"MIN_EXTENTS・・・最小エクステントのバイト数"_s},
        {u"MAX_EXTENT"_s, false, H3, u"MAX_EXTENTS・・・最大エクステントのバイト数"_s},
        {u"MAX_EXTENTS"_s, false, H3, u"MAX_EXTENTS・・・最大エクステントのバイト数"_s},
        {u"PCT_INCREASE"_s, false, H3, u"PCT_INCREASE・・・エクステントのパセンテージ増分"_s},
        {u"FREELISTS"_s, true, QString(), u"・・・プロセス空きリスト個数"_s},
        {u"FREELIST_GROUP"_s, true, QString(), u"・・・空きリストグループ個数"_s},
        {u"FREELIST_GROUPS"_s, true, QString(), u"・・・空きリストグループ個数"_s},
        {u"NUM_ROWS"_s, false, H4, u"NUM_ROWS・・・データ件数"_s},
        {u"BLOCKS"_s, false, H4, u"BLOCKS・・・使用ブロック数（High Water Mark)"_s},
        {u"EMPTY_BLOCKS"_s, false, H4, u"EMPTY_BLOCKS・・・空きブロック数"_s},
        {u"AVG_SPACE"_s, false, H4, u"AVG_SPACE・・・ブロックあたりの空き領域サイズの平均\""_s},
        {u"CHAIN_CNT"_s, false, H4, u"CHAIN_CNT・・・テーブル内での複数ブロック連鎖している行個数"_s},
        {u"AVG_ROW_LEN"_s, false, H4, u"AVG_ROW_LEN・・・行の平均バイト数"_s},
        {u"AVG_SPACE_FREELIST_BLOCKS"_s, false, H4, u"AVG_SPACE_FREELIST_BLOCKS・・・空きリストブロックの平均空き領域"_s},
        {u"NUM_FREELIST_BLOCKS"_s, false, H4, u"NUM_FREELIST_BLOCKS・・・空きリストのブロック数"_s},
        {u"DEGREE"_s, false, H5, u"DEGREE・・・パラレルクエリーにおけるデフォルト並列度（スレッド数）"_s},
        {u"INSTANCES"_s, false, H5, u"INSTANCES・・・オラクルパラレルサーバーにおける、この表を操作できるインスタンス数"_s},
        {u"CACHE"_s, false, H6, u"CACHE・・・テーブルがキャッシュされているか　Y/N"_s},
        {u"SAMPLE_SIZE"_s, false, H6, u"SAMPLE_SIZE・・・この表に対して実行したANALYZEのサンプリングサイズ"_s},
        {u"LAST_ANALYZED"_s, false, H6, u"LAST_ANALYZED・・・この表に対して最後にANALYZEした日時"_s},
        {u"TABLE_LOCK"_s, false, H6, u"TABLE_LOCK・・・テーブルの表ロックが可能か ENABLED/DISABLED\r\n                オラクルは行ロックが基本で、表ロックは普通は使用しない"_s},
        {u"LOGGING"_s, false, H7, u"LOGGING・・・REDOLOGファイルへの書き込みをするか、否か"_s},
        {u"BACKED_UP"_s, false, H7, u"BACKED_UP・・・バックアップ後に変更をしたか、否か"_s},
    };
    return table;
}
const QString UnknownSuffix = u"・・・NO DATA"_s;


}  // namespace

QString TableInformationQuery(const QString& table)
{
    QString sql = u"SELECT * from user_tables where TABLE_NAME="_s;
    basKovaData::AppendQuoted(sql, table);
    return sql;
}

int FillTableInformation(OraDatabase* database, const QString& table, controls::GridModel& grid)
{
    try {
        grid.setColWidth(0, 2550);
        grid.setColWidth(1, 2400);
        grid.setTextMatrix(0, 0, u"項目名"_s);
        grid.setTextMatrix(0, 1, u"データ"_s);
        if (!database)
            throw OraError(u"not connected"_s);
        auto dynaset = database->DBCreateDynaset(TableInformationQuery(table), 0);
        if (!dynaset->IsEOF()) {
            const int count = dynaset->FieldCount();
            grid.setRows(count + 1);
            for (int i = 1; i <= count; ++i) {
                grid.setTextMatrix(i, 0, dynaset->FieldName(i - 1).trimmed());
                grid.setTextMatrix(i, 1, basKovaData::NullToMark(dynaset->Value(i - 1)).trimmed());
            }
        }
        dynaset->Close();
    } catch (const OraError& error) {
        return error.number();
    } catch (const controls::GridError& error) {
        return error.number();
    }
    return 0;
}

QString FieldHelpText(const QString& fieldName)
{
    for (const FieldHelp& entry : HelpTable()) {
        if (entry.name != fieldName)
            continue;
        if (entry.oneLine)
            return fieldName + entry.text;
        return entry.heading + u"\r\n"_s + entry.text;
    }
    return fieldName + UnknownSuffix;
}

bool AnalyzeTable(OraDatabase* database, const QString& table)
{
    return basKovaData::ExecuteSql(database, u"ANALYZE TABLE "_s + (database ? database->SqlName(table) : table)
                                                   + u" COMPUTE STATISTICS"_s) != -1;
}

QString ErrorCodeText(int number)
{
    return u"エラーコード "_s + QString::number(number);
}

}  // namespace diag
