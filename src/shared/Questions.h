#pragma once
// Questions answered with はい or いいえ, through a replaceable handler like
// the message boxes: the window layer installs a message box, tests a stand-in.
#include "shared/basKovaData.h"

namespace basKovaData {

// Asks with はい and いいえ (exclamation icon, いいえ the default); true for
// はい. Without a window layer to ask, the answer is いいえ: nothing is done
// that nobody agreed to.
bool AskYesNo(const QString& text, const QString& title, QObject* owner = nullptr);
// Replaces the handler; returns the previous one.
QuestionHandler SetYesNoHandler(QuestionHandler handler);

}  // namespace basKovaData
