#pragma once
#include "shared/basKovaData.h"

namespace controls {

// Shows a modal message box with the icon named in the request.
void ShowMessageBox(const basKovaData::MessageRequest& request);
// Makes ShowMessageBox the program-wide message handler, AskWithMessageBox
// the question handler, a はい/いいえ box the yes-no handler and the file
// dialog the program-wide file chooser.
bool AskWithMessageBox(const basKovaData::MessageRequest& request);
void InstallMessageBoxHandler();

}  // namespace controls
