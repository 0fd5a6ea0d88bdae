#include "tests/support/ModalWatcher.h"

#include <QApplication>
#include <QDialog>

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> answer) : answer_(std::move(answer))
{
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
}

void ModalWatcher::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    Seen seen;
    seen.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.text = box->text();
        seen.details = box->detailedText();
        seen.icon = box->icon();
    }
    if (modal->parentWidget())
        seen.ownerName = modal->parentWidget()->window()->objectName();
    seen_.push_back(seen);
    if (answer_)
        answer_(modal);
    else if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}
