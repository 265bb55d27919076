// label: core
// The field help texts of the table information window.
#include "diag/TableInformation.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_TableInformation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void help_data();
    void help();
};

void tst_TableInformation::help_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("one line") << u"TABLESPACE_NAME"_s << u"TABLESPACE_NAME・・・テーブル領域名"_s;
    QTest::newRow("alias, one line") << u"FREELIST_GROUP"_s << u"FREELIST_GROUP・・・空きリストグループ個数"_s;
    QTest::newRow("alias, two lines") << u"MIN_EXTENT"_s << u"※ストレージに関する情報\r\nMIN_EXTENTS・・・最小エクステントのバイト数"_s;
    QTest::newRow("H1") << u"IOT_TYPE"_s
                        << u"※特別な構造をもつ場合のみの情報（特別の構造でなければ、NULL値）\r\n"
                           u"IOT_TYPE・・・索引構成表の場合のキー部か、オーバーフロー部かの区別"_s;
    QTest::newRow("quote") << u"AVG_SPACE"_s << u"※統計情報\r\nAVG_SPACE・・・ブロックあたりの空き領域サイズの平均\""_s;
    QTest::newRow("not a prefix") << u"AVG_SPACE_FREELIST_BLOCKS"_s
                                  << u"※統計情報\r\nAVG_SPACE_FREELIST_BLOCKS・・・空きリストブロックの平均空き領域"_s;
    QTest::newRow("full-width blank") << u"CACHE"_s << u"※チューニング関連\r\nCACHE・・・テーブルがキャッシュされているか　Y/N"_s;
    QTest::newRow("H5") << u"DEGREE"_s << u"※パラレル関連\r\nDEGREE・・・パラレルクエリーにおけるデフォルト並列度（スレッド数）"_s;
    QTest::newRow("H7") << u"BACKED_UP"_s << u"※運用関連情報\r\nBACKED_UP・・・バックアップ後に変更をしたか、否か"_s;
    QTest::newRow("case-sensitive") << u"owner"_s << u"owner・・・NO DATA"_s;
    QTest::newRow("empty first line") << u"SKIP_CORRUPT"_s << u"\r\nSKIP_CORRUPT・・・コラップ処理をしてあるか、否か"_s;
}

void tst_TableInformation::help()
{
    QFETCH(QString, field);
    QTEST(diag::FieldHelpText(field), "message");
}

QTEST_MAIN(tst_TableInformation)
#include "tst_TableInformation.moc"
