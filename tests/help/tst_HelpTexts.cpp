// label: core
#include "help/HelpTexts.h"
#include "shared/basKovaData.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace basKovaData;

class tst_HelpTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetForTests(); }

    void lines_data()
    {
        QTest::addColumn<int>("topic");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 first") << 1 << 0 << u"任意のオラクルデータベーステーブルに対してテストデータを作成します。"_s;
        QTest::newRow("1 last") << 1 << 9 << u"「分布比較」で分布と今の行を比べます。その他の機能はそれぞれのＨＥＬＰを見て下さい。"_s;
        QTest::newRow("1 names the rule commands") << 1 << 8 << u"「自動設定」「統計から設定」で設定を提案し、「ルール保存」「ルール読込」でファイルに残せます。"_s;
        QTest::newRow("2 keeps 24 blanks")
            << 2 << 2 << QString(24, u' ') + u"複数固定の場合、順番に繰り返して入力されます。"_s;
        QTest::newRow("2 last kind") << 2 << 6 << u"Ｎｕｌｌ・・・・・・・・ＮＵＬＬ値を挿入します。"_s;
        QTest::newRow("2 no date line") << 2 << 8 << QString();
        QTest::newRow("3 date line")
            << 3 << 8 << u"日付は、2001年12月31日23時59分59秒 → 「20011231 235959」と１５桁で入力して下さい。"_s;
        QTest::newRow("3 empty after the date") << 3 << 9 << QString();
        QTest::newRow("4 selection") << 4 << 5 << u"選択の仕方・・・"_s;
        QTest::newRow("5 row limit") << 5 << 6 << u"現在の設定では、最初の300件しか表示できません。"_s;
        QTest::newRow("6 example") << 6 << 1 << u"してください。例：「SELECT 商品名 FROM 商品マスタ ORDER BY カナ」"_s;
        QTest::newRow("7 example keeps 4 blanks") << 7 << 6 << u"    会員番号<100 AND 性別=0"_s;
        QTest::newRow("8 last") << 8 << 9 << u"テストプログラムのデバッグなどにぜひ活用してください。"_s;
    }

    void lines()
    {
        QFETCH(int, topic);
        QFETCH(int, index);
        QVERIFY(IsHelpTopic(qint16(topic)));
        const QStringList lines = HelpLines(qint16(topic));
        QCOMPARE(lines.size(), HelpLineCount);
        QTEST(lines.at(index), "text");
    }

    // The data viewer's topic quotes the row limit as it is at each call.
    void rowLimitReadAtEachCall()
    {
        for (int rows : {50, 1, 32767}) {
            MaxDisplayRows = qint16(rows);
            QCOMPARE(HelpLines(DataViewerHelp).at(6), u"現在の設定では、最初の%1件しか表示できません。"_s.arg(rows));
        }
    }

    void notATopic()
    {
        for (int topic : {0, 9, -1, -32768, 32767}) {
            QVERIFY(!IsHelpTopic(qint16(topic)));
            QCOMPARE(HelpLines(qint16(topic)), QStringList(HelpLineCount, QString()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_HelpTexts)
#include "tst_HelpTexts.moc"
