// label: core
#include "help/HelpTexts.h"
#include "shared/basKovaData.h"

#include <QtTest>

using namespace basKovaData;

namespace {

QString DataViewerLimitLine(int rows)
{
    return QStringLiteral("現在の設定では、最初の%1件しか表示できません。").arg(rows);
}

QStringList EmptyLines()
{
    return QStringList(HelpLineCount, QString());
}

}  // namespace

class tst_HelpTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetForTests(); }
    void cleanup() { ResetForTests(); }

    void topicLines_data();
    void topicLines();
    void listedLines_data();
    void listedLines();
    void rowLimitFollowsOption_data();
    void rowLimitFollowsOption();
    void rowLimitReadAtEachCall();
    void notATopic_data();
    void notATopic();
};

void tst_HelpTexts::topicLines_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QStringList>("lines");

    const QString none;
    QTest::newRow("1 main window")
        << 1
        << QStringList{
               QStringLiteral("任意のオラクルデータベーステーブルに対してテストデータを作成します。"),
               QStringLiteral("左側のリストからテーブルをダブルクリックすると右側に情報が表示されます。次に、任意の項目の"),
               QStringLiteral("一番右のセルをダブルクリックすると、その項目に対してどのようなデータを挿入するか、詳しい設"),
               QStringLiteral("定が出来ます。項目がたくさんあるときは、複数の項目をマウスで選択して「一括設定」で一度に設"),
               QStringLiteral("定することも出来ます。ひととおり設定が終わった後は、「テストデータ作成」ボタンを押して、件"),
               QStringLiteral("数を入力するとテストデータが作成されます。"),
               QStringLiteral("また、項目の設定を消去したい時は、設定箇所を右クリックします。設定のヘッダーを右クリックで"),
               QStringLiteral("全件の設定を消去することが出来ます。"),
               none,
               QStringLiteral("その他の機能に関しては、それぞれのＨＥＬＰを見て下さい。"),
           };
    const QStringList ruleKinds{
        QStringLiteral("生成するテストデータの内容の設定を行います。"),
        QStringLiteral("単一固定、複数固定・・・あらかじめ入力された値を挿入します。"),
        QStringLiteral("                        複数固定の場合、順番に繰り返して入力されます。"),
        QStringLiteral("ランダム・・・・・・・・設定された範囲でランダムなデータを生成します。"),
        QStringLiteral("連番・・・・・・・・・・設定された範囲で連番のデータを生成します。"),
        QStringLiteral("編集・・・・・・・・・・他のテーブルから参照した値を挿入できます。"),
        QStringLiteral("Ｎｕｌｌ・・・・・・・・ＮＵＬＬ値を挿入します。"),
    };
    QTest::newRow("2 rule editors") << 2 << (ruleKinds + QStringList{none, none, none});
    QTest::newRow("3 date rule editor")
        << 3
        << (ruleKinds
            + QStringList{none,
                          QStringLiteral("日付は、2001年12月31日23時59分59秒 → 「20011231 235959」と１５桁で入力して下さい。"),
                          none});
    QTest::newRow("4 bulk setting")
        << 4
        << QStringList{
               QStringLiteral("一括で各項目の設定を行います。"),
               QStringLiteral("あらかじめマウスで選択した項目の中で、オプションボタンのタイプに一致するものすべて"),
               QStringLiteral("に対して、設定を行う事が出来ます。"),
               QStringLiteral("あらかじめ何も選択していないと、全件が対象となります。"),
               none,
               QStringLiteral("選択の仕方・・・"),
               QStringLiteral("メイン画面の右の項目リストの中を任意にドラッグして、複数の行が選択された状態にします。"),
               QStringLiteral("１件しか選択していない状態だと、全件が対象になるので注意して下さい。"),
               none,
               none,
           };
    QTest::newRow("5 data viewer")
        << 5
        << QStringList{
               QStringLiteral("実際のテーブルのデータを表示します。"),
               QStringLiteral("テキストフィールドでＳＱＬ文を入力する事が出来ます。"),
               QStringLiteral("WHERE節は、そのまま「A=4」のように入力して下さい。WHEREはいりません。"),
               QStringLiteral("条件が複数ある時は、「A=4 AND B LIKE 'E%' 」のようにANDやORで繋げて"),
               QStringLiteral("ください。"),
               none,
               QStringLiteral("現在の設定では、最初の300件しか表示できません。"),
               QStringLiteral("それ以上のデータを表示したい時は、オプションで最大表示行数を変更するか、"),
               QStringLiteral("条件を入力して絞り込みを行ってください。"),
               none,
           };
    QTest::newRow("6 SQL-sourced values")
        << 6
        << QStringList{
               QStringLiteral("SELECTではじまるSQL文を記述します。かならず、１つの項目のみを選択する形式で記述"),
               QStringLiteral("してください。例：「SELECT 商品名 FROM 商品マスタ ORDER BY カナ」"),
               QStringLiteral("例の場合、商品マスタの商品名を抜き出し、これをテストデータとして現在選択されている"),
               QStringLiteral("項目に順番に代入されます。"),
               none,
               QStringLiteral("SQL文を記述したら、構文チェックボタンを押してみて下さい。実際のデータを見る事が"),
               QStringLiteral("出来ます。"),
               none,
               none,
               none,
           };
    QTest::newRow("7 update rows")
        << 7
        << QStringList{
               QStringLiteral("メイン画面で、あらかじめ更新したい項目に対して設定をしておきます。そして、この画面"),
               QStringLiteral("で更新したいデータをセレクトするＳＱＬ文を記述して、更新ボタンを押す事によりデータ"),
               QStringLiteral("更新を行います。ＳＱＬ文を記述しない場合、全件が対象となります。"),
               none,
               QStringLiteral("ＳＱＬ文の例:"),
               none,
               QStringLiteral("    会員番号<100 AND 性別=0"),
               none,
               QStringLiteral("※例のように、WHERE句以降の文を記述して下さい。"),
               none,
           };
    QTest::newRow("8 SQL history")
        << 8
        << QStringList{
               QStringLiteral("過去に実行されたＳＱＬ文のログを見る事が出来ます。日付を元にＳＱＬ文を捜し、その行"),
               QStringLiteral("をクリックすると、画面上部のウインドウにＳＱＬ全文が表示されます。"),
               QStringLiteral("KOVA-ORACLE自体もSQLを生成→実行していることに気をつけて下さい。"),
               QStringLiteral("画面中央上のウインドウはセレクト条件を書き込む事が出来ます。"),
               none,
               QStringLiteral("基本は、「SQL_TEXT Like '%発注%' AND FIRST_LOAD_TIME LIKE '2001-12-10/12%'」。"),
               QStringLiteral("この「発注」部分を任意のテーブル名に替えることにより、目的のＳＱＬ文を捜す事が出来"),
               QStringLiteral("ると思います。日付指定も任意の日付をセットできます。"),
               none,
               QStringLiteral("テストプログラムのデバッグなどにぜひ活用してください。"),
           };
}

void tst_HelpTexts::topicLines()
{
    QFETCH(int, topic);
    QFETCH(QStringList, lines);
    QCOMPARE(lines.size(), HelpLineCount);  // the table itself

    QVERIFY(IsHelpTopic(qint16(topic)));
    const QStringList actual = HelpLines(qint16(topic));
    QCOMPARE(actual.size(), HelpLineCount);
    for (int i = 0; i < HelpLineCount; ++i)
        QVERIFY2(actual.at(i) == lines.at(i), qPrintable(QStringLiteral("line %1: \"%2\"")
                                                             .arg(i)
                                                             .arg(actual.at(i))));
}

// Lines whose place matters on their own: the rule editors end after line 6,
// and the date editor puts its date line after one empty line.
void tst_HelpTexts::listedLines_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    const QString dateLine =
        QStringLiteral("日付は、2001年12月31日23時59分59秒 → 「20011231 235959」と１５桁で入力して下さい。");
    QTest::newRow("2: line 6 last kind") << 2 << 6 << QStringLiteral("Ｎｕｌｌ・・・・・・・・ＮＵＬＬ値を挿入します。");
    QTest::newRow("2: line 7 empty") << 2 << 7 << QString();
    QTest::newRow("2: line 8 empty, no date line") << 2 << 8 << QString();
    QTest::newRow("2: line 9 empty") << 2 << 9 << QString();
    QTest::newRow("3: line 6 last kind") << 3 << 6 << QStringLiteral("Ｎｕｌｌ・・・・・・・・ＮＵＬＬ値を挿入します。");
    QTest::newRow("3: line 7 empty") << 3 << 7 << QString();
    QTest::newRow("3: line 8 date line") << 3 << 8 << dateLine;
    QTest::newRow("3: line 9 empty") << 3 << 9 << QString();
    QTest::newRow("2: indented line keeps 24 blanks")
        << 2 << 2 << QString(24, QLatin1Char(' ')) + QStringLiteral("複数固定の場合、順番に繰り返して入力されます。");
    QTest::newRow("7: example keeps 4 blanks") << 7 << 6 << QStringLiteral("    会員番号<100 AND 性別=0");
}

void tst_HelpTexts::listedLines()
{
    QFETCH(int, topic);
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(HelpLines(qint16(topic)).at(index), text);
}

void tst_HelpTexts::rowLimitFollowsOption_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("line");

    QTest::newRow("default 300") << 300 << QStringLiteral("現在の設定では、最初の300件しか表示できません。");
    QTest::newRow("50") << 50 << QStringLiteral("現在の設定では、最初の50件しか表示できません。");
    QTest::newRow("smallest 1") << 1 << QStringLiteral("現在の設定では、最初の1件しか表示できません。");
    QTest::newRow("largest 32767") << 32767 << QStringLiteral("現在の設定では、最初の32767件しか表示できません。");
}

void tst_HelpTexts::rowLimitFollowsOption()
{
    QFETCH(int, rows);
    QFETCH(QString, line);
    MaxDisplayRows = qint16(rows);
    const QStringList lines = HelpLines(DataViewerHelp);
    QCOMPARE(lines.at(6), line);
    // The neighbours stay as they are.
    QCOMPARE(lines.at(5), QString());
    QCOMPARE(lines.at(7), QStringLiteral("それ以上のデータを表示したい時は、オプションで最大表示行数を変更するか、"));
}

// The option changed between two openings shows at the next one.
void tst_HelpTexts::rowLimitReadAtEachCall()
{
    QCOMPARE(MaxDisplayRows, DefaultMaxDisplayRows);
    QList<QStringList> before;
    for (qint16 topic = FirstHelpTopic; topic <= LastHelpTopic; ++topic)
        before.append(HelpLines(topic));
    QCOMPARE(before.at(DataViewerHelp - 1).at(6), DataViewerLimitLine(300));

    MaxDisplayRows = 50;
    QCOMPARE(HelpLines(DataViewerHelp).at(6), DataViewerLimitLine(50));
    // Only the data viewer's topic quotes the limit.
    for (qint16 topic = FirstHelpTopic; topic <= LastHelpTopic; ++topic) {
        if (topic != DataViewerHelp)
            QCOMPARE(HelpLines(topic), before.at(topic - 1));
    }
}

void tst_HelpTexts::notATopic_data()
{
    QTest::addColumn<int>("topic");

    QTest::newRow("0, never set") << 0;
    QTest::newRow("9, after the last") << 9;
    QTest::newRow("-1") << -1;
    QTest::newRow("-32768") << -32768;
    QTest::newRow("32767") << 32767;
}

void tst_HelpTexts::notATopic()
{
    QFETCH(int, topic);
    MaxDisplayRows = 50;
    QVERIFY(!IsHelpTopic(qint16(topic)));
    QCOMPARE(HelpLines(qint16(topic)), EmptyLines());
}

QTEST_GUILESS_MAIN(tst_HelpTexts)
#include "tst_HelpTexts.moc"
