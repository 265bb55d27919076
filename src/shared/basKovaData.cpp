#include "shared/basKovaData.h"

#include "shared/Questions.h"
#include "shared/RandomSequence.h"

#include <utility>

namespace basKovaData {

QString AppDirectory;
qint16 MaxDisplayRows = DefaultMaxDisplayRows;
QString SqlPlusPath = QString(SqlPlusPathWidth, QLatin1Char(' '));
QString SqlPlusLogin;
QString ChosenTable;
QString ViewerCondition;
qint16 HelpTopic = 0;
std::array<QString, RowValueCapacity> RowValues;

namespace {

// Without a window layer there is nobody to show a message to; the text still
// reaches the log so that it is not lost.
void LogMessage(const MessageRequest& request)
{
    qWarning("%s: %s", qUtf8Printable(request.title), qUtf8Printable(request.text));
}

MessageHandler& Handler()
{
    static MessageHandler handler = LogMessage;
    return handler;
}

QuestionHandler& Questions()
{
    static QuestionHandler handler;
    return handler;
}

FileChooser& Chooser()
{
    static FileChooser chooser;
    return chooser;
}

Clock& ClockFunction()
{
    static Clock clock;
    return clock;
}

}  // namespace

QString FixedText(const QString& text, int width)
{
    if (width <= 0)
        return {};
    if (text.size() >= width)
        return text.left(width);
    return text + QString(width - text.size(), QLatin1Char(' '));
}

void ShowMessage(const QString& text, MessageIcon icon, const QString& title, QObject* owner,
                 const QString& details)
{
    const MessageRequest request{text, icon, title, owner, details};
    // Copy first: a handler may replace itself while it runs.
    const MessageHandler handler = Handler();
    if (handler)
        handler(request);
}

bool AskOkCancel(const QString& text, const QString& title, QObject* owner)
{
    const QuestionHandler handler = Questions();
    return handler ? handler({text, MessageIcon::Exclamation, title, owner, {}}) : true;
}

QuestionHandler SetQuestionHandler(QuestionHandler handler)
{
    return std::exchange(Questions(), std::move(handler));
}

QString ChooseFile(const FileRequest& request)
{
    const FileChooser chooser = Chooser();
    return chooser ? chooser(request) : QString();
}

FileChooser SetFileChooser(FileChooser chooser)
{
    return std::exchange(Chooser(), std::move(chooser));
}

MessageHandler SetMessageHandler(MessageHandler handler)
{
    return std::exchange(Handler(), handler ? std::move(handler) : MessageHandler(LogMessage));
}

QDateTime Now()
{
    const Clock& clock = ClockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

qint64 NowSecsSinceEpoch()
{
    const Clock& clock = ClockFunction();
    return clock ? clock().toSecsSinceEpoch() : QDateTime::currentSecsSinceEpoch();
}

void SetClock(Clock clock)
{
    ClockFunction() = std::move(clock);
}

void ResetForTests()
{
    AppDirectory.clear();
    MaxDisplayRows = DefaultMaxDisplayRows;
    SqlPlusPath = QString(SqlPlusPathWidth, QLatin1Char(' '));
    SqlPlusLogin.clear();
    ChosenTable.clear();
    ViewerCondition.clear();
    HelpTopic = 0;
    for (QString& value : RowValues)
        value.clear();
    SetClock({});
    SetMessageHandler({});
    SetFileChooser({});
    SetQuestionHandler({});
    SetYesNoHandler({});
    ResetRandom();
}

}  // namespace basKovaData
