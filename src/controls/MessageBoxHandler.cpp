#include "controls/MessageBoxHandler.h"

#include "shared/Questions.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFileDialog>
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
    if (!request.details.isEmpty())
        box.setDetailedText(request.details);
    box.exec();
}

namespace {

QString ChooseWithDialog(const basKovaData::FileRequest& request)
{
    auto* parent = qobject_cast<QWidget*>(request.owner);
    const QString start = QDir(request.folder).filePath(request.proposedName);
    return request.save ? QFileDialog::getSaveFileName(parent, request.title, start, request.filter)
                        : QFileDialog::getOpenFileName(parent, request.title, start, request.filter);
}

}  // namespace

bool AskWithMessageBox(const basKovaData::MessageRequest& request)
{
    QMessageBox box(QMessageBox::Warning, request.title, request.text, QMessageBox::Ok | QMessageBox::Cancel,
                    qobject_cast<QWidget*>(request.owner));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

namespace {

bool AskYesNoWithMessageBox(const basKovaData::MessageRequest& request)
{
    QMessageBox box(QMessageBox::Warning, request.title, request.text, QMessageBox::Yes | QMessageBox::No,
                    qobject_cast<QWidget*>(request.owner));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

void InstallMessageBoxHandler()
{
    basKovaData::SetMessageHandler(ShowMessageBox);
    basKovaData::SetQuestionHandler(AskWithMessageBox);
    basKovaData::SetYesNoHandler(AskYesNoWithMessageBox);
    basKovaData::SetFileChooser(ChooseWithDialog);
}

}  // namespace controls
