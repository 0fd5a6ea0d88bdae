#include "pages/Pump.h"

#include <QCoreApplication>

#include <chrono>

namespace sorvex {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds FullRoundEvery{500};
Clock::time_point lastFullRound; // the epoch: the first pump is a full round

} // namespace

// The engine pumps after every run of blocks it writes (a mebibyte; a single
// 256-byte block where a test asks so), between the batches of entries it
// reads from a folder and after every 8192 entries it looks at, so a pump must
// cost far less than the work before it. The dispatcher's full round cannot
// promise that: it polls its descriptors, a system call of its own at every
// pump, as dear as a short run's write or a look at a few entries. Posted
// messages do not need it: they wait in Qt's own queue, and sendPostedEvents
// sends them exactly as the full round would. What only the full round sees
// (window system input, timers, sockets) waits at most FullRoundEvery, far
// below anything a user could tell and below the millisecond timers are
// counted in.
void ProcessMessages()
{
    const Clock::time_point now = Clock::now();
    if (now - lastFullRound >= FullRoundEvery) {
        lastFullRound = now;
        QCoreApplication::processEvents();
        return;
    }
    QCoreApplication::sendPostedEvents();
}

void Terminate()
{
    QCoreApplication::exit(0);
}

} // namespace sorvex
