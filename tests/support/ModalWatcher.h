#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

// Answers the modal windows that appear while it lives: records what a message
// box showed, then closes it (or runs a custom answer).
class ModalWatcher {
public:
    struct Seen {
        QString title;
        QString text;
        QString details; // a message box's detailed text
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString ownerName; // objectName of the box's parent window, if any
    };

    explicit ModalWatcher(std::function<void(QWidget*)> answer = {});
    const std::vector<Seen>& seen() const { return seen_; }

private:
    void Poll();

    std::function<void(QWidget*)> answer_;
    std::vector<Seen> seen_;
    QTimer timer_;
};
