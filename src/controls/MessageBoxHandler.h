#pragma once
#include "shared/basKovaData.h"

namespace controls {

// Shows a modal message box with the icon named in the request.
void ShowMessageBox(const basKovaData::MessageRequest& request);
// Makes ShowMessageBox the program-wide message handler, and the file dialog
// the program-wide file chooser.
void InstallMessageBoxHandler();

}  // namespace controls
