#include "app/EndSignals.h"

#include "pages/Pump.h"
#include "pages/frmProgress.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace sorvex {

namespace {

int pipeEnds[2] = {-1, -1}; // read, write; open until the program ends
bool asked = false;

void WriteByte(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1); // a full pipe has said it already
    errno = saved;
}

void Answer()
{
    char bytes[64];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {}
    if (asked)
        return;
    asked = true;
    if (frmProgr != nullptr)
        frmProgr->Button1Click();
    else
        Terminate();
}

} // namespace

void AnswerEndSignals()
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default: the program ends at once
    auto* notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { Answer(); });
    struct sigaction action {};
    action.sa_handler = WriteByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

bool EndAsked()
{
    return asked;
}

} // namespace sorvex
