#pragma once
// The program-wide module: variables that live for the whole run, and the seams
// (message boxes, clock, program directory) that tests replace.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QObject;

namespace basKovaData {

// ---- program-wide variables -------------------------------------------------

// The program's directory (or the per-user stand-in), ending in "/".
extern QString AppDirectory;
// Most rows a result grid shows: 1 to 32767, default 300.
extern qint16 MaxDisplayRows;
// Path of the SQL*Plus program: always exactly 100 characters, blank-padded.
extern QString SqlPlusPath;
// user "/" password "@" service of the current login.
extern QString SqlPlusLogin;
// Name of the table or view chosen in the main window.
extern QString ChosenTable;
// The data viewer's condition, kept between openings.
extern QString ViewerCondition;
// Help topic set by every help button, 0 until one is pressed.
extern qint16 HelpTopic;
// Value texts of the row being generated; index 0 serves no column. Room for
// every column index a 16-bit column count can reach.
inline constexpr int RowValueCapacity = 32768;
extern std::array<QString, RowValueCapacity> RowValues;

inline constexpr qint16 DefaultMaxDisplayRows = 300;
inline constexpr int SqlPlusPathWidth = 100;

// Blank-pads or cuts a text to exactly `width` characters.
QString FixedText(const QString& text, int width);

// ---- message boxes ----------------------------------------------------------

enum class MessageIcon { Information, Exclamation, Critical };

struct MessageRequest {
    QString text;
    MessageIcon icon = MessageIcon::Information;
    QString title;
    QObject* owner = nullptr;  // the window that shows the message, if any
    QString details;           // the box's detailed text, shown on request; may be empty
};

using MessageHandler = std::function<void(const MessageRequest&)>;

// Shows a message box with an OK button; returns when the user has closed it.
void ShowMessage(const QString& text, MessageIcon icon, const QString& title,
                 QObject* owner = nullptr, const QString& details = QString());
// Replaces the handler; returns the previous one. The window layer installs the
// real message box, tests install a recorder.
MessageHandler SetMessageHandler(MessageHandler handler);

using QuestionHandler = std::function<bool(const MessageRequest&)>;
// Asks with OK and キャンセル (exclamation icon); true for OK. Without a
// window layer to ask, the answer is OK.
bool AskOkCancel(const QString& text, const QString& title, QObject* owner = nullptr);
QuestionHandler SetQuestionHandler(QuestionHandler handler);

// ---- file dialogs -----------------------------------------------------------

struct FileRequest {
    bool save = false;      // a file to write (else one to read)
    QString title;
    QString folder;         // where the dialog opens
    QString proposedName;   // the name it proposes
    QObject* owner = nullptr;
    QString filter = QStringLiteral("JSON (*.json)");  // the kinds of file it lists
};

using FileChooser = std::function<QString(const FileRequest&)>;

// The path of the file the user chose; empty when the choice was cancelled.
QString ChooseFile(const FileRequest& request);
// Replaces the chooser; returns the previous one. The window layer installs
// the file dialog, tests a stand-in; without one every choice is cancelled.
FileChooser SetFileChooser(FileChooser chooser);

// ---- clock ------------------------------------------------------------------

using Clock = std::function<QDateTime()>;
// The local time of day, through the replaceable clock.
QDateTime Now();
// Seconds since the epoch of Now(); cheap with the system clock (no time zone
// work), for callers that only need to notice that the second has changed.
qint64 NowSecsSinceEpoch();
// Replaces the clock (an empty function restores the system clock).
void SetClock(Clock clock);

// ---- tests ------------------------------------------------------------------

// Puts every program-wide variable back to its start-up value, restores the
// system clock and the default message handler, and restarts the random sequence.
void ResetForTests();

}  // namespace basKovaData
