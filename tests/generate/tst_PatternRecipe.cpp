// label: core
// The pattern kind's recipes: every value fits the pattern read as a regular
// expression and the longest value the recipe announces; what it refuses, it
// refuses at the right place.
#include "engine/oracle/OracleFunctions.h"
#include "generate/PatternRecipe.h"
#include "shared/RandomSequence.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PatternRecipe : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void values_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<double>("distinct");
        QTest::addColumn<int>("utf8Bytes");
        QTest::newRow("code") << u"JP-\\d{4}-[A-Z]"_s << 9 << 9 << 260000.0 << 9;
        QTest::newRow("class twice") << u"[A-C]{2}"_s << 2 << 2 << 9.0 << 2;
        QTest::newRow("cities") << u"(東京|大阪)"_s << 2 << 4 << 2.0 << 6;
        QTest::newRow("optional") << u"a?"_s << 1 << 1 << 2.0 << 1;
        QTest::newRow("empty alternative") << u"(a|)"_s << 1 << 1 << 2.0 << 1;
        QTest::newRow("bracket first") << u"[]a-]"_s << 1 << 1 << 3.0 << 1;
        QTest::newRow("open count") << u"x{2,}"_s << 10 << 10 << 9.0 << 10;
        QTest::newRow("star of group, anchors") << u"^(?:ab|cd)*$"_s << 16 << 16 << 511.0 << 16;
        QTest::newRow("lazy") << u"a+?"_s << 8 << 8 << 8.0 << 8;
        QTest::newRow("named group, escapes") << u"(?<id>[a-c]{1,3})-\\.\\\\\\t"_s << 7 << 7 << 39.0 << 7;
        QTest::newRow("shorthands") << u".\\w\\s\\D"_s << 4 << 4 << 94.0 * 63 * 84 << 4;
        QTest::newRow("negated") << u"[^0-9a-z]\\P{Han}"_s << 2 << 2 << 58.0 * 94 << 2;
        QTest::newRow("full-width digits") << u"[０-９]{3}"_s << 3 << 6 << 1000.0 << 9;
        QTest::newRow("kana") << u"\\p{Hiragana}\\p{Katakana}"_s << 2 << 4 << 83.0 * 86 << 6;
        QTest::newRow("kanji") << u"\\p{Han}"_s << 1 << 2 << 2965.0 << 3;
        QTest::newRow("half-width or outside the plane") << u"[ｱ-ﾝ]x|\\x{1F600}"_s << 2 << 2 << 46.0 << 4;
        QTest::newRow("hex") << u"\\x41\\x{3042}{2}"_s << 3 << 5 << 1.0 << 7;
        QTest::newRow("saturated") << u"\\p{Han}{1000}"_s << 1000 << 2000 << 1e18 << 3000;
    }
    void values()
    {
        QFETCH(QString, pattern);
        QFETCH(int, chars);
        QFETCH(int, bytes);
        QFETCH(double, distinct);
        QFETCH(int, utf8Bytes);
        generate::PatternProblem problem;
        const auto recipe = generate::PatternRecipe::Compile(pattern, &problem);
        QVERIFY2(recipe, qPrintable(problem.message));
        QCOMPARE(recipe->MaxChars(), chars);
        QCOMPARE(recipe->MaxBytes(), bytes);
        QCOMPARE(recipe->DistinctCount(), distinct);
        QCOMPARE(recipe->MaxUtf8Bytes(), utf8Bytes);

        const QRegularExpression shape(QRegularExpression::anchoredPattern(pattern));
        basKovaData::ResetRandom();
        QSet<QString> seen;
        int longest = 0;
        long long widest = 0;
        qsizetype widestUtf8 = 0;
        for (int i = 0; i < 200; ++i) {
            const QString value = recipe->Generate([] { return double(basKovaData::NextRandom()); });
            const QByteArray utf8 = value.toUtf8();
            QVERIFY2(shape.match(value).hasMatch(), qPrintable(value));
            longest = std::max(longest, int(value.size()));
            widest = std::max(widest, Cp932Length(utf8.data(), int(utf8.size())));
            widestUtf8 = std::max(widestUtf8, utf8.size());
            seen.insert(value);
        }
        // The announced longest value is reached, never passed.
        QCOMPARE(longest, chars);
        QCOMPARE(widest, bytes);
        QCOMPARE(widestUtf8, qsizetype(utf8Bytes));
        if (distinct <= 10)
            QCOMPARE(seen.size(), qsizetype(distinct));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("only the empty text") << u"^(a{0})$"_s << 0;
        QTest::newRow("open parenthesis") << u"(abc"_s << 4;
        QTest::newRow("close parenthesis") << u"abc)"_s << 4;
        QTest::newRow("open bracket") << u"[abc"_s << 4;
        QTest::newRow("counts reversed") << u"a{3,1}"_s << 6;
        QTest::newRow("look-ahead") << u"ab(?=c)"_s << 3;
        QTest::newRow("look-behind") << u"東京(?<!a)b"_s << 3;
        QTest::newRow("inline option") << u"(?i)a"_s << 1;
        QTest::newRow("back reference") << u"(a)\\1"_s << 4;
        QTest::newRow("word boundary") << u"a\\bc"_s << 2;
        QTest::newRow("anchor inside") << u"a^b"_s << 2;
        QTest::newRow("end anchor inside") << u"(a$)"_s << 3;
        QTest::newRow("possessive") << u"a++"_s << 2;
        QTest::newRow("too many times") << u"xa{1001}"_s << 3;
        QTest::newRow("too long") << u"(a{1000}){40}"_s << 10;
        QTest::newRow("too long in sequence") << u"a{1000}(b{1000}){32}"_s << 8;
        QTest::newRow("nothing left") << u"[^!-~]"_s << 1;
        QTest::newRow("other property") << u"a\\p{Latin}"_s << 2;
        QTest::newRow("brace not a count") << u"x{2"_s << 2;
        QTest::newRow("bracket inside class") << u"[a[]"_s << 3;
        QTest::newRow("deep") << u"("_s.repeated(101) + u"a"_s + u")"_s.repeated(101) << 101;
        QTest::newRow("surrogate") << u"\\x{D800}"_s << 8;
        QTest::newRow("group name not a word") << u"a(?<*>b)"_s << 2;
    }
    void refused()
    {
        QFETCH(QString, pattern);
        QFETCH(int, position);
        generate::PatternProblem problem;
        QVERIFY(!generate::PatternRecipe::Compile(pattern, &problem));
        QVERIFY2(problem.position == position, qPrintable(problem.message));
        QVERIFY(problem.message.contains(u"%1文字目"_s.arg(position)) == (position > 0));
    }
};

QTEST_GUILESS_MAIN(tst_PatternRecipe)
#include "tst_PatternRecipe.moc"
