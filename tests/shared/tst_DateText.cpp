// label: core
#include "shared/DateText.h"

#include <QtTest>

using namespace basKovaData;

namespace {
QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}
}  // namespace

class tst_DateText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isDateText_data();
    void isDateText();
    void padDateText_data();
    void padDateText();
    void dateFromText_data();
    void dateFromText();
    void dateText15_data();
    void dateText15();
};

void tst_DateText::isDateText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("long form") << QStringLiteral("20011231 235959") << true;
    QTest::newRow("short form") << QStringLiteral("20011231") << true;
    QTest::newRow("blanks around") << QStringLiteral("  20011231  ") << true;
    QTest::newRow("long form blanks around") << QStringLiteral(" 20011231 235959 ") << true;
    QTest::newRow("any separator") << QStringLiteral("20011231X235959") << true;
    QTest::newRow("digit as separator") << QStringLiteral("200112317235959") << true;
    QTest::newRow("first day") << QStringLiteral("00010101 000000") << true;
    QTest::newRow("last day") << QStringLiteral("99991231 235959") << true;
    QTest::newRow("leap day 2000") << QStringLiteral("20000229") << true;
    QTest::newRow("leap day 2004") << QStringLiteral("20040229") << true;

    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks only") << QStringLiteral("        ") << false;
    QTest::newRow("7 digits") << QStringLiteral("2001123") << false;
    QTest::newRow("9 digits") << QStringLiteral("200112310") << false;
    QTest::newRow("16 characters") << QStringLiteral("20011231  235959") << false;
    QTest::newRow("dashes") << QStringLiteral("2001-12-31") << false;
    QTest::newRow("letter in date") << QStringLiteral("2001123a") << false;
    QTest::newRow("sign in date") << QStringLiteral("+2011231") << false;
    QTest::newRow("letter in time") << QStringLiteral("20011231 23595a") << false;
    QTest::newRow("blank in time") << QStringLiteral("20011231 2359 9") << false;
    QTest::newRow("full-width digits")
        << QStringLiteral("\uFF12\uFF10\uFF10\uFF11\uFF11\uFF12\uFF13\uFF11") << false;
    QTest::newRow("year 0") << QStringLiteral("00000101") << false;
    QTest::newRow("month 13") << QStringLiteral("20011301") << false;
    QTest::newRow("month 0") << QStringLiteral("20010001") << false;
    QTest::newRow("day 0") << QStringLiteral("20010100") << false;
    QTest::newRow("February 30") << QStringLiteral("20010230") << false;
    QTest::newRow("no leap day 2001") << QStringLiteral("20010229") << false;
    QTest::newRow("no leap day 1900") << QStringLiteral("19000229") << false;
    QTest::newRow("April 31") << QStringLiteral("20010431") << false;
    QTest::newRow("hour 24") << QStringLiteral("20011231 240000") << false;
    QTest::newRow("minute 60") << QStringLiteral("20011231 236000") << false;
    QTest::newRow("second 60") << QStringLiteral("20011231 235960") << false;
}

void tst_DateText::isDateText()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(IsDateText(text), expected);
}

void tst_DateText::padDateText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short") << QStringLiteral("20011231") << QStringLiteral("20011231 000000");
    QTest::newRow("short with blanks") << QStringLiteral(" 20011231 ")
                                       << QStringLiteral("20011231 000000");
    QTest::newRow("any 8 characters") << QStringLiteral("abcdefgh")
                                      << QStringLiteral("abcdefgh 000000");
    QTest::newRow("long kept") << QStringLiteral("20011231X235959")
                               << QStringLiteral("20011231X235959");
    QTest::newRow("other length trimmed") << QStringLiteral("  2001 ") << QStringLiteral("2001");
    QTest::newRow("empty") << QString() << QString();
}

void tst_DateText::padDateText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(PadDateText(text), expected);
}

void tst_DateText::dateFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");

    const QDateTime zero = At(1899, 12, 30);
    QTest::newRow("long form") << QStringLiteral("20011231 235959") << At(2001, 12, 31, 23, 59, 59);
    QTest::newRow("short form is midnight") << QStringLiteral("20020103") << At(2002, 1, 3);
    QTest::newRow("blanks and separator") << QStringLiteral(" 19991130T010203 ")
                                          << At(1999, 11, 30, 1, 2, 3);
    QTest::newRow("first year") << QStringLiteral("00010101 000001") << At(1, 1, 1, 0, 0, 1);
    QTest::newRow("leap day") << QStringLiteral("20000229 120000") << At(2000, 2, 29, 12);
    QTest::newRow("no real date") << QStringLiteral("20010230") << zero;
    QTest::newRow("no real time") << QStringLiteral("20011231 240000") << zero;
    QTest::newRow("wrong length") << QStringLiteral("2001123") << zero;
    QTest::newRow("empty") << QString() << zero;
}

void tst_DateText::dateFromText()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(DateFromText(text), expected);
    QCOMPARE(DateFromText(text).timeSpec(), Qt::UTC);
}

void tst_DateText::dateText15_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ordinary") << At(2001, 12, 31, 23, 59, 59) << QStringLiteral("20011231 235959");
    QTest::newRow("padded fields") << At(2002, 1, 3, 4, 5, 6) << QStringLiteral("20020103 040506");
    QTest::newRow("midnight") << At(1999, 11, 30) << QStringLiteral("19991130 000000");
    QTest::newRow("year 50") << At(50, 6, 7, 8, 9, 10) << QStringLiteral("00500607 080910");
    QTest::newRow("year 1") << At(1, 1, 1) << QStringLiteral("00010101 000000");
    QTest::newRow("zero date") << ZeroDate() << QStringLiteral("18991230 000000");
    QTest::newRow("milliseconds dropped")
        << QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789)) << QStringLiteral("20010203 040506");
    QTest::newRow("invalid is zero date") << QDateTime() << QStringLiteral("18991230 000000");
}

void tst_DateText::dateText15()
{
    QFETCH(QDateTime, value);
    QFETCH(QString, expected);
    QCOMPARE(DateText15(value), expected);
    // What is written reads back as the same second.
    const QDateTime back = DateFromText(expected);
    QCOMPARE(DateText15(back), expected);
}

QTEST_GUILESS_MAIN(tst_DateText)
#include "tst_DateText.moc"
