#pragma once
// The column rule table: one generation rule per column of the chosen table,
// and the single work copy the rule editors change. Memory only; rebuilt empty
// whenever a table's columns are loaded.
#include "shared/TypeFamily.h"
#include "shared/basKovaData.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace generate {
struct ColumnProfile;
}

namespace basKovaData {

// A text field of exactly N characters: shorter values are blank-padded on the
// right, longer ones cut to their first N characters.
template <int N>
class FixedField {
public:
    FixedField() : m_text(N, QLatin1Char(' ')) {}
    FixedField(const QString& text) : m_text(FixedText(text, N)) {}  // NOLINT: assigned like a text
    FixedField& operator=(const QString& text)
    {
        m_text = FixedText(text, N);
        return *this;
    }
    static constexpr int width() { return N; }
    // All N characters.
    const QString& text() const { return m_text; }
    // Without surrounding blanks, as every reader takes it.
    QString trimmed() const { return m_text.trimmed(); }
    bool isBlank() const { return trimmed().isEmpty(); }
    bool operator==(const FixedField& other) const { return m_text == other.m_text; }

private:
    QString m_text;
};

inline constexpr int RuleSlots = 16;
// The weights of a list picked at random: 1 to 1000 per slot.
inline constexpr int MinWeight = 1;
inline constexpr int MaxWeight = 1000;
inline constexpr int RuleTextWidth = 100;

// The rule kinds. Each is stored as a one-character code, the index of the
// kind's option in every editor: "0" 単一固定 to "6" 辞書, "7" パターン,
// "8" 式 and "9" 分布; a blank code means that the column has no rule.
enum class Kind { Single, Multiple, Random, Sequence, Select, Null, Dictionary, Pattern, Expression, Distribution, None, Unknown };

// The stored code of a kind ("0" to "9"; a blank for None and Unknown).
QString KindCode(Kind kind);

// The dictionaries of the 辞書 kind, in the order the editors list them; a
// dictionary rule keeps its dictionary's name in TextValue 0.
const QStringList& DictionaryNames();

struct ColumnRule {
    // The column, as the column grid shows it.
    FixedField<50> ColumnName;
    FixedField<25> TypeText;  // e.g. "NUMBER(8)", "VARCHAR2(20)", "DATE()"
    qint16 Length = 0;        // precision, else declared character length, else 0
    qint16 Scale = 0;
    bool IsKey = false;
    bool IsNotNull = false;
    // GENERATED ALWAYS AS IDENTITY: the database gives the value, an INSERT
    // names the table's other columns and leaves this one out.
    bool IsIdentity = false;
    // The rule. A blank kind means no rule has been set.
    FixedField<1> RuleKind;
    std::array<bool, RuleSlots> MultiOn{};
    std::array<double, RuleSlots> NumValue{};
    std::array<FixedField<RuleTextWidth>, RuleSlots> TextValue{};
    // How production data looks, on top of the kind:
    int NullRate = 0;            // percent of rows that get NULL instead (0 to 100)
    bool RandomOrder = false;    // 複数固定: pick a slot at random by weight, not in turn
    std::array<int, RuleSlots> Weight = FilledWeights();
    bool Unique = false;         // 重複なし: no value twice in the column
    QString Pattern;             // パターン: the regular expression read as a recipe
    QString Expression;          // 式: JavaScript over the row's other values
    // A foreign key, set by 自動設定 and rule files beside a SELECT of the
    // parent's keys (what the editors show). While the rule is still that
    // SELECT, a run draws a parent row from every row of the parent, not
    // from the SELECT's list.
    struct ParentLink {
        QString table;           // the parent table, as the dictionary spells it
        QString column;          // the parent's key column this column takes
        QString constraint;      // the columns of one constraint take one parent row
        bool distinct = false;   // part of a key made only of foreign keys: no combination twice
        QString statement;       // the SELECT the link stands beside
        bool operator==(const ParentLink&) const = default;
    };
    std::optional<ParentLink> Parent;
    // 分布: the figures the values are drawn from (see ColumnProfile.h),
    // learned from a table and never edited in place; shared between copies.
    std::shared_ptr<const generate::ColumnProfile> Distribution;

    // The kind code read as a number, as the editors and the grid read it: a
    // blank reads as 0, anything that is not a number as 0.
    int kindNumber() const;
    // The kind as the editors, the grid and the number and character values
    // read it: through kindNumber, so a blank code is 単一固定.
    Kind kind() const;
    // The kind exactly as stored: None for a blank code, Unknown for a code of
    // no kind. Dates and the update take the code this way.
    Kind storedKind() const;
    void setKind(Kind kind) { RuleKind = KindCode(kind); }
    // The family of the column's type, by the start of TypeText.
    TypeFamily family() const { return FamilyOfTypeText(TypeText.text()); }
    // Empties the rule part (kind blank, every slot blank, 0 or off).
    void clearRule();
    // The foreign key link while the rule is still the SELECT it stands
    // beside; none once the kind or the statement was changed.
    const ParentLink* parent() const;

    static std::array<int, RuleSlots> FilledWeights()
    {
        std::array<int, RuleSlots> weights{};
        weights.fill(MinWeight);
        return weights;
    }
};

// One record per column; entry i belongs to grid row i, entry 0 is unused.
extern std::vector<ColumnRule> ColumnRules;
// The work copy an editor shows and changes.
extern ColumnRule CurrentRule;
// The seed of the creation runs (シード): the same rows on every run; none,
// the program's random sequence. Kept with the rules in rule files.
extern std::optional<std::uint64_t> ChosenSeed;
// True after an editor was closed with キャンセル, false after 設定.
extern bool EditCancelled;
// Columns loaded into the column grid.
extern qint16 ColumnCount;

// The columns and rules of one table, handed to what makes its rows (a
// creation run, the preview, the update, kova-generate), so that several
// tables' rules can live at once. Entry i is column i; entry 0 is unused.
struct TableRules {
    QString table;
    std::vector<ColumnRule> columns = std::vector<ColumnRule>(1);
    // With a seed, each column draws from a stream of its own, so the same
    // rules give the same rows on every run; without, from the program's
    // sequence.
    std::optional<std::uint64_t> seed;

    int count() const { return static_cast<int>(columns.size()) - 1; }
    const ColumnRule& operator[](int column) const { return columns[static_cast<std::size_t>(column)]; }
    ColumnRule& operator[](int column) { return columns[static_cast<std::size_t>(column)]; }
    // The chosen table's rules as the main window holds them: ColumnRules
    // up to ColumnCount, with ChosenSeed.
    static TableRules FromShared(const QString& table);
};

// Empties the table to the single unused entry 0 and forgets CurrentRule and
// the seed, which belong to the rules of the table they were set for.
void ResetColumnRules();

// Columns whose rule kind, read as a number, is 4 (values from a SELECT).
int CountSelectRules();
// Columns carrying any rule (a non-blank kind).
int CountSetRules();

}  // namespace basKovaData
