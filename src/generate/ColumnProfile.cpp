#include "generate/ColumnProfile.h"
#include "generate/TableProfile.h"

#include "rules/ColumnRule.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"

#include <QJsonArray>

#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Room for the rounding of shares written as decimal texts.
constexpr double ShareSlack = 1e-6;

const std::array<QString, 3> FamilyNames = {u"number"_s, u"date"_s, u"text"_s};

const std::array<QString, CharacterClassCount> ClassNames = {u"digit"_s, u"latin"_s, u"kana"_s,
                                                              u"kanji"_s, u"blank"_s, u"symbol"_s};

struct Refused {
    QString problem;
};

[[noreturn]] void Refuse(const QString& problem)
{
    throw Refused{problem};
}

double Share(const QJsonValue& value, const QString& what)
{
    const double share = value.toDouble(-1.0);
    if (!value.isDouble() || !(share >= 0.0 && share <= 1.0))
        Refuse(what + u" must be a share from 0 to 1"_s);
    return share;
}

double Count(const QJsonValue& value, const QString& what)
{
    const double count = value.toDouble(-1.0);
    if (!value.isDouble() || !(count >= 0.0) || !std::isfinite(count))
        Refuse(what + u" must be a number of values, 0 or more"_s);
    return count;
}

// A value of the profile's family as its text, checked.
QString Value(const QJsonValue& value, ColumnProfile::Family family, const QString& what)
{
    if (!value.isString())
        Refuse(what + u" must be a text"_s);
    const QString text = value.toString();
    if (family == ColumnProfile::Family::Number && !basKovaData::IsNumericText(text))
        Refuse(what + u" \""_s + text + u"\" is not a number"_s);
    if (family == ColumnProfile::Family::Date && !basKovaData::IsDateText(text))
        Refuse(what + u" \""_s + text + u"\" is not a date (YYYYMMDD HHNNSS)"_s);
    return text;
}

// A bound: a number, a date text or a length.
double Bound(const QJsonValue& value, ColumnProfile::Family family, const QString& what)
{
    if (family == ColumnProfile::Family::Date) {
        const std::optional<double> seconds = DateBoundSeconds(value.toString());
        if (!value.isString() || !seconds)
            Refuse(what + u" must be a date text (YYYYMMDD HHNNSS)"_s);
        return *seconds;
    }
    const double number = value.toDouble();
    if (!value.isDouble() || !std::isfinite(number))
        Refuse(what + u" must be a number"_s);
    if (family == ColumnProfile::Family::Text && (number < 0.0 || number != std::floor(number)))
        Refuse(what + u" must be a length (a whole number, 0 or more)"_s);
    return number;
}

QJsonValue BoundJson(double value, ColumnProfile::Family family)
{
    if (family == ColumnProfile::Family::Date)
        return DateBoundText(value);
    return value;
}

QJsonArray List(const QJsonObject& object, const QString& key, int most)
{
    const QJsonValue value = object.value(key);
    if (!value.isArray())
        Refuse(u"\""_s + key + u"\" must be a list"_s);
    const QJsonArray list = value.toArray();
    if (list.size() > most)
        Refuse(u"\""_s + key + u"\" holds %1 entries; at most %2 are kept"_s.arg(list.size()).arg(most));
    return list;
}

QJsonArray Entry(const QJsonValue& value, qsizetype size, const QString& what)
{
    if (!value.isArray() || value.toArray().size() != size)
        Refuse(what + u" must be a list of %1 entries"_s.arg(size));
    return value.toArray();
}

ColumnProfile Read(const QJsonObject& object, std::optional<ColumnProfile::Family> column)
{
    static const QStringList known = {u"family"_s, u"nulls"_s,  u"distinct"_s, u"low"_s,     u"high"_s,       u"frequent"_s,
                                      u"buckets"_s, u"shapes"_s,  u"classes"_s, u"dictionary"_s, u"pair"_s,
                                      u"follows"_s};
    for (const QString& key : object.keys())
        if (!known.contains(key))
            Refuse(u"unknown key \""_s + key + u"\" (known: "_s + known.join(u", "_s) + u')');
    if (!object.contains(u"nulls"_s) || !object.contains(u"distinct"_s))
        Refuse(u"\"nulls\" and \"distinct\" are required"_s);
    std::optional<ColumnProfile::Family> named;
    if (object.contains(u"family"_s)) {
        const auto found = std::find(FamilyNames.begin(), FamilyNames.end(), object.value(u"family"_s).toString());
        if (found == FamilyNames.end())
            Refuse(u"\"family\" is number, date or text"_s);
        named = ColumnProfile::Family(found - FamilyNames.begin());
    }
    if (!named && !column)
        Refuse(u"\"family\" (number, date or text) is required"_s);
    if (named && column && *named != *column)
        Refuse(u"the figures are of a %1 column, not of a %2 one"_s.arg(FamilyNames[std::size_t(*named)],
                                                                        FamilyNames[std::size_t(*column)]));
    const ColumnProfile::Family family = column ? *column : *named;
    ColumnProfile profile;
    profile.family = family;
    profile.nulls = Share(object.value(u"nulls"_s), u"\"nulls\""_s);
    profile.distinct = Count(object.value(u"distinct"_s), u"\"distinct\""_s);
    if (object.contains(u"low"_s))
        profile.low = Bound(object.value(u"low"_s), family, u"\"low\""_s);
    if (object.contains(u"high"_s))
        profile.high = Bound(object.value(u"high"_s), family, u"\"high\""_s);
    if (profile.low && profile.high && *profile.low > *profile.high)
        Refuse(u"\"low\" is past \"high\""_s);
    double total = profile.nulls;
    if (object.contains(u"frequent"_s))
        for (const QJsonValue& value : List(object, u"frequent"_s, MaxFrequentValues)) {
            const QJsonArray entry = Entry(value, 2, u"a frequent value"_s);
            profile.frequent.push_back({Value(entry[0], family, u"a frequent value"_s),
                                        Share(entry[1], u"a frequent value's share"_s)});
            total += profile.frequent.back().share;
        }
    if (object.contains(u"buckets"_s))
        for (const QJsonValue& value : List(object, u"buckets"_s, MaxProfileBuckets)) {
            const QJsonArray entry = Entry(value, 4, u"a bucket"_s);
            ColumnProfile::Bucket bucket{Bound(entry[0], family, u"a bucket's low"_s),
                                         Bound(entry[1], family, u"a bucket's high"_s),
                                         Share(entry[2], u"a bucket's share"_s),
                                         Count(entry[3], u"a bucket's distinct count"_s)};
            if (bucket.low > bucket.high)
                Refuse(u"a bucket's low is past its high"_s);
            profile.buckets.push_back(bucket);
            total += bucket.share;
        }
    if (total > 1.0 + ShareSlack)
        Refuse(u"the NULL share, the frequent values and the buckets add up to more than 1"_s);
    if (object.contains(u"shapes"_s) || object.contains(u"classes"_s)) {
        if (family != ColumnProfile::Family::Text)
            Refuse(u"\"shapes\" and \"classes\" belong to character columns"_s);
    }
    double shapes = 0.0;
    if (object.contains(u"shapes"_s))
        for (const QJsonValue& value : List(object, u"shapes"_s, MaxTextShapes)) {
            const QJsonArray entry = Entry(value, 2, u"a shape"_s);
            if (!entry[0].isString())
                Refuse(u"a shape must be a text"_s);
            profile.shapes.push_back({entry[0].toString(), Share(entry[1], u"a shape's share"_s)});
            shapes += profile.shapes.back().share;
        }
    if (shapes > 1.0 + ShareSlack)
        Refuse(u"the shapes' shares add up to more than 1"_s);
    if (object.contains(u"classes"_s)) {
        const QJsonObject classes = object.value(u"classes"_s).toObject();
        if (!object.value(u"classes"_s).isObject())
            Refuse(u"\"classes\" must be an object"_s);
        for (const QString& key : classes.keys()) {
            const auto found = std::find(ClassNames.begin(), ClassNames.end(), key);
            if (found == ClassNames.end())
                Refuse(u"\"classes\" knows "_s + QStringList(ClassNames.begin(), ClassNames.end()).join(u", "_s));
            profile.classes[std::size_t(found - ClassNames.begin())] =
                Share(classes.value(key), u"the share of "_s + key);
        }
    }
    if (object.contains(u"dictionary"_s)) {
        const QString name = object.value(u"dictionary"_s).toString();
        if (family != ColumnProfile::Family::Text || !basKovaData::DictionaryNames().contains(name))
            Refuse(u"\"dictionary\" must name a dictionary of a character column: "_s +
                   basKovaData::DictionaryNames().join(u", "_s));
        profile.dictionary = name;
    }
    if (object.contains(u"pair"_s)) {
        const QJsonObject pair = object.value(u"pair"_s).toObject();
        if (!pair.value(u"column"_s).isString() || pair.value(u"column"_s).toString().trimmed().isEmpty())
            Refuse(u"\"pair\" must name its \"column\""_s);
        ColumnProfile::Pair read{pair.value(u"column"_s).toString().trimmed(), {}};
        double pairs = 0.0;
        for (const QJsonValue& value : List(pair, u"values"_s, MaxPairValues)) {
            const QJsonArray entry = Entry(value, 3, u"a pair's value"_s);
            if (!entry[1].isString())
                Refuse(u"a pair's value must be two texts and a share"_s);
            read.values.push_back({Value(entry[0], family, u"a pair's value"_s), entry[1].toString(),
                                   Share(entry[2], u"a pair's share"_s)});
            pairs += read.values.back().share;
        }
        if (pairs > 1.0 + ShareSlack)
            Refuse(u"the pair's shares add up to more than 1"_s);
        profile.pair = read;
    }
    if (object.contains(u"follows"_s)) {
        profile.follows = object.value(u"follows"_s).toString().trimmed();
        if (!object.value(u"follows"_s).isString() || profile.follows.isEmpty() || profile.pair)
            Refuse(u"\"follows\" names the column that leads the pair, and takes no \"pair\" of its own"_s);
    }
    return profile;
}

}  // namespace

double ColumnProfile::restShare() const
{
    double rest = 1.0 - nulls;
    for (const Frequent& value : frequent)
        rest -= value.share;
    return std::max(rest, 0.0);
}

ColumnProfile::Family ProfileFamily(basKovaData::TypeFamily family)
{
    switch (family) {
    case basKovaData::TypeFamily::Numeric:
        return ColumnProfile::Family::Number;
    case basKovaData::TypeFamily::Date:
        return ColumnProfile::Family::Date;
    default:
        return ColumnProfile::Family::Text;
    }
}

CharacterClass ClassOf(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９'))
        return CharacterClass::Digit;
    if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'Ａ' && u <= u'Ｚ') ||
        (u >= u'ａ' && u <= u'ｚ'))
        return CharacterClass::Latin;
    if ((u >= 0x3041 && u <= 0x309F) || (u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F))
        return CharacterClass::Kana;
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) ||
        u == 0x3005)
        return CharacterClass::Kanji;
    if (c.isSpace() || u == 0x3000)
        return CharacterClass::Blank;
    return CharacterClass::Symbol;
}

QString ShapeOf(QStringView text)
{
    QString shape;
    shape.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (ClassOf(c)) {
        case CharacterClass::Digit:
            shape += u'9';
            break;
        case CharacterClass::Latin:
            shape += (u >= u'A' && u <= u'Z') || (u >= u'Ａ' && u <= u'Ｚ') ? u'A' : u'a';
            break;
        case CharacterClass::Kana:
            shape += u >= 0x3041 && u <= 0x309F ? u'あ' : u'ア';
            break;
        case CharacterClass::Kanji:
            shape += u'漢';
            break;
        case CharacterClass::Blank:
            shape += u' ';
            break;
        case CharacterClass::Symbol:
            shape += c;
            break;
        }
    }
    return shape;
}

QString DateBoundText(double seconds)
{
    return basKovaData::DateText15(QDateTime::fromSecsSinceEpoch(qint64(std::llround(seconds)), Qt::UTC));
}

std::optional<double> DateBoundSeconds(const QString& text)
{
    if (!basKovaData::IsDateText(text))
        return std::nullopt;
    return double(basKovaData::DateFromText(text).toSecsSinceEpoch());
}

QJsonObject ProfileJson(const ColumnProfile& profile)
{
    QJsonObject object{{u"family"_s, FamilyNames[std::size_t(profile.family)]},
                       {u"nulls"_s, profile.nulls},
                       {u"distinct"_s, profile.distinct}};
    if (profile.low)
        object.insert(u"low"_s, BoundJson(*profile.low, profile.family));
    if (profile.high)
        object.insert(u"high"_s, BoundJson(*profile.high, profile.family));
    if (!profile.frequent.empty()) {
        QJsonArray list;
        for (const ColumnProfile::Frequent& value : profile.frequent)
            list.append(QJsonArray{value.value, value.share});
        object.insert(u"frequent"_s, list);
    }
    if (!profile.buckets.empty()) {
        QJsonArray list;
        for (const ColumnProfile::Bucket& bucket : profile.buckets)
            list.append(QJsonArray{BoundJson(bucket.low, profile.family), BoundJson(bucket.high, profile.family),
                                   bucket.share, bucket.distinct});
        object.insert(u"buckets"_s, list);
    }
    if (!profile.shapes.empty()) {
        QJsonArray list;
        for (const ColumnProfile::Shape& shape : profile.shapes)
            list.append(QJsonArray{shape.shape, shape.share});
        object.insert(u"shapes"_s, list);
    }
    if (profile.family == ColumnProfile::Family::Text &&
        std::any_of(profile.classes.begin(), profile.classes.end(), [](double share) { return share > 0.0; })) {
        QJsonObject classes;
        for (int c = 0; c < CharacterClassCount; ++c)
            classes.insert(ClassNames[std::size_t(c)], profile.classes[std::size_t(c)]);
        object.insert(u"classes"_s, classes);
    }
    if (!profile.dictionary.isEmpty())
        object.insert(u"dictionary"_s, profile.dictionary);
    if (profile.pair) {
        QJsonArray values;
        for (const ColumnProfile::PairValue& value : profile.pair->values)
            values.append(QJsonArray{value.mine, value.theirs, value.share});
        object.insert(u"pair"_s, QJsonObject{{u"column"_s, profile.pair->column}, {u"values"_s, values}});
    }
    if (!profile.follows.isEmpty())
        object.insert(u"follows"_s, profile.follows);
    return object;
}

std::optional<ColumnProfile> ReadProfileJson(const QJsonObject& object,
                                             std::optional<ColumnProfile::Family> family, QString* problem)
{
    try {
        return Read(object, family);
    } catch (const Refused& refused) {
        if (problem)
            *problem = refused.problem;
        return std::nullopt;
    }
}

const ColumnProfile* TableProfile::column(const QString& name) const
{
    for (qsizetype i = 0; i < columnNames.size() && std::size_t(i) < columns.size(); ++i)
        if (columnNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return &columns[std::size_t(i)];
    return nullptr;
}

}  // namespace generate
