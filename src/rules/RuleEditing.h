#pragma once
// What the three rule editors decide without any widget: which texts their
// boxes show, how typing is written into a rule, the 設定 checks with their
// message and the box to correct, the padding choice of the character editor
// and the statement of the 編集 kind kept in 100-character pieces.
#include "rules/ColumnRule.h"

#include <QString>
#include <QStringList>

namespace basKovaData {


// The value boxes a failed check sends the focus to.
enum class RuleBox {
    None,
    Single,    // TxtNUM01
    Multiple,  // TxtNUM02 i
    Random,    // TxtNUM03 i
    Sequence,  // TxtNUM04 i
    Statement, // TxtSQL
    Pattern,   // TxtPAT
    Expression,  // TxtEXP
    Weight,    // TxtWGT i
    NullRate,  // TxtNULL
};

struct RuleVerdict {
    bool accepted = true;
    QString message;  // shown with the exclamation icon, titled with the caption
    RuleBox box = RuleBox::None;
    int index = 0;
    // The empty multiple-fixed rule: slot 0 is to be ticked as by a click.
    bool tickFirstSlot = false;
};

namespace RuleMessages {
inline const QString NoMultiple = QStringLiteral("複数固定のデータを最低１件は入力して下さい。");
inline const QString NegativeUnit = QStringLiteral("マイナスの単位は入力できません。");
inline const QString ZeroUnit = QStringLiteral("単位に０は入力できません。");
inline const QString MinAboveMax = QStringLiteral("最小値＞最大値の大小エラーです。");
inline const QString NegativeStep = QStringLiteral("マイナスのステップは入力できません。");
inline const QString ZeroStep = QStringLiteral("ステップに０は入力できません。");
inline const QString BadDate = QStringLiteral("日付が正しく入力されていません。");
inline const QString NoDictionary = QStringLiteral("辞書を選択して下さい。");
inline const QString Inexact = QStringLiteral("9007199254740992を超える数値は正確に扱えないため入力できません。");
inline const QString NotQuery = QStringLiteral("編集にはデータを読むSELECT文だけを指定できます。");
inline const QString NoPattern = QStringLiteral("パターンを入力して下さい。");
inline const QString NoExpression = QStringLiteral("式を入力して下さい。");
inline const QString BadWeight = QStringLiteral("重みには1～1000の整数を入力して下さい。");
inline const QString BadNullRate = QStringLiteral("NULL率には0～100の整数を入力して下さい。");
inline const QString NullRateOnKey = QStringLiteral("キー項目にはNULL率を設定できません。");
inline const QString NullRateOnNotNull = QStringLiteral("NOT NULL項目にはNULL率を設定できません。");
}  // namespace RuleMessages

// Help topics of the editors' ヘルプ buttons.
inline constexpr qint16 NumberEditorHelp = 2;
inline constexpr qint16 DateEditorHelp = 3;
inline constexpr qint16 StatementHelp = 6;
// Date boxes take at most this many characters ("YYYYMMDD HHNNSS").
inline constexpr int DateBoxWidth = 15;
// The statement of the 編集 kind: 16 pieces of 100 characters.
inline constexpr int StatementWidth = RuleSlots * RuleTextWidth;

QString EditorCaption(TypeFamily family);
qint16 EditorHelpTopic(TypeFamily family);

// ---- checks -----------------------------------------------------------------

// The 設定 checks of `rule` for one family, in the order the user meets them.
// They may change the rule as an accepted one is kept: a blank or single
// kind becomes "0"; the date texts, units and steps they test are stored
// back trimmed and a random rule's dates in their 15-character form.
RuleVerdict CheckRule(ColumnRule& rule, TypeFamily family);
// A refusal with its message and the box to correct.
RuleVerdict Refused(const QString& message, RuleBox box, int index = 0);
// The パターン kind's check, which CheckRule runs for it: an empty pattern,
// one that cannot be read, and one whose longest value does not fit the
// column's length (in characters for a length in CHAR, else in bytes as the
// connected database counts them) are refused.
RuleVerdict CheckPattern(const ColumnRule& rule);
// The 式 kind's check, which CheckRule runs for it: an empty expression is
// refused.
RuleVerdict CheckExpression(const ColumnRule& rule);

// ---- typing -----------------------------------------------------------------
// Each change of a box rereads its whole group.

void StoreSingleBox(ColumnRule& rule, TypeFamily family, const QString& text);
// `texts` holds the 16 boxes TxtNUM02 0 to 15, ticked or not.
void StoreMultipleBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts);
// minimum, maximum, unit
void StoreRandomBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts);
// start, step
void StoreSequenceBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts);

// ---- showing ----------------------------------------------------------------

// A number in its plain decimal form, without separators: 12.5, 3, -0.25.
QString BoxNumberText(double value);
QString SingleBoxText(const ColumnRule& rule, TypeFamily family);
QString MultipleBoxText(const ColumnRule& rule, TypeFamily family, int slot);
QStringList RandomBoxTexts(const ColumnRule& rule, TypeFamily family);
QStringList SequenceBoxTexts(const ColumnRule& rule, TypeFamily family);
// What a value box selects when it gets the focus: the whole text, or for the
// character editor the text up to its trimmed length, so that the padding
// blanks of a stored value stay out of the selection.
int FocusSelectionLength(TypeFamily family, const QString& text);

// ---- padding of the character editor's random and sequence values -----------

enum class Padding { Zeros = 0, Blanks = 1, Left = 2 };
// Writes a choice (option index 0 to 2 of optSET03 / optSET04) into MultiOn 1, 2.
void SetPadding(ColumnRule& rule, Padding padding);
// The option that shows MultiOn 1 and 2; the pair never produced (1 on, 2 off)
// shows as zeros.
Padding PaddingOf(const ColumnRule& rule);

// ---- the statement of the 編集 kind -----------------------------------------

// Cuts the box text into TextValue 0 to 15; characters after 1,600 are dropped.
void StoreStatement(ColumnRule& rule, const QString& text);
// The statement as it was typed: the pieces joined whole, without the
// padding after its last character. The editor shows it and the generator
// runs it.
QString JoinStatement(const ColumnRule& rule);
// Whether a statement only reads: one query beginning with SELECT or WITH
// (after blanks and comments) that names no INSERT, UPDATE, DELETE or MERGE
// outside its literals.
bool IsQueryText(const QString& statement);

}  // namespace basKovaData
