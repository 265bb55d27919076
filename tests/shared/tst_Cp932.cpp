// label: core
#include "shared/Cp932.h"

#include <QThread>
#include <QtTest>

using namespace basKovaData;

namespace {
QString Blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}
}  // namespace

class tst_Cp932 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toCp932_data();
    void toCp932();
    void fromCp932_data();
    void fromCp932();
    void roundTrip_data();
    void roundTrip();
    void cutCharacterDoesNotLeakIntoNextCall();
    void otherThread();
    void leftBytes_data();
    void leftBytes();
    void midBytes_data();
    void midBytes();
};

void tst_Cp932::toCp932_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << QStringLiteral("abc 123") << QByteArray("abc 123");
    QTest::newRow("backslash and tilde stay") << QStringLiteral("\\~") << QByteArray("\\~");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱ") << QByteArray::fromHex("b1");
    QTest::newRow("hiragana") << QStringLiteral("あ") << QByteArray::fromHex("82a0");
    QTest::newRow("katakana and kanji") << QStringLiteral("テスト漢字")
                                        << QByteArray::fromHex("8365 8358 8367 8abf 8e9a");
    QTest::newRow("NEC circled one") << QStringLiteral("①") << QByteArray::fromHex("8740");
    QTest::newRow("mixed") << QStringLiteral("a漢b") << QByteArray::fromHex("61 8abf 62");
    QTest::newRow("emoji is one question mark") << QStringLiteral("😀") << QByteArray("?");
    QTest::newRow("emoji inside") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("two emoji") << QStringLiteral("😀😀") << QByteArray("??");
    QTest::newRow("accented letter") << QStringLiteral("café") << QByteArray("caf?");
    QTest::newRow("lone high surrogate inside")
        << (QStringLiteral("あ") + QChar(0xD800) + QStringLiteral("x"))
        << QByteArray::fromHex("82a0 3f 78");
    QTest::newRow("lone high surrogate at end")
        << (QStringLiteral("あ") + QChar(0xD800)) << QByteArray::fromHex("82a0 3f");
    QTest::newRow("lone low surrogate")
        << (QStringLiteral("あ") + QChar(0xDC00) + QStringLiteral("x"))
        << QByteArray::fromHex("82a0 3f 78");
}

void tst_Cp932::toCp932()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(ToCp932(text).toHex(' '), expected.toHex(' '));
}

void tst_Cp932::fromCp932_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QChar bad = QChar::ReplacementCharacter;
    const QChar nul(u'\0');
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("a\\~z") << QStringLiteral("a\\~z");
    QTest::newRow("hiragana") << QByteArray::fromHex("82a0") << QStringLiteral("あ");
    QTest::newRow("half-width katakana") << QByteArray::fromHex("b1b2b3") << QStringLiteral("ｱｲｳ");
    QTest::newRow("NEC circled one") << QByteArray::fromHex("8740") << QStringLiteral("①");
    QTest::newRow("undefined byte 80") << QByteArray::fromHex("80") << QString(bad);
    QTest::newRow("undefined byte a0") << QByteArray::fromHex("a0") << QString(bad);
    QTest::newRow("undefined byte ff") << QByteArray::fromHex("ff") << QString(bad);
    QTest::newRow("bad byte then letter") << QByteArray::fromHex("8041")
        << (QString(bad) + QLatin1Char('A'));
    QTest::newRow("two bad bytes") << QByteArray::fromHex("80ff") << QString(2, bad);
    // A lead byte followed by a byte that cannot be a trail byte: the lead
    // byte is bad on its own and the next byte is read afresh.
    QTest::newRow("lead then blank") << QByteArray::fromHex("8220")
        << (QString(bad) + QLatin1Char(' '));
    QTest::newRow("lone lead byte") << QByteArray::fromHex("82") << QString(nul);
    QTest::newRow("lead byte cut at end") << QByteArray::fromHex("6182a082")
                                          << (QStringLiteral("aあ") + nul);
    QTest::newRow("bad byte before cut lead") << QByteArray::fromHex("8082")
                                              << (QString(bad) + nul);
}

void tst_Cp932::fromCp932()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(FromCp932(bytes), expected);
}

void tst_Cp932::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii with backslash and tilde") << QStringLiteral("C:\\dir ~x");
    QTest::newRow("katakana and kanji") << QStringLiteral("テスト漢字");
    QTest::newRow("NEC circled numbers") << QStringLiteral("①②③");
    QTest::newRow("half-width katakana") << QStringLiteral("ｶﾀｶﾅ");
    QTest::newRow("mixed widths") << QStringLiteral("名前 Name ﾅﾏｴ");
    QTest::newRow("control characters") << QStringLiteral("a\tb\r\nc");
}

void tst_Cp932::roundTrip()
{
    QFETCH(QString, text);
    QCOMPARE(FromCp932(ToCp932(text)), text);
}

void tst_Cp932::cutCharacterDoesNotLeakIntoNextCall()
{
    // The converters are kept between calls; a cut character must not be
    // completed by the bytes of the next call.
    QCOMPARE(FromCp932(QByteArray::fromHex("82")), QString(QChar(u'\0')));
    QCOMPARE(FromCp932(QByteArray::fromHex("a0")), QString(QChar::ReplacementCharacter));
    QCOMPARE(ToCp932(QString(QChar(0xD83D))), QByteArray("?"));
    QCOMPARE(ToCp932(QString(QChar(0xDE00))), QByteArray("?"));
}

void tst_Cp932::otherThread()
{
    QByteArray bytes;
    QString text;
    QScopedPointer<QThread> thread(QThread::create([&] {
        bytes = ToCp932(QStringLiteral("漢字"));
        text = FromCp932(QByteArray::fromHex("8abf8e9a82"));
    }));
    thread->start();
    QVERIFY(thread->wait(10000));
    QCOMPARE(bytes, QByteArray::fromHex("8abf8e9a"));
    QCOMPARE(text, QStringLiteral("漢字") + QChar(u'\0'));
}

void tst_Cp932::leftBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first byte") << QStringLiteral("@ 12") << 1 << QStringLiteral("@");
    QTest::newRow("shorter than text") << QStringLiteral("abc") << 2 << QStringLiteral("ab");
    QTest::newRow("padded with blanks") << QStringLiteral("ab") << 5 << QStringLiteral("ab   ");
    QTest::newRow("empty text") << QString() << 3 << Blanks(3);
    QTest::newRow("whole characters") << QStringLiteral("あいう") << 4 << QStringLiteral("あい");
    QTest::newRow("cut character becomes blank") << QStringLiteral("あいう") << 3
        << QStringLiteral("あ ");
    QTest::newRow("only half a character") << QStringLiteral("あいう") << 1 << QStringLiteral(" ");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲｳ") << 2 << QStringLiteral("ｱｲ");
    QTest::newRow("beyond the text") << QStringLiteral("あ") << 4 << QStringLiteral("あ  ");
    QTest::newRow("emoji counts as one byte") << QStringLiteral("😀x") << 2 << QStringLiteral("?x");
    QTest::newRow("beyond the padding") << QStringLiteral("a") << 300
                                        << (QStringLiteral("a") + Blanks(255));
    QTest::newRow("zero") << QStringLiteral("あいう") << 0 << QString();
    QTest::newRow("negative") << QStringLiteral("あいう") << -3 << QString();
}

void tst_Cp932::leftBytes()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(LeftBytes(text, n), expected);
}

void tst_Cp932::midBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");

    // "@ 12" is 4 bytes, 259 with the padding: from byte 2 on there are 258.
    QTest::newRow("rest of text") << QStringLiteral("@ 12") << 2 << 999
                                  << (QStringLiteral(" 12") + Blanks(255));
    QTest::newRow("middle") << QStringLiteral("abcdef") << 3 << 2 << QStringLiteral("cd");
    QTest::newRow("whole character") << QStringLiteral("aあb") << 2 << 2 << QStringLiteral("あ");
    QTest::newRow("lead byte only") << QStringLiteral("aあb") << 2 << 1 << QStringLiteral(" ");
    // Bytes 61 82 A0 62: from byte 3 the trail byte A0, which alone is no
    // character, then "b".
    QTest::newRow("starts on trail byte")
        << QStringLiteral("aあb") << 3 << 2
        << (QString(QChar::ReplacementCharacter) + QLatin1Char('b'));
    QTest::newRow("katakana") << QStringLiteral("テスト") << 3 << 4 << QStringLiteral("スト");
    QTest::newRow("into the padding") << QStringLiteral("abc") << 3 << 3 << QStringLiteral("c  ");
    QTest::newRow("in the padding") << QStringLiteral("abc") << 10 << 3 << Blanks(3);
    QTest::newRow("past the padding") << QStringLiteral("abc") << 300 << 3 << QString();
    QTest::newRow("start 0 as 1") << QStringLiteral("abc") << 0 << 2 << QStringLiteral("ab");
    QTest::newRow("negative start as 1") << QStringLiteral("abc") << -5 << 1 << QStringLiteral("a");
    QTest::newRow("zero length") << QStringLiteral("abc") << 2 << 0 << QString();
    QTest::newRow("negative length") << QStringLiteral("abc") << 2 << -1 << QString();
}

void tst_Cp932::midBytes()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(MidBytes(text, start, n), expected);
}

QTEST_GUILESS_MAIN(tst_Cp932)
#include "tst_Cp932.moc"
