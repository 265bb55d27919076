#include "help/HelpTexts.h"

#include "shared/basKovaData.h"

#include <array>

namespace basKovaData {

namespace {

using TopicText = std::array<const char16_t*, HelpLineCount>;

constexpr TopicText MainWindowText = {
    u"任意のオラクルデータベーステーブルに対してテストデータを作成します。",
    u"左側のリストからテーブルをダブルクリックすると右側に情報が表示されます。次に、任意の項目の",
    u"一番右のセルをダブルクリックすると、その項目に対してどのようなデータを挿入するか、詳しい設",
    u"定が出来ます。項目がたくさんあるときは、複数の項目をマウスで選択して「一括設定」で一度に設",
    u"定することも出来ます。ひととおり設定が終わった後は、「テストデータ作成」ボタンを押して、件",
    u"数を入力するとテストデータが作成されます。",
    u"また、項目の設定を消去したい時は、設定箇所を右クリックします。設定のヘッダーを右クリックで",
    u"全件の設定を消去することが出来ます。",
    u"「自動設定」「統計から設定」で設定を提案し、「ルール保存」「ルール読込」でファイルに残せます。",
    u"「分布比較」で分布と今の行を比べます。その他の機能はそれぞれのＨＥＬＰを見て下さい。",
};

// The rule kinds, shared by the numeric, character and date rule editors. The
// blanks of line 2 line it up under the text after the dots of line 1.
constexpr TopicText RuleEditorText = {
    u"生成するテストデータの内容の設定を行います。",
    u"単一固定、複数固定・・・あらかじめ入力された値を挿入します。",
    u"                        複数固定の場合、順番に繰り返して入力されます。",
    u"ランダム・・・・・・・・設定された範囲でランダムなデータを生成します。",
    u"連番・・・・・・・・・・設定された範囲で連番のデータを生成します。",
    u"編集・・・・・・・・・・他のテーブルから参照した値を挿入できます。",
    u"Ｎｕｌｌ・・・・・・・・ＮＵＬＬ値を挿入します。",
    u"",
    u"",
    u"",
};

// The date rule editor adds this line after one empty line.
constexpr int DateLineIndex = 8;
constexpr const char16_t* DateLine =
    u"日付は、2001年12月31日23時59分59秒 → 「20011231 235959」と１５桁で入力して下さい。";

constexpr TopicText BulkSettingText = {
    u"一括で各項目の設定を行います。",
    u"あらかじめマウスで選択した項目の中で、オプションボタンのタイプに一致するものすべて",
    u"に対して、設定を行う事が出来ます。",
    u"あらかじめ何も選択していないと、全件が対象となります。",
    u"",
    u"選択の仕方・・・",
    u"メイン画面の右の項目リストの中を任意にドラッグして、複数の行が選択された状態にします。",
    u"１件しか選択していない状態だと、全件が対象になるので注意して下さい。",
    u"",
    u"",
};

// Line 6 quotes the row limit and is written when the lines are asked for.
constexpr int RowLimitLineIndex = 6;
constexpr TopicText DataViewerText = {
    u"実際のテーブルのデータを表示します。",
    u"テキストフィールドでＳＱＬ文を入力する事が出来ます。",
    u"WHERE節は、そのまま「A=4」のように入力して下さい。WHEREはいりません。",
    u"条件が複数ある時は、「A=4 AND B LIKE 'E%' 」のようにANDやORで繋げて",
    u"ください。",
    u"",
    u"",
    u"それ以上のデータを表示したい時は、オプションで最大表示行数を変更するか、",
    u"条件を入力して絞り込みを行ってください。",
    u"",
};

constexpr TopicText SqlSourcedText = {
    u"SELECTではじまるSQL文を記述します。かならず、１つの項目のみを選択する形式で記述",
    u"してください。例：「SELECT 商品名 FROM 商品マスタ ORDER BY カナ」",
    u"例の場合、商品マスタの商品名を抜き出し、これをテストデータとして現在選択されている",
    u"項目に順番に代入されます。",
    u"",
    u"SQL文を記述したら、構文チェックボタンを押してみて下さい。実際のデータを見る事が",
    u"出来ます。",
    u"",
    u"",
    u"",
};

constexpr TopicText UpdateRowsText = {
    u"メイン画面で、あらかじめ更新したい項目に対して設定をしておきます。そして、この画面",
    u"で更新したいデータをセレクトするＳＱＬ文を記述して、更新ボタンを押す事によりデータ",
    u"更新を行います。ＳＱＬ文を記述しない場合、全件が対象となります。",
    u"",
    u"ＳＱＬ文の例:",
    u"",
    u"    会員番号<100 AND 性別=0",
    u"",
    u"※例のように、WHERE句以降の文を記述して下さい。",
    u"",
};

constexpr TopicText SqlHistoryText = {
    u"過去に実行されたＳＱＬ文のログを見る事が出来ます。日付を元にＳＱＬ文を捜し、その行",
    u"をクリックすると、画面上部のウインドウにＳＱＬ全文が表示されます。",
    u"KOVA-ORACLE自体もSQLを生成→実行していることに気をつけて下さい。",
    u"画面中央上のウインドウはセレクト条件を書き込む事が出来ます。",
    u"",
    u"基本は、「SQL_TEXT Like '%発注%' AND FIRST_LOAD_TIME LIKE '2001-12-10/12%'」。",
    u"この「発注」部分を任意のテーブル名に替えることにより、目的のＳＱＬ文を捜す事が出来",
    u"ると思います。日付指定も任意の日付をセットできます。",
    u"",
    u"テストプログラムのデバッグなどにぜひ活用してください。",
};

// The fixed lines of a topic (the date editor's without its date line).
const TopicText& FixedLines(qint16 topic)
{
    switch (topic) {
    case MainWindowHelp:
        return MainWindowText;
    case RuleEditorHelp:
    case DateRuleHelp:
        return RuleEditorText;
    case BulkSettingHelp:
        return BulkSettingText;
    case DataViewerHelp:
        return DataViewerText;
    case SqlSourcedHelp:
        return SqlSourcedText;
    case UpdateRowsHelp:
        return UpdateRowsText;
    case SqlHistoryHelp:
    default:  // callers pass topics only
        return SqlHistoryText;
    }
}

}  // namespace

bool IsHelpTopic(qint16 topic)
{
    return topic >= FirstHelpTopic && topic <= LastHelpTopic;
}

QStringList HelpLines(qint16 topic)
{
    QStringList lines;
    lines.reserve(HelpLineCount);
    if (!IsHelpTopic(topic)) {
        for (int i = 0; i < HelpLineCount; ++i)
            lines.append(QString());
        return lines;
    }
    for (const char16_t* text : FixedLines(topic))
        lines.append(QString::fromUtf16(text));
    if (topic == DateRuleHelp)
        lines[DateLineIndex] = QString::fromUtf16(DateLine);
    if (topic == DataViewerHelp)
        lines[RowLimitLineIndex] = QStringLiteral("現在の設定では、最初の")
                                   + QString::number(MaxDisplayRows)
                                   + QStringLiteral("件しか表示できません。");
    return lines;
}

}  // namespace basKovaData
