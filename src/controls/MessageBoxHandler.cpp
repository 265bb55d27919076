#include "controls/MessageBoxHandler.h"

#include "shared/basKovaData.h"

#include <QMessageBox>
#include <QWidget>

namespace controls {

void ShowMessageBox(const basKovaData::MessageRequest& request)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (request.icon) {
    case basKovaData::MessageIcon::Information:
        icon = QMessageBox::Information;
        break;
    case basKovaData::MessageIcon::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case basKovaData::MessageIcon::Critical:
        icon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(icon, request.title, request.text, QMessageBox::Ok,
                    qobject_cast<QWidget*>(request.owner));
    box.exec();
}

void InstallMessageBoxHandler()
{
    basKovaData::SetMessageHandler(ShowMessageBox);
}

}  // namespace controls
