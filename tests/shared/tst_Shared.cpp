// label: core
// The program-wide module and its conversions: rounding, number and date
// texts, display texts of database values, the code page 932 byte form and the
// random sequence.
#include "shared/Cp932.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/RandomSequence.h"
#include "shared/SqlName.h"
#include "shared/Rounding.h"
#include "shared/ValueText.h"
#include "shared/basKovaData.h"

#include <QtTest>

#include <cfloat>

using namespace basKovaData;
using namespace Qt::StringLiterals;

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr qint64 NoFit = std::numeric_limits<qint64>::min();  // an empty result
const QChar Bad = QChar::ReplacementCharacter;
const QChar Nul(u'\0');

// The first six states of state = (state * 1140671485 + 12820163) mod 2^24
// from 0x50000, worked out by hand; a draw is the state over 2^24.
const QList<double> KnownStates{11837123, 8949370, 9722709, 4858052, 5065847, 12997982};

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}
}  // namespace

class tst_Shared : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetForTests(); }
    void cleanup() { ResetForTests(); }

    void handlerMayReplaceItself()
    {
        // The running handler drops the last owner of its own closure.
        int calls = 0;
        const QString captured = u"captured text that lives in the closure"_s;
        QString seen;
        SetMessageHandler([&calls, &seen, captured](const MessageRequest&) {
            ++calls;
            SetMessageHandler([](const MessageRequest&) {});
            seen = captured;  // still valid after the replacement
        });
        ShowMessage(u"x"_s, MessageIcon::Information, QString());
        ShowMessage(u"y"_s, MessageIcon::Information, QString());
        QCOMPARE(calls, 1);
        QCOMPARE(seen, captured);
    }

    void fixedText()
    {
        // Blank-padded or cut to exactly the width, in characters.
        QCOMPARE((QStringList{FixedText(u"abc"_s, 5), FixedText(u"abcdef"_s, 3), FixedText(QString(), 2),
                              FixedText(u"あい"_s, 3), FixedText(u"abc"_s, 0)}),
                 (QStringList{u"abc  "_s, u"abc"_s, u"  "_s, u"あい "_s, QString()}));
    }

    // RoundHalfEven, RoundToInt16 and RoundToInt32 of one value.
    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::addColumn<qint64>("int16");
        QTest::addColumn<qint64>("int32");
        QTest::newRow("2.5 down to even") << 2.5 << 2.0 << qint64(2) << qint64(2);
        QTest::newRow("3.5 up to even") << 3.5 << 4.0 << qint64(4) << qint64(4);
        QTest::newRow("-2.5 to -2") << -2.5 << -2.0 << qint64(-2) << qint64(-2);
        // The largest double below 0.5: adding 0.5 and flooring would give 1.
        QTest::newRow("just below half") << 0.49999999999999994 << 0.0 << qint64(0) << qint64(0);
        // From 2^52 on every double is whole; 2^52 + 1 must not move.
        QTest::newRow("2^52 + 1") << 4503599627370497.0 << 4503599627370497.0 << NoFit << NoFit;
        QTest::newRow("not a number") << NaN << NaN << NoFit << NoFit;
        QTest::newRow("minus infinity") << -Inf << -Inf << NoFit << NoFit;
        QTest::newRow("half above 16-bit top") << 32767.5 << 32768.0 << NoFit << qint64(32768);
        QTest::newRow("half below 16-bit bottom") << -32768.5 << -32768.0 << qint64(-32768) << qint64(-32768);
        QTest::newRow("rounds below 16-bit bottom") << -32768.6 << -32769.0 << NoFit << qint64(-32769);
        QTest::newRow("half above 32-bit top") << 2147483647.5 << 2147483648.0 << NoFit << NoFit;
        QTest::newRow("half below 32-bit bottom") << -2147483648.5 << -2147483648.0 << NoFit << qint64(-2147483648LL);
    }
    void rounding()
    {
        QFETCH(double, value);
        QTEST(RoundHalfEven(value), "rounded");
        QTEST(std::optional<qint64>(RoundToInt16(value)).value_or(NoFit), "int16");
        QTEST(std::optional<qint64>(RoundToInt32(value)).value_or(NoFit), "int32");
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative zero") << -0.0 << u" 0"_s;
        // no zero before the point; 15 significant digits
        QTest::newRow("half") << 0.5 << u" .5"_s;
        QTest::newRow("minus quarter") << -0.25 << u"-.25"_s;
        QTest::newRow("two thirds") << (2.0 / 3.0) << u" .666666666666667"_s;
        // exponent form below 1E-4 and from 1E15 on
        QTest::newRow("1E-4 still plain") << 0.0001 << u" .0001"_s;
        QTest::newRow("minus 1E-5") << -0.00001 << u"-1E-05"_s;
        QTest::newRow("largest 15 nines") << 999999999999999.0 << u" 999999999999999"_s;
        QTest::newRow("rounds up into exponent") << 999999999999999.9 << u" 1E+15"_s;
        QTest::newRow("16 digits whole") << 1234567890123456.0 << u" 1234567890123456"_s;
        QTest::newRow("2^53 whole") << -9007199254740992.0 << u"-9007199254740992"_s;
        QTest::newRow("beyond 2^53") << 9007199254740994.0 << u" 9.00719925474099E+15"_s;
        QTest::newRow("16 digits not whole") << 123456789012345.6 << u" 123456789012346"_s;
        QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min() << u" 4.94065645841247E-324"_s;
        QTest::newRow("minus infinity") << -Inf << u"-1.79769313486232E+308"_s;
        QTest::newRow("not a number") << NaN << u" 0"_s;
    }
    void numberText()
    {
        QFETCH(double, value);
        QTEST(NumberText(value), "expected");
    }

    void fill_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("zeros");
        QTest::addColumn<QString>("blanks");
        QTest::newRow("one in 6") << 1.0 << 6 << u"000001"_s << u"     1"_s;
        QTest::newRow("negative") << -5.0 << 5 << u"000-5"_s << u"   -5"_s;
        QTest::newRow("fraction") << 0.5 << 5 << u"000.5"_s << u"   .5"_s;
        QTest::newRow("cut to width") << 12345.0 << 3 << u"123"_s << u"123"_s;
        QTest::newRow("not a number") << NaN << 2 << u"00"_s << u" 0"_s;
        QTest::newRow("negative width") << 7.0 << -3 << QString() << QString();
    }
    void fill()
    {
        QFETCH(double, value);
        QFETCH(int, width);
        QTEST(ZeroFill(value, width), "zeros");
        QTEST(BlankFill(value, width), "blanks");
    }

    // ReadNumber and IsNumericText of one typed text.
    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("empty") << QString() << 0.0 << false;
        QTest::newRow("no zero before the point") << u"-.5"_s << -0.5 << true;
        QTest::newRow("no digit after the point") << u"1."_s << 1.0 << true;
        QTest::newRow("capital minus exponent") << u"1.5E-2"_s << 0.015 << true;
        QTest::newRow("blanks around the sign") << u" - 5\t\r\n"_s << -5.0 << true;
        // Reading skips blanks everywhere and stops at the first character
        // that cannot continue the number; only ASCII digits count.
        QTest::newRow("blanks inside") << u"\t1\r\n2 e 1"_s << 120.0 << false;
        QTest::newRow("trailing letters") << u"12abc"_s << 12.0 << false;
        QTest::newRow("thousands comma") << u"1,000"_s << 1.0 << false;
        QTest::newRow("fractional exponent") << u"1e2.5"_s << 100.0 << false;
        QTest::newRow("point and exponent") << u".e5"_s << 0.0 << false;
        QTest::newRow("e, minus and letter") << u"4e-x"_s << 4.0 << false;
        QTest::newRow("full-width digit") << u"3\uFF14"_s << 3.0 << false;
        // out of range
        QTest::newRow("negative overflow") << u"-1e999"_s << -DBL_MAX << true;
        QTest::newRow("underflow") << u"1e-999"_s << 0.0 << true;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QTEST(ReadNumber(text), "value");
        QTEST(IsNumericText(text), "numeric");
    }

    void randomSteps_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("unit");
        QTest::addColumn<QList<double>>("offsets");  // from the first five draws
        // floor(((max - min) + unit) / unit * r) * unit: 2^24 steps give the states.
        QTest::newRow("every state") << 0.0 << 16777215.0 << 1.0 << KnownStates.mid(0, 5);
        // floor(11 r) of 7.761, 5.868, 6.375, 3.185, 3.321.
        QTest::newRow("-5 to 5") << -5.0 << 5.0 << 1.0 << QList<double>{7, 5, 6, 3, 3};
        // Five steps: floor(5 r) of 3.528, 2.667, 2.898, 1.448, 1.510.
        QTest::newRow("0 to 1 by quarters") << 0.0 << 1.0 << 0.25 << QList<double>{0.75, 0.5, 0.5, 0.25, 0.25};
        // A zero step gives no offset, but the draws are used up all the same.
        QTest::newRow("zero step") << 1.0 << 5.0 << 0.0 << QList<double>(5, 0.0);
    }
    void randomSteps()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, unit);
        QList<double> drawn;
        for (int i = 0; i < 5; ++i)
            drawn.append(RandomSteps(min, max, unit));
        QTEST(drawn, "offsets");
        QCOMPARE(double(NextRandom()) * 16777216.0, KnownStates[5]);  // one draw each
    }

    // IsDateText, PadDateText and DateFromText of one text; no date stands
    // for "no date text", which DateFromText reads as the zero date.
    void readDateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::addColumn<QDateTime>("date");
        QTest::newRow("long form") << u"20011231 235959"_s << u"20011231 235959"_s << At(2001, 12, 31, 23, 59, 59);
        QTest::newRow("short form, blanks around") << u" 20020103 "_s << u"20020103 000000"_s << At(2002, 1, 3);
        QTest::newRow("any separator") << u"19991130T010203"_s << u"19991130T010203"_s << At(1999, 11, 30, 1, 2, 3);
        QTest::newRow("first day") << u"00010101 000001"_s << u"00010101 000001"_s << At(1, 1, 1, 0, 0, 1);
        QTest::newRow("month 13") << u"20011301"_s << u"20011301 000000"_s << QDateTime();
        QTest::newRow("no leap day 1900") << u"19000229"_s << u"19000229 000000"_s << QDateTime();
        QTest::newRow("hour 24") << u"20011231 240000"_s << u"20011231 240000"_s << QDateTime();
    }
    void readDateText()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, date);
        QCOMPARE(IsDateText(text), date.isValid());
        QTEST(PadDateText(text), "padded");
        QCOMPARE(DateFromText(text), date.isValid() ? date : At(1899, 12, 30));
        QCOMPARE(DateFromText(text).timeSpec(), Qt::UTC);
    }

    void dateText15()
    {
        // Every field padded, milliseconds dropped, no date as the zero date.
        QCOMPARE((QStringList{DateText15(At(50, 6, 7, 8, 9, 10)), DateText15(At(2001, 12, 31, 23, 59, 59)),
                              DateText15(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789))), DateText15(QDateTime())}),
                 (QStringList{u"00500607 080910"_s, u"20011231 235959"_s, u"20010203 040506"_s, u"18991230 000000"_s}));
    }

    void sqlName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sql");
        QTest::newRow("plain") << u"ORDER_ITEMS"_s << u"ORDER_ITEMS"_s;
        QTest::newRow("japanese") << u"商品マスタ"_s << u"商品マスタ"_s;
        QTest::newRow("lower case") << u"logt"_s << u"\"logt\""_s;
        QTest::newRow("reserved word") << u"ORDER"_s << u"\"ORDER\""_s;
        QTest::newRow("a quote inside") << u"LOGT' OR 'a'='a"_s << u"\"LOGT' OR 'a'='a\""_s;
        QTest::newRow("double quote inside") << u"A\"B"_s << u"\"A\"\"B\""_s;
        QTest::newRow("leading digit") << u"1A"_s << u"\"1A\""_s;
    }
    void sqlName()
    {
        QFETCH(QString, name);
        QTEST(SqlName(name), "sql");
    }

    void withCondition_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << u" \r\n "_s << u"SELECT * FROM T"_s;
        QTest::newRow("where, CR LF gives two blanks") << u" A = 1\r\nOR B\nIS\tNULL "_s
                                                       << u"SELECT * FROM T WHERE A = 1  OR B IS\tNULL"_s;
        QTest::newRow("order by in any case") << u"\nOrder By A\r"_s << u"SELECT * FROM T Order By A"_s;
        QTest::newRow("order by over two lines") << u"ORDER\nBY A"_s << u"SELECT * FROM T ORDER BY A"_s;
        QTest::newRow("a column named ORDERED") << u"ORDERED = 1"_s << u"SELECT * FROM T WHERE ORDERED = 1"_s;
    }
    void withCondition()
    {
        QFETCH(QString, condition);
        QTEST(WithCondition(u"SELECT * FROM T"_s, condition), "expected");
    }

    // VariantText, NullToBlank and NullToMark of one value.
    void variantText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("null");
        // What the SQL layer hands over for a NULL column, and no value at all.
        QTest::newRow("typed null text") << QVariant(QMetaType::fromType<QString>()) << QString() << true;
        QTest::newRow("invalid") << QVariant() << QString() << true;
        // An empty text is a value, not NULL.
        QTest::newRow("empty text") << QVariant(QString()) << QString() << false;
        QTest::newRow("half") << QVariant(0.5) << u"0.5"_s << false;
        QTest::newRow("negative zero") << QVariant(-0.0) << u"0"_s << false;
        QTest::newRow("infinity") << QVariant(Inf) << u"INF"_s << false;
        // Whole numbers keep every digit up to 2^53; others 15 significant digits.
        QTest::newRow("longlong") << QVariant(1234567890123456LL) << u"1234567890123456"_s << false;
        QTest::newRow("16 digits whole") << QVariant(1234567890123456.0) << u"1234567890123456"_s << false;
        QTest::newRow("minus 2^53") << QVariant(-9007199254740992.0) << u"-9007199254740992"_s << false;
        QTest::newRow("beyond 2^53") << QVariant(9007199254740994.0) << u"9.00719925474099E+15"_s << false;
        QTest::newRow("16 digits not whole") << QVariant(123456789012345.6) << u"123456789012346"_s << false;
        QTest::newRow("float tenth") << QVariant(0.1f) << u"0.1"_s << false;
        QTest::newRow("false") << QVariant(false) << u"False"_s << false;
        QTest::newRow("date and time") << QVariant(QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59)))
                                       << u"2001/12/31 23:59:59"_s << false;
        QTest::newRow("midnight shows the date only") << QVariant(QDateTime(QDate(2001, 2, 3), QTime(0, 0)))
                                                      << u"2001/02/03"_s << false;
        QTest::newRow("bytes") << QVariant(QByteArray::fromHex("000aff")) << u"000AFF"_s << false;
    }
    void variantText()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QFETCH(bool, null);
        QCOMPARE(VariantText(value), expected);
        QCOMPARE(NullToBlank(value), expected);
        QCOMPARE(NullToMark(value), null ? u"[NULL]"_s : expected);
    }

    // ToCp932 of the text, and FromCp932 back where no "?" stands in.
    void toCp932_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("backslash and tilde stay") << u"C:\\~"_s << QByteArray("C:\\~");
        QTest::newRow("kana, kanji, NEC circled one") << u"aｱテスト漢字①"_s
                                                      << QByteArray::fromHex("61 b1 8365 8358 8367 8abf 8e9a 8740");
        QTest::newRow("emoji is one question mark") << u"a😀😀b"_s << QByteArray("a??b");
        QTest::newRow("accented letter") << u"café"_s << QByteArray("caf?");
        QTest::newRow("high surrogate at end") << (u"あ"_s + QChar(0xD800)) << QByteArray::fromHex("82a0 3f");
        QTest::newRow("lone low surrogate") << (u"あ"_s + QChar(0xDC00) + u'x') << QByteArray::fromHex("82a0 3f 78");
    }
    void toCp932()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(ToCp932(text).toHex(' '), expected.toHex(' '));
        if (!expected.contains('?'))
            QCOMPARE(FromCp932(expected), text);
    }

    void fromCp932_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("undefined bytes") << QByteArray::fromHex("80 a0 ff 41") << (QString(3, Bad) + u'A');
        // A lead byte followed by a byte that cannot be a trail byte: the lead
        // byte is bad on its own and the next byte is read afresh.
        QTest::newRow("lead then blank") << QByteArray::fromHex("8220") << (QString(Bad) + u' ');
        QTest::newRow("lone lead byte") << QByteArray::fromHex("82") << QString(Nul);
        QTest::newRow("lead byte cut at end") << QByteArray::fromHex("6182a082") << (u"aあ"_s + Nul);
        QTest::newRow("bad byte before cut lead") << QByteArray::fromHex("8082") << (QString(Bad) + Nul);
    }
    void fromCp932()
    {
        QFETCH(QByteArray, bytes);
        QTEST(FromCp932(bytes), "expected");
    }

    void cutCharacterDoesNotLeakIntoNextCall()
    {
        // The converters are kept between calls; a cut character must not be
        // completed by the bytes of the next call.
        QCOMPARE(FromCp932(QByteArray::fromHex("82")), QString(Nul));
        QCOMPARE(FromCp932(QByteArray::fromHex("a0")), QString(Bad));
        QCOMPARE(ToCp932(QString(QChar(0xD83D))), QByteArray("?"));
        QCOMPARE(ToCp932(QString(QChar(0xDE00))), QByteArray("?"));
    }

    // MidBytes(text, start, n); from byte 1 also LeftBytes(text, n).
    void bytePieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded with blanks") << u"ab"_s << 1 << 5 << u"ab   "_s;
        QTest::newRow("whole characters") << u"あいう"_s << 1 << 4 << u"あい"_s;
        QTest::newRow("cut character becomes blank") << u"あいう"_s << 1 << 3 << u"あ "_s;
        QTest::newRow("beyond the padding") << u"a"_s << 1 << 300 << (u'a' + QString(255, u' '));
        QTest::newRow("negative length") << u"あいう"_s << 1 << -3 << QString();
        QTest::newRow("middle") << u"abcdef"_s << 3 << 2 << u"cd"_s;
        QTest::newRow("lead byte only") << u"aあb"_s << 2 << 1 << u" "_s;
        // Bytes 61 82 A0 62: from byte 3 the trail byte A0, no character alone.
        QTest::newRow("starts on trail byte") << u"aあb"_s << 3 << 2 << (QString(Bad) + u'b');
        QTest::newRow("past the padding") << u"abc"_s << 300 << 3 << QString();
        QTest::newRow("negative start as 1") << u"abc"_s << -5 << 1 << u"a"_s;
    }
    void bytePieces()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(MidBytes(text, start, n), expected);
        if (start == 1)
            QCOMPARE(LeftBytes(text, n), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Shared)
#include "tst_Shared.moc"
