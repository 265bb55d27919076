// label: core
#include "login/OptionsInput.h"

#include <QtTest>

class TestOptionsInput : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readMaxRowsInput_data();
    void readMaxRowsInput();
};

void TestOptionsInput::readMaxRowsInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");  // -1: refused
    QTest::addColumn<QString>("message");

    const QString notANumber = QString::fromUtf16(basKovaData::NotANumberMessage);
    const QString belowOne = QString::fromUtf16(basKovaData::BelowOneMessage);
    const QString aboveLargest = QString::fromUtf16(basKovaData::AboveLargestMessage);

    QTest::newRow("letters") << "abc" << -1 << notANumber;
    QTest::newRow("empty") << "" << -1 << notANumber;
    QTest::newRow("blanks") << "   " << -1 << notANumber;
    QTest::newRow("number then letters") << "12abc" << -1 << notANumber;
    QTest::newRow("thousands separator") << "1,000" << -1 << notANumber;
    QTest::newRow("lone point") << "." << -1 << notANumber;
    QTest::newRow("exponent without digits") << "1e" << -1 << notANumber;
    QTest::newRow("0") << "0" << -1 << belowOne;
    QTest::newRow("-5") << "-5" << -1 << belowOne;
    QTest::newRow("0.4") << "0.4" << -1 << belowOne;
    QTest::newRow("0.5") << "0.5" << -1 << belowOne;
    QTest::newRow("0.99") << "0.99" << -1 << belowOne;
    QTest::newRow("-0") << "-0" << -1 << belowOne;
    QTest::newRow("1") << "1" << 1 << QString();
    QTest::newRow("1.5 to even") << "1.5" << 2 << QString();
    QTest::newRow("2.5 to even") << "2.5" << 2 << QString();
    QTest::newRow("3.5 to even") << "3.5" << 4 << QString();
    QTest::newRow("2.6") << "2.6" << 3 << QString();
    QTest::newRow("1000") << "1000" << 1000 << QString();
    QTest::newRow("blanks and sign") << " +300 " << 300 << QString();
    QTest::newRow("exponent") << "1.5e2" << 150 << QString();
    QTest::newRow("32767") << "32767" << 32767 << QString();
    QTest::newRow("32767.4") << "32767.4" << 32767 << QString();
    QTest::newRow("32767.5 rounds past the top") << "32767.5" << -1 << aboveLargest;
    QTest::newRow("32768") << "32768" << -1 << aboveLargest;
    QTest::newRow("65537 (low 16 bits 1)") << "65537" << -1 << aboveLargest;
    QTest::newRow("beyond 32 bits") << "4294967297" << -1 << aboveLargest;
    QTest::newRow("beyond the double range") << "1e999" << -1 << aboveLargest;
}

void TestOptionsInput::readMaxRowsInput()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    QFETCH(QString, message);

    const basKovaData::MaxRowsInput input = basKovaData::ReadMaxRowsInput(text);
    QCOMPARE(input.message, message);
    QCOMPARE(input.accepted(), rows != -1);
    if (rows != -1)
        QCOMPARE(int(input.rows), rows);
}

QTEST_GUILESS_MAIN(TestOptionsInput)
#include "tst_OptionsInput.moc"
