#include "generate/PatternRecipe.h"

#include "shared/Cp932.h"
#include "shared/Utf8Length.h"

#include <QRegularExpression>

#include <algorithm>
#include <compare>
#include <map>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace generate {

// The compiled form: a tree of nodes that Generate walks, drawing only where
// there is a choice to make.
namespace pattern {

// Code points from `first` to `last`, both included.
struct Range {
    char32_t first = 0;
    char32_t last = 0;
    auto operator<=>(const Range&) const = default;
};
using Ranges = std::vector<Range>;

// The characters of a class, sorted and merged, with how many there are up
// to the end of each range so that a draw finds its character by bisection.
struct CharSet {
    Ranges ranges;
    std::vector<quint32> ends;
    quint32 count = 0;
};

enum class Kind { Text, Class, Sequence, Choice, Repeat };

struct Node {
    Kind kind = Kind::Text;
    QString text;                         // Text
    std::shared_ptr<const CharSet> set;   // Class
    std::vector<int> children;            // Sequence, Choice; Repeat has one
    int min = 0;                          // Repeat
    int max = 0;
    int maxChars = 0;
    int maxBytes = 0;
    int maxUtf8 = 0;
    double distinct = 1;
};

}  // namespace pattern

using namespace pattern;

struct PatternRecipe::Program {
    std::vector<Node> nodes;
    int root = 0;

    void Emit(int index, const std::function<double()>& draw, QString& out) const;
};

namespace {

constexpr double MaxDistinct = 1e18;
// What *, + and {n,} add to the least count.
constexpr int OpenRepeat = 8;
// Groups inside groups.
constexpr int MaxNesting = 100;

const Ranges PrintableAscii{{0x21, 0x7E}};
const Ranges Digits{{'0', '9'}};
const Ranges WordCharacters{{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
const Ranges Blank{{' ', ' '}};
const Ranges Surrogates{{0xD800, 0xDFFF}};

// `from` without `minus`, both sorted and merged.
Ranges Subtract(const Ranges& from, const Ranges& minus)
{
    Ranges out;
    for (Range range : from) {
        bool left = true;
        for (const Range& cut : minus) {
            if (cut.last < range.first || cut.first > range.last)
                continue;
            if (cut.first > range.first)
                out.push_back({range.first, cut.first - 1});
            if (cut.last >= range.last) {
                left = false;
                break;
            }
            range.first = cut.last + 1;
        }
        if (left)
            out.push_back(range);
    }
    return out;
}

// Sorted and merged, without the surrogate code points (which are no
// characters of their own).
Ranges Normalized(Ranges ranges)
{
    std::sort(ranges.begin(), ranges.end());
    Ranges merged;
    for (const Range& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1)
            merged.back().last = std::max(merged.back().last, range.last);
        else
            merged.push_back(range);
    }
    return Subtract(merged, Surrogates);
}

// The JIS level-1 kanji: code page 932 from 889F to 9872.
const Ranges& KanjiLevel1()
{
    static const Ranges kanji = [] {
        QByteArray bytes;
        for (int lead = 0x88; lead <= 0x98; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const int code = lead << 8 | trail;
                if (trail != 0x7F && code >= 0x889F && code <= 0x9872)
                    bytes.append(char(lead)).append(char(trail));
            }
        }
        Ranges ranges;
        for (const QChar c : basKovaData::FromCp932(bytes)) {
            if (c != QChar::ReplacementCharacter && c.unicode() != 0)
                ranges.push_back({c.unicode(), c.unicode()});
        }
        return Normalized(std::move(ranges));
    }();
    return kanji;
}

// The longest character of a range in UTF-16 units and in bytes as LENGTHB
// counts them (Cp932Length): one for ASCII and half-width katakana, two for
// every other character.
int RangeUnits(const Range& range)
{
    return range.last >= 0x10000 ? 2 : 1;
}

int RangeBytes(const Range& range)
{
    return range.last < 0x80 || (range.first >= 0xFF61 && range.last <= 0xFF9F) ? 1 : 2;
}

// The same in UTF-8, as a server counts them.
int RangeUtf8(const Range& range)
{
    return basKovaData::Utf8Bytes(range.last);
}

double Saturated(double value)
{
    return std::min(value, MaxDistinct);
}

// A whole number from 0 to n - 1 from one draw.
quint32 Pick(const std::function<double()>& draw, quint32 n)
{
    const double value = draw();
    if (!(value > 0.0))
        return 0;
    if (value >= 1.0)
        return n - 1;
    return std::min(n - 1, static_cast<quint32>(value * n));
}

void AppendCodePoint(QString& out, char32_t code)
{
    if (code < 0x10000) {
        out += QChar(char16_t(code));
    } else {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    }
}

// What a few of the regular expression library's messages say in the
// program's words.
QString RegexError(const QString& error)
{
    static const std::pair<QLatin1StringView, const char16_t*> Known[] = {
        {"missing closing parenthesis"_L1, u"「)」が足りません"},
        {"missing terminating ] for character class"_L1, u"「]」が足りません"},
        {"unmatched closing parenthesis"_L1, u"対応する「(」のない「)」があります"},
        {"quantifier does not follow a repeatable item"_L1, u"繰り返すものがありません"},
        {"numbers out of order in {} quantifier"_L1, u"回数の大小が逆です"},
        {"number too big in {} quantifier"_L1, u"回数が大きすぎます"},
        {"\\ at end of pattern"_L1, u"「\\」で終わっています"},
        {"range out of order in character class"_L1, u"文字の範囲が逆順です"},
        {"invalid range in character class"_L1, u"文字の範囲の書き方が正しくありません"},
        {"reference to non-existent subpattern"_L1, u"後方参照は使えません"},
        {"PCRE2 does not support \\F, \\L, \\l, \\N{name}, \\U, or \\u"_L1,
         u"「\\u」などは使えません。文字コードは「\\x{3042}」の形で書いて下さい"},
        {"disallowed Unicode code point (>= 0xd800 && <= 0xdfff)"_L1, u"サロゲートの文字コードは使えません"},
    };
    for (const auto& [english, japanese] : Known) {
        if (error == english)
            return QString::fromUtf16(japanese);
    }
    return error;
}

// A part of the pattern inside a class or after a backslash: one character,
// or a set of them.
struct Item {
    bool single = true;
    char32_t code = 0;
    Ranges set;
};

Item Character(char32_t code)
{
    return Item{true, code, {}};
}

Item Set(Ranges set)
{
    return Item{false, 0, std::move(set)};
}

// Reads a pattern into nodes. A refusal is thrown as a PatternProblem.
class Parser {
public:
    explicit Parser(const QString& pattern) : m_s(pattern), m_size(pattern.size()) {}

    int Parse()
    {
        const int root = Alternatives();
        if (m_i < m_size)  // only a ")" stops the top level early
            Refuse(m_i, 1, u"に対応する「(」がありません。"_s);
        return root;
    }

    std::vector<Node> nodes;

private:
    [[noreturn]] void Refuse(qsizetype at, qsizetype length, const QString& tail) const
    {
        throw PatternProblem{int(at) + 1,
                             u"パターンの%1文字目「%2」%3"_s.arg(QString::number(at + 1), m_s.mid(at, length), tail)};
    }

    [[noreturn]] void RefuseUnusable(qsizetype at, qsizetype length, const QString& hint = {}) const
    {
        Refuse(at, length, u"は使えません%1。"_s.arg(hint));
    }

    int Add(Node node)
    {
        nodes.push_back(std::move(node));
        return int(nodes.size()) - 1;
    }

    char32_t NextCodePoint()
    {
        const QChar c = m_s[m_i++];
        if (c.isHighSurrogate() && m_i < m_size && m_s[m_i].isLowSurrogate())
            return QChar::surrogateToUcs4(c, m_s[m_i++]);
        return c.unicode();
    }

    int CharacterNode(char32_t code)
    {
        Node node;
        AppendCodePoint(node.text, code);
        node.maxChars = int(node.text.size());
        node.maxBytes = RangeBytes({code, code});
        node.maxUtf8 = RangeUtf8({code, code});
        return Add(std::move(node));
    }

    // A class node over `ranges` (normalized, not empty); a text node when it
    // holds one character. Classes written alike share their set.
    int SetNode(const Ranges& ranges)
    {
        if (ranges.size() == 1 && ranges[0].first == ranges[0].last)
            return CharacterNode(ranges[0].first);
        std::shared_ptr<const CharSet>& shared = m_sets[ranges];
        if (!shared) {
            auto set = std::make_shared<CharSet>();
            set->ranges = ranges;
            for (const Range& range : ranges) {
                set->count += range.last - range.first + 1;
                set->ends.push_back(set->count);
            }
            shared = std::move(set);
        }
        Node node;
        node.kind = Kind::Class;
        node.set = shared;
        for (const Range& range : ranges) {
            node.maxChars = std::max(node.maxChars, RangeUnits(range));
            node.maxBytes = std::max(node.maxBytes, RangeBytes(range));
            node.maxUtf8 = std::max(node.maxUtf8, RangeUtf8(range));
        }
        node.distinct = shared->count;
        return Add(std::move(node));
    }

    int Alternatives()
    {
        std::vector<int> branches{Sequence()};
        while (m_i < m_size && m_s[m_i] == u'|') {
            ++m_i;
            branches.push_back(Sequence());
        }
        if (branches.size() == 1)
            return branches[0];
        Node choice;
        choice.kind = Kind::Choice;
        choice.distinct = 0;
        for (const int branch : branches) {
            choice.maxChars = std::max(choice.maxChars, nodes[branch].maxChars);
            choice.maxBytes = std::max(choice.maxBytes, nodes[branch].maxBytes);
            choice.maxUtf8 = std::max(choice.maxUtf8, nodes[branch].maxUtf8);
            choice.distinct = Saturated(choice.distinct + nodes[branch].distinct);
        }
        choice.children = std::move(branches);
        return Add(std::move(choice));
    }

    int Sequence()
    {
        Node sequence;
        sequence.kind = Kind::Sequence;
        while (m_i < m_size && m_s[m_i] != u'|' && m_s[m_i] != u')') {
            const qsizetype start = m_i;
            const int item = Quantified(Atom());
            if (item < 0)
                continue;
            const Node& node = nodes[item];
            if (sequence.maxChars + node.maxChars > PatternRecipe::MaxValueChars)
                Refuse(start, m_i - start, u"で値が%1文字を超えます。"_s.arg(PatternRecipe::MaxValueChars));
            sequence.maxChars += node.maxChars;
            sequence.maxBytes += node.maxBytes;
            sequence.maxUtf8 += node.maxUtf8;
            sequence.distinct = Saturated(sequence.distinct * node.distinct);
            std::vector<int>& items = sequence.children;
            if (!items.empty() && nodes[items.back()].kind == Kind::Text && node.kind == Kind::Text) {
                Node& last = nodes[items.back()];
                last.text += node.text;
                last.maxChars += node.maxChars;
                last.maxBytes += node.maxBytes;
                last.maxUtf8 += node.maxUtf8;
            } else {
                items.push_back(item);
            }
        }
        if (sequence.children.empty())
            return Add(Node{});
        if (sequence.children.size() == 1)
            return sequence.children[0];
        return Add(std::move(sequence));
    }

    // One thing to repeat; nothing for the leading "^" and the trailing "$".
    std::optional<int> Atom()
    {
        const qsizetype at = m_i;
        switch (m_s[at].unicode()) {
        case u'(':
            return Group();
        case u'[':
            return Class();
        case u'.':
            ++m_i;
            return SetNode(PrintableAscii);
        case u'\\': {
            const Item item = Escape();
            return item.single ? CharacterNode(item.code) : SetNode(Normalized(item.set));
        }
        case u'^':
        case u'$':
            if ((m_s[at] == u'^' && at == 0) || (m_s[at] == u'$' && at == m_size - 1)) {
                ++m_i;
                return std::nullopt;
            }
            RefuseUnusable(at, 1, u"（書けるのは先頭の「^」と末尾の「$」だけです）"_s);
        case u'?':
        case u'*':
        case u'+':
            Refuse(at, 1, u"の前に繰り返すものがありません。"_s);
        case u'{':
            if (Braces())
                Refuse(at, m_i - at, u"の前に繰り返すものがありません。"_s);
            Refuse(at, 1, u"は回数（{n}、{n,}、{n,m}）の形になっていません。文字の「{」は「\\{」と書いて下さい。"_s);
        default:
            return CharacterNode(NextCodePoint());
        }
    }

    // "{n}", "{n,}" or "{n,m}" at the present position: the counts (m is -1
    // for "{n,}"), moving past it; nothing, staying put, for anything else.
    std::optional<std::pair<long long, long long>> Braces()
    {
        qsizetype i = m_i + 1;
        auto number = [&]() -> std::optional<long long> {
            long long value = 0;
            const qsizetype start = i;
            for (; i < m_size && m_s[i] >= u'0' && m_s[i] <= u'9'; ++i)
                value = std::min(value * 10 + (m_s[i].unicode() - u'0'), 1'000'000'000LL);
            return i > start ? std::optional(value) : std::nullopt;
        };
        const std::optional<long long> least = number();
        if (!least || i >= m_size)
            return std::nullopt;
        long long most = *least;
        if (m_s[i] == u',') {
            ++i;
            most = number().value_or(-1);
        }
        if (i >= m_size || m_s[i] != u'}')
            return std::nullopt;
        m_i = i + 1;
        return std::pair(*least, most);
    }

    // The counts of a quantifier at the present position, moving past it.
    std::optional<std::pair<int, int>> Quantifier()
    {
        if (m_i >= m_size)
            return std::nullopt;
        const qsizetype at = m_i;
        std::pair<int, int> counts;
        switch (m_s[at].unicode()) {
        case u'?':
            counts = {0, 1};
            ++m_i;
            break;
        case u'*':
            counts = {0, OpenRepeat};
            ++m_i;
            break;
        case u'+':
            counts = {1, OpenRepeat};
            ++m_i;
            break;
        case u'{': {
            const auto braces = Braces();
            if (!braces)
                return std::nullopt;
            const auto [least, most] = *braces;
            if (std::max(least, most) > PatternRecipe::MaxRepeat)
                Refuse(at, m_i - at, u"の回数が多すぎます（%1回まで）。"_s.arg(PatternRecipe::MaxRepeat));
            if (most >= 0 && most < least)
                Refuse(at, m_i - at, u"の回数の大小が逆です。"_s);
            counts = {int(least), most < 0 ? int(least) + OpenRepeat : int(most)};
            break;
        }
        default:
            return std::nullopt;
        }
        if (m_i < m_size && m_s[m_i] == u'?')  // lazy: the same here
            ++m_i;
        else if (m_i < m_size && m_s[m_i] == u'+')
            RefuseUnusable(at, m_i + 1 - at);
        return counts;
    }

    int Quantified(std::optional<int> atom)
    {
        const qsizetype at = m_i;
        const std::optional<std::pair<int, int>> counts = Quantifier();
        if (!counts)
            return atom.value_or(-1);
        if (!atom)
            Refuse(at, m_i - at, u"の前に繰り返すものがありません。"_s);
        const qsizetype next = m_i;
        if (Quantifier())
            Refuse(next, m_i - next, u"は繰り返しの後に続けて書けません。"_s);
        const auto [least, most] = *counts;
        if (least == 1 && most == 1)
            return *atom;
        Node& child = nodes[*atom];
        if (qint64(child.maxChars) * most > PatternRecipe::MaxValueChars)
            Refuse(at, m_i - at, u"で値が%1文字を超えます。"_s.arg(PatternRecipe::MaxValueChars));
        if (least == most && child.kind == Kind::Text) {
            child.text = child.text.repeated(least);
            child.maxChars *= least;
            child.maxBytes *= least;
            child.maxUtf8 *= least;
            return *atom;
        }
        Node repeat;
        repeat.kind = Kind::Repeat;
        repeat.children = {*atom};
        repeat.min = least;
        repeat.max = most;
        repeat.maxChars = child.maxChars * most;
        repeat.maxBytes = child.maxBytes * most;
        repeat.maxUtf8 = child.maxUtf8 * most;
        double power = 1;
        for (int k = 0; k < least; ++k)
            power = Saturated(power * child.distinct);
        repeat.distinct = 0;
        for (int k = least; k <= most; ++k) {
            repeat.distinct = Saturated(repeat.distinct + power);
            power = Saturated(power * child.distinct);
        }
        return Add(std::move(repeat));
    }

    int Group()
    {
        const qsizetype open = m_i++;
        if (m_i < m_size && m_s[m_i] == u'?') {
            const QStringView rest = QStringView(m_s).mid(m_i + 1);
            if (rest.startsWith(u':')) {
                m_i += 2;
            } else if ((rest.startsWith(u'<') || rest.startsWith(u"P<")) && !rest.startsWith(u"<=")
                       && !rest.startsWith(u"<!")) {
                const qsizetype close = m_s.indexOf(u'>', m_i);
                if (close < 0)
                    RefuseUnusable(open, 3);
                const qsizetype from = m_i + (rest.startsWith(u'<') ? 2 : 3);
                const QString name = m_s.mid(from, close - from);
                static const QRegularExpression groupName(u"^[A-Za-z_][A-Za-z0-9_]{0,31}$"_s);
                if (!groupName.match(name).hasMatch())
                    Refuse(open, close + 1 - open, u"のグループ名は英字か「_」で始まる32文字までの英数字にして下さい。"_s);
                m_i = close + 1;
            } else {
                RefuseUnusable(open, rest.startsWith(u'<') ? 4 : 3);
            }
        } else if (m_i < m_size && m_s[m_i] == u'*') {
            RefuseUnusable(open, 2);
        }
        if (++m_depth > MaxNesting)
            Refuse(open, 1, u"で括弧が深すぎます（%1段まで）。"_s.arg(MaxNesting));
        const int inner = Alternatives();
        --m_depth;
        if (m_i >= m_size)
            Refuse(open, 1, u"に対応する「)」がありません。"_s);
        ++m_i;
        return inner;
    }

    int Class()
    {
        const qsizetype open = m_i++;
        const bool negated = m_i < m_size && m_s[m_i] == u'^';
        m_i += negated ? 1 : 0;
        Ranges ranges;
        for (bool first = true;; first = false) {
            if (m_i >= m_size)
                Refuse(open, 1, u"に対応する「]」がありません。"_s);
            if (m_s[m_i] == u']' && !first) {  // a "]" first stands for itself
                ++m_i;
                break;
            }
            const qsizetype at = m_i;
            Item item = ClassItem();
            if (item.single && m_i + 1 < m_size && m_s[m_i] == u'-' && m_s[m_i + 1] != u']') {
                ++m_i;
                const qsizetype to = m_i;
                const Item last = ClassItem();
                if (!last.single)
                    Refuse(to, m_i - to, u"は範囲の終わりに書けません。"_s);
                if (last.code < item.code)
                    Refuse(at, m_i - at, u"の範囲が逆順です。"_s);
                ranges.push_back({item.code, last.code});
            } else if (item.single) {
                ranges.push_back({item.code, item.code});
            } else {
                ranges.insert(ranges.end(), item.set.begin(), item.set.end());
            }
        }
        Ranges set = Normalized(std::move(ranges));
        if (negated)
            set = Subtract(PrintableAscii, set);
        if (set.empty())
            Refuse(open, m_i - open, u"に当てはまる文字がありません。"_s);
        return SetNode(set);
    }

    Item ClassItem()
    {
        if (m_s[m_i] == u'\\')
            return Escape();
        if (m_s[m_i] == u'[')
            RefuseUnusable(m_i, 1, u"（文字クラスの中の「[」は「\\[」と書いて下さい）"_s);
        return Character(NextCodePoint());
    }

    // A backslash and what follows it.
    Item Escape()
    {
        const qsizetype at = m_i;
        if (m_i + 1 >= m_size)
            Refuse(at, 1, u"の後に文字がありません。"_s);
        const char16_t letter = m_s[m_i + 1].unicode();
        m_i += 2;
        switch (letter) {
        case u'd':
            return Set(Digits);
        case u'D':
            return Set(Subtract(PrintableAscii, Digits));
        case u'w':
            return Set(WordCharacters);
        case u'W':
            return Set(Subtract(PrintableAscii, WordCharacters));
        case u's':
            return Set(Blank);
        case u'S':
            return Set(Subtract(PrintableAscii, Blank));
        case u't':
            return Character(u'\t');
        case u'n':
            return Character(u'\n');
        case u'r':
            return Character(u'\r');
        case u'f':
            return Character(u'\f');
        case u'x':
            return Character(Hex(at));
        case u'p':
        case u'P':
            return Set(Property(at, letter == u'P'));
        default:
            break;
        }
        if (letter >= u'0' && letter <= u'9') {
            while (m_i < m_size && m_s[m_i] >= u'0' && m_s[m_i] <= u'9')
                ++m_i;
            RefuseUnusable(at, m_i - at, u"（後方参照と8進数）"_s);
        }
        if ((letter >= u'a' && letter <= u'z') || (letter >= u'A' && letter <= u'Z'))
            RefuseUnusable(at, 2);
        --m_i;  // any other character stands for itself
        return Character(NextCodePoint());
    }

    // The character of "\xHH" or "\x{H...}"; the present position is past "\x".
    char32_t Hex(qsizetype at)
    {
        char32_t value = 0;
        int digits = 0;
        const bool braced = m_i < m_size && m_s[m_i] == u'{';
        m_i += braced ? 1 : 0;
        for (; m_i < m_size && (braced || digits < 2); ++m_i, ++digits) {
            const char16_t c = m_s[m_i].unicode();
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                              : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                       : -1;
            if (digit < 0)
                break;
            value = std::min<char32_t>(value * 16 + char32_t(digit), 0x110000);
        }
        if (digits == 0 || (braced && (m_i >= m_size || m_s[m_i] != u'}')))
            Refuse(at, m_i - at, u"の後に16進数の文字コードがありません。"_s);
        m_i += braced ? 1 : 0;
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            Refuse(at, m_i - at, u"の文字コードは文字を表していません。"_s);
        return value;
    }

    // The set of "\p{Name}" (or all but it, over the printable ASCII
    // characters, for "\P"); the present position is past "\p".
    Ranges Property(qsizetype at, bool negated)
    {
        const QString hint = u"（使えるのは \\p{Hiragana}、\\p{Katakana}、\\p{Han}）"_s;
        const qsizetype close = m_i < m_size && m_s[m_i] == u'{' ? m_s.indexOf(u'}', m_i) : -1;
        if (close < 0)
            RefuseUnusable(at, 3, hint);
        const QStringView name = QStringView(m_s).mid(m_i + 1, close - m_i - 1);
        m_i = close + 1;
        Ranges set;
        if (name == u"Hiragana")
            set = {{u'ぁ', u'ん'}};
        else if (name == u"Katakana")
            set = {{u'ァ', u'ヶ'}};
        else if (name == u"Han")
            set = KanjiLevel1();
        else
            RefuseUnusable(at, m_i - at, hint);
        return negated ? Subtract(PrintableAscii, set) : set;
    }

    const QString& m_s;
    const qsizetype m_size;
    qsizetype m_i = 0;
    int m_depth = 0;
    std::map<Ranges, std::shared_ptr<const CharSet>> m_sets;
};

}  // namespace

std::optional<PatternRecipe> PatternRecipe::Compile(const QString& pattern, PatternProblem* problem)
{
    auto refuse = [problem](int position, const QString& message) -> std::optional<PatternRecipe> {
        if (problem)
            *problem = PatternProblem{position, message};
        return std::nullopt;
    };
    if (pattern.isEmpty())
        return refuse(0, u"パターンが空です。"_s);
    const QRegularExpression regex(pattern);
    if (!regex.isValid()) {
        const int position = int(std::clamp<qsizetype>(regex.patternErrorOffset() + 1, 1, pattern.size()));
        return refuse(position, u"パターンの%1文字目が正規表現として正しくありません（%2）。"_s.arg(
                                    QString::number(position), RegexError(regex.errorString())));
    }
    try {
        Parser parser(pattern);
        auto program = std::make_shared<Program>();
        program->root = parser.Parse();
        program->nodes = std::move(parser.nodes);
        if (program->nodes[program->root].maxChars == 0)
            return refuse(0, u"このパターンから作れる値は空の文字列だけです。"_s);
        return PatternRecipe(std::move(program));
    } catch (const PatternProblem& refusal) {
        return refuse(refusal.position, refusal.message);
    }
}

int PatternRecipe::MaxChars() const
{
    return m_program->nodes[m_program->root].maxChars;
}

int PatternRecipe::MaxBytes() const
{
    return m_program->nodes[m_program->root].maxBytes;
}

int PatternRecipe::MaxUtf8Bytes() const
{
    return m_program->nodes[m_program->root].maxUtf8;
}

double PatternRecipe::DistinctCount() const
{
    return m_program->nodes[m_program->root].distinct;
}

QString PatternRecipe::Generate(const std::function<double()>& draw) const
{
    QString value;
    value.reserve(MaxChars());
    m_program->Emit(m_program->root, draw, value);
    return value;
}

void PatternRecipe::Program::Emit(int index, const std::function<double()>& draw, QString& out) const
{
    const Node& node = nodes[index];
    switch (node.kind) {
    case Kind::Text:
        out += node.text;
        break;
    case Kind::Class: {
        const CharSet& set = *node.set;
        const quint32 k = Pick(draw, set.count);
        const size_t range = size_t(std::upper_bound(set.ends.begin(), set.ends.end(), k) - set.ends.begin());
        AppendCodePoint(out, set.ranges[range].first + (k - (range == 0 ? 0 : set.ends[range - 1])));
        break;
    }
    case Kind::Sequence:
        for (const int child : node.children)
            Emit(child, draw, out);
        break;
    case Kind::Choice:
        Emit(node.children[Pick(draw, quint32(node.children.size()))], draw, out);
        break;
    case Kind::Repeat: {
        const int times = node.min + (node.max > node.min ? int(Pick(draw, quint32(node.max - node.min + 1))) : 0);
        for (int i = 0; i < times; ++i)
            Emit(node.children[0], draw, out);
        break;
    }
    }
}

}  // namespace generate
