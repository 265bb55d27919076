#pragma once
// What a column's values look like, learned from a table's rows or from the
// optimizer's statistics: the figures the 分布 rule kind draws from and the
// comparison measures. Shares are of all the table's rows (NULLs included),
// so that the NULL share, the frequent values and the buckets add up to 1.
//
// In a rule file the figures are one JSON object beside "kind": "distribution":
//
//   {"family": "number", "nulls": 0.3, "distinct": 5200, "low": 1, "high": 99000,
//    "frequent": [["A", 0.6], ["B", 0.05]],
//    "buckets": [[1, 120, 0.0125, 64], [120, 480, 0.0125, 71], ...],
//    "shapes": [["999-9999", 0.02]],
//    "classes": {"digit": 0.4, "latin": 0.1, "kana": 0.2, "kanji": 0.3, "blank": 0, "symbol": 0},
//    "dictionary": "氏名",
//    "pair": {"column": "CITY", "values": [["東京都", "新宿区", 0.01], ...]},
//    "follows": "PREF"}
//
// "family" ("number", "date" or "text") says how the values read; a rule file
// checks it against its column. Values (frequent values, pair values) are texts: a number as its digits, a
// date as "YYYYMMDD HHNNSS", a text as it is. "low", "high" and the buckets'
// bounds are numbers for NUMBER columns, dates as texts for DATE columns and
// lengths in characters for character columns. Only "nulls" and "distinct"
// are required.
#include "shared/TypeFamily.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace generate {

// The most entries a profile keeps of each list. Oracle keeps at most 254
// endpoints in a histogram of its classic form; PostgreSQL's default
// statistics target keeps 100 frequent values and 101 bounds.
inline constexpr int MaxFrequentValues = 254;
inline constexpr int MaxProfileBuckets = 254;
inline constexpr int MaxTextShapes = 32;
inline constexpr int MaxPairValues = 1024;

// The character classes a text's characters are counted in.
enum class CharacterClass { Digit, Latin, Kana, Kanji, Blank, Symbol };
inline constexpr int CharacterClassCount = 6;

struct ColumnProfile {
    // How the values and bounds read: set by the column's type, never stored.
    enum class Family { Number, Date, Text };
    Family family = Family::Text;

    double nulls = 0.0;     // share of NULL rows, 0 to 1
    double distinct = 0.0;  // distinct values other than NULL

    struct Frequent {
        QString value;
        double share = 0.0;
        bool operator==(const Frequent&) const = default;
    };
    // The most frequent values, most frequent first.
    std::vector<Frequent> frequent;

    // The rest of the values (neither NULL nor frequent), by value: numbers,
    // dates as seconds since 1970-01-01 00:00:00 UTC, texts by length. Each
    // bucket's values lie from `low` to `high` (a single value when they are
    // equal), and hold `distinct` distinct values.
    struct Bucket {
        double low = 0.0;
        double high = 0.0;
        double share = 0.0;
        double distinct = 1.0;
        bool operator==(const Bucket&) const = default;
    };
    std::vector<Bucket> buckets;
    // The smallest and largest value (texts: the shortest and longest length).
    std::optional<double> low;
    std::optional<double> high;

    // Texts: the shapes that many values share, one class character per
    // character: '9' a digit, 'A' and 'a' a Latin capital and small letter,
    // 'あ' hiragana, 'ア' katakana, '漢' a kanji, a blank as ' ', any other
    // character as itself. Shares are of all rows.
    struct Shape {
        QString shape;
        double share = 0.0;
        bool operator==(const Shape&) const = default;
    };
    std::vector<Shape> shapes;
    // Texts outside the shapes: the share of each class among their characters.
    std::array<double, CharacterClassCount> classes{};

    // A personal column: values come from this Japanese dictionary (one of
    // DictionaryNames), with the profile's NULL share, lengths and distinct
    // count, and never from the source.
    QString dictionary;

    // Two columns drawn together: the leading column keeps their joint
    // values (its own first), the other names the leading column in `follows`.
    struct PairValue {
        QString mine;
        QString theirs;
        double share = 0.0;
        bool operator==(const PairValue&) const = default;
    };
    struct Pair {
        QString column;
        std::vector<PairValue> values;
        bool operator==(const Pair&) const = default;
    };
    std::optional<Pair> pair;
    QString follows;

    bool operator==(const ColumnProfile&) const = default;

    // The share of rows that are neither NULL nor a frequent value.
    double restShare() const;
};

// The family of a profile of a column of `family` (Other reads as Text).
ColumnProfile::Family ProfileFamily(basKovaData::TypeFamily family);
// The class a character is counted in.
CharacterClass ClassOf(QChar c);
// The shape of a text (see ColumnProfile::Shape).
QString ShapeOf(QStringView text);
// A date bound as seconds since 1970 UTC and back ("YYYYMMDD HHNNSS").
QString DateBoundText(double seconds);
std::optional<double> DateBoundSeconds(const QString& text);

// The JSON object of a profile (see above).
QJsonObject ProfileJson(const ColumnProfile& profile);
// The profile of a JSON object for a column of `family` (none: the object's
// own "family", then required), or none with *problem saying what is wrong:
// a "family" that is not the column's, a share outside 0 to 1, shares that
// add up to more than 1, a bucket whose low passes its high, a value that
// does not read as the family's, a list longer than its limit, an unknown key.
std::optional<ColumnProfile> ReadProfileJson(const QJsonObject& object,
                                             std::optional<ColumnProfile::Family> family, QString* problem);

// How many children the rows of a parent table have through one foreign
// key: `share` of the parent's rows have from `low` to `high` children
// (drawn evenly between them).
struct ChildCount {
    qint64 low = 0;
    qint64 high = 0;
    double share = 0.0;
    bool operator==(const ChildCount&) const = default;
};
inline constexpr int MaxChildCounts = 254;

}  // namespace generate
