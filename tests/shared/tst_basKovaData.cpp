// label: core
#include "shared/basKovaData.h"
#include "shared/RandomSequence.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <cmath>

using namespace basKovaData;

Q_DECLARE_METATYPE(basKovaData::MessageIcon)

class tst_basKovaData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetForTests(); }
    void cleanup() { ResetForTests(); }

    void recorderSeesMessage_data();
    void recorderSeesMessage();
    void recorderPassesOwner();
    void setHandlerReturnsPrevious();
    void handlerMayReplaceItself();
    void emptyHandlerRestoresLog();
    void clockSeam();
    void resetRestoresVariables();
    void resetRestoresSeams();
    void resetRestartsRandom();
    void fixedText_data();
    void fixedText();
};

void tst_basKovaData::recorderSeesMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("title");

    QTest::newRow("information") << QStringLiteral("Done.") << MessageIcon::Information
                                 << QStringLiteral("Generate");
    QTest::newRow("exclamation") << QStringLiteral("Check the value.") << MessageIcon::Exclamation
                                 << QStringLiteral("Options");
    QTest::newRow("critical") << QStringLiteral("ORA-12154") << MessageIcon::Critical
                              << QStringLiteral("Login");
    QTest::newRow("Japanese and empty title") << QStringLiteral("テーブルがありません")
                                              << MessageIcon::Exclamation << QString();
}

void tst_basKovaData::recorderSeesMessage()
{
    QFETCH(QString, text);
    QFETCH(MessageIcon, icon);
    QFETCH(QString, title);
    kovatest::MessageRecorder recorder;
    ShowMessage(text, icon, title);
    QCOMPARE(recorder.messages().size(), 1);
    const MessageRequest& request = recorder.messages().constFirst();
    QCOMPARE(request.text, text);
    QCOMPARE(request.icon, icon);
    QCOMPARE(request.title, title);
    QCOMPARE(request.owner, nullptr);
}

void tst_basKovaData::recorderPassesOwner()
{
    QObject window;
    kovatest::MessageRecorder recorder;
    ShowMessage(QStringLiteral("a"), MessageIcon::Information, QStringLiteral("t"), &window);
    ShowMessage(QStringLiteral("b"), MessageIcon::Critical, QStringLiteral("t"));
    QCOMPARE(recorder.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(recorder.messages().at(0).owner, &window);
    QCOMPARE(recorder.messages().at(1).owner, nullptr);
}

void tst_basKovaData::setHandlerReturnsPrevious()
{
    QStringList first;
    QStringList second;
    SetMessageHandler([&first](const MessageRequest& r) { first.append(r.text); });
    const MessageHandler previous =
        SetMessageHandler([&second](const MessageRequest& r) { second.append(r.text); });
    ShowMessage(QStringLiteral("to second"), MessageIcon::Information, QString());
    QVERIFY(previous);
    previous(MessageRequest{QStringLiteral("to first"), MessageIcon::Information, QString(),
                            nullptr});
    QCOMPARE(first, QStringList{QStringLiteral("to first")});
    QCOMPARE(second, QStringList{QStringLiteral("to second")});
}

void tst_basKovaData::handlerMayReplaceItself()
{
    // The running handler drops the last owner of its own closure.
    int calls = 0;
    const QString captured = QStringLiteral("captured text that lives in the closure");
    QString seen;
    SetMessageHandler([&calls, &seen, captured](const MessageRequest&) {
        ++calls;
        SetMessageHandler([](const MessageRequest&) {});
        seen = captured;  // still valid after the replacement
    });
    ShowMessage(QStringLiteral("x"), MessageIcon::Information, QString());
    ShowMessage(QStringLiteral("y"), MessageIcon::Information, QString());
    QCOMPARE(calls, 1);
    QCOMPARE(seen, captured);
}

void tst_basKovaData::emptyHandlerRestoresLog()
{
    int calls = 0;
    SetMessageHandler([&calls](const MessageRequest&) { ++calls; });
    SetMessageHandler({});
    QTest::ignoreMessage(QtWarningMsg, "Title: Text");
    ShowMessage(QStringLiteral("Text"), MessageIcon::Information, QStringLiteral("Title"));
    QCOMPARE(calls, 0);
}

void tst_basKovaData::clockSeam()
{
    const QDateTime fixed(QDate(2001, 12, 31), QTime(23, 59, 59));
    SetClock([fixed] { return fixed; });
    QCOMPARE(Now(), fixed);
    QCOMPARE(Now(), fixed);

    SetClock({});
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = Now();
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY(before <= now && now <= after);
}

void tst_basKovaData::resetRestoresVariables()
{
    AppDirectory = QStringLiteral("/tmp/x/");
    MaxDisplayRows = 5;
    SqlPlusPath = QStringLiteral("/usr/bin/sqlplus");
    SqlPlusLogin = QStringLiteral("scott/tiger@orcl");
    ChosenTable = QStringLiteral("EMP");
    ViewerCondition = QStringLiteral("DEPTNO = 10");
    HelpTopic = 7;
    RowValues[1] = QStringLiteral("a");
    RowValues[RowValueCapacity - 1] = QStringLiteral("z");

    ResetForTests();

    QVERIFY(AppDirectory.isEmpty());
    QCOMPARE(MaxDisplayRows, qint16(300));
    QCOMPARE(SqlPlusPath, QString(100, QLatin1Char(' ')));
    QVERIFY(SqlPlusLogin.isEmpty());
    QVERIFY(ChosenTable.isEmpty());
    QVERIFY(ViewerCondition.isEmpty());
    QCOMPARE(HelpTopic, qint16(0));
    QVERIFY(RowValues[1].isEmpty());
    QVERIFY(RowValues[RowValueCapacity - 1].isEmpty());
}

void tst_basKovaData::resetRestoresSeams()
{
    const QDateTime fixed(QDate(1999, 1, 1), QTime(0, 0, 0));
    SetClock([fixed] { return fixed; });
    int calls = 0;
    SetMessageHandler([&calls](const MessageRequest&) { ++calls; });

    ResetForTests();

    QVERIFY(Now() != fixed);
    QTest::ignoreMessage(QtWarningMsg, "T: after reset");
    ShowMessage(QStringLiteral("after reset"), MessageIcon::Critical, QStringLiteral("T"));
    QCOMPARE(calls, 0);
}

void tst_basKovaData::resetRestartsRandom()
{
    // First value of the sequence: state 11837123 / 2^24.
    for (int i = 0; i < 3; ++i)
        NextRandom();
    ResetForTests();
    QVERIFY(std::abs(static_cast<double>(NextRandom()) - 0.7055475) < 1e-6);
}

void tst_basKovaData::fixedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");

    QTest::newRow("padded") << QStringLiteral("abc") << 5 << QStringLiteral("abc  ");
    QTest::newRow("exact") << QStringLiteral("abc") << 3 << QStringLiteral("abc");
    QTest::newRow("cut") << QStringLiteral("abcdef") << 3 << QStringLiteral("abc");
    QTest::newRow("empty") << QString() << 3 << QStringLiteral("   ");
    QTest::newRow("width 0") << QStringLiteral("abc") << 0 << QString();
    QTest::newRow("counts characters") << QStringLiteral("あい") << 3 << QStringLiteral("あい ");
    const QString path = QStringLiteral("C:\\orant\\bin\\sqlplus.exe");  // 24 characters
    QTest::newRow("path width") << path << SqlPlusPathWidth
                                << (path + QString(76, QLatin1Char(' ')));
}

void tst_basKovaData::fixedText()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(FixedText(text, width), expected);
}

QTEST_GUILESS_MAIN(tst_basKovaData)
#include "tst_basKovaData.moc"
