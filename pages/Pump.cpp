#include "pages/Pump.h"

#include <QCoreApplication>

#include <chrono>

namespace sorvex {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds FullRoundEvery{500};
Clock::time_point lastFullRound; // the epoch: the first pump is a full round

} // namespace

// The engine pumps after every run of blocks it writes (a mebibyte, or a
// single 256-byte block where a test asks so) and between the batches of
// entries it reads from a folder, so a pump must cost far less than the work
// before it. The dispatcher's full round cannot: it polls its descriptors, a
// system call as dear as the write of a short run or one batch read. Posted messages do
// not need it: they wait in Qt's own queue, and sendPostedEvents sends them
// exactly as the full round would. What only the full round sees (window
// system input, timers, sockets) waits at most FullRoundEvery, far below
// anything a user could tell and below the millisecond timers are counted in.
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
