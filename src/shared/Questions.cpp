#include "shared/Questions.h"

#include <utility>

namespace basKovaData {

namespace {

QuestionHandler& YesNoHandler()
{
    static QuestionHandler handler;
    return handler;
}

}  // namespace

bool AskYesNo(const QString& text, const QString& title, QObject* owner)
{
    // Copy first: a handler may replace itself while it runs.
    const QuestionHandler handler = YesNoHandler();
    return handler && handler({text, MessageIcon::Exclamation, title, owner, {}});
}

QuestionHandler SetYesNoHandler(QuestionHandler handler)
{
    return std::exchange(YesNoHandler(), std::move(handler));
}

}  // namespace basKovaData
