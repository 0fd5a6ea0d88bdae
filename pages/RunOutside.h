#pragma once

#include "engine/RunView.h"

#include <QDBusConnection>
#include <QString>

#include <chrono>
#include <cstddef>
#include <optional>

namespace sorvex {

// What the desktop hears of a run, outside the window. While a run goes on,
// its overall progress, for docks and task bars (Unity's launcher entry, which
// Plasma's task manager and Dash to Dock read), cleared when it ends. When it
// ends while no window of the program is active, one notification of what was
// destroyed and of what waits in the window. All of it is sent on the session
// bus without waiting for an answer: where no bus or no notification service
// answers, nothing is shown and nothing waits.
class RunOutside {
public:
    struct End {
        std::size_t destroyed = 0;
        RunEnd how = RunEnd::Finished;
        bool reportWaits = false; // the report box is about to be shown
    };

    void Started();
    // share: 0 to 1. Published at most every PublishEvery, however often told.
    void Progress(double share);
    void Ended(const End& end, bool windowActive);

    // The session bus unless a test gives another.
    void UseBus(const QDBusConnection& bus) { bus_ = bus; }

    static constexpr std::chrono::milliseconds PublishEvery{250};

private:
    static QString Summary(const End& end);
    static QString Body(const End& end);
    void Publish(double share, bool visible);
    void Notify(const End& end);
    QDBusConnection& Bus();

    std::optional<QDBusConnection> bus_;
    bool running_ = false;
    double published_ = 0;
    std::chrono::steady_clock::time_point publishedAt_;
};

} // namespace sorvex
