#pragma once

#include "bench/BenchSupport.h"
#include "platform/ForwardingServices.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <string>
#include <vector>

namespace bench {

// A few rounds of the message loop.
void Pump();

// The file selection page's list holding path alone, as a file or a folder entry.
void ListOnPage(const std::string& path, bool folder);
// The progress page on screen, as the method page shows it before a run,
// with the loop pumped until the window system has exposed it.
void ShowProgressPage();
// Back to the file selection page with an empty list, the progress page ready again.
void ResetProgressPage();

// The longest time the message loop goes without a full round of the event
// dispatcher (when timers fire and window-system input is read): a timer of
// interval 0 fires once per full round, and the gaps between its firings are
// noted, from Start to Stop.
class PumpGaps : public QObject {
public:
    PumpGaps();
    void Start();
    // The longest gap in seconds, the one up to Stop included.
    double Stop();
    double Longest() const { return longest_; }
    // The longest gap between two full rounds, the one up to Stop left out.
    double LongestBetweenRounds() const { return longestBetween_; }
    // Where the longest gap ended, and where Stop came, in seconds from Start.
    double LongestEndedAt() const { return SecondsBetween(start_, longestEnd_); }
    double StoppedAt() const { return SecondsBetween(start_, last_); }
    int Rounds() const { return rounds_; }

private:
    void Note(Clock::time_point now);
    QTimer timer_;
    Clock::time_point start_;
    Clock::time_point last_;
    Clock::time_point longestEnd_;
    double longest_ = 0;
    double longestBetween_ = 0;
    int rounds_ = 0;
};

// Notes every dialog box shown, and closes it at once, so that no box a run
// shows can hold the bench; a figure that expects none checks Count.
class BoxWatcher : public QObject {
public:
    BoxWatcher();
    ~BoxWatcher() override;
    struct Shown {
        Clock::time_point at;
        QString text;
    };
    std::size_t Count() const { return shown_.size(); }
    const Shown& Last() const { return shown_.back(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<Shown> shown_;
};

// The one watcher of the bench, made at first use (the application made by then).
BoxWatcher& Boxes();

// The last run destroyed all it listed: its report, if any, speaks only of
// the media it ran on (names a journal keeps from before it, a flash device).
bool DestroyedAllListed();

// The system's file services, with the extent maps read counted, and, where
// inPlace is set, every file system taken to overwrite in place: the engine
// then reads no map at all.
class WatchedServices final : public sorvex::ForwardingServices {
public:
    explicit WatchedServices(bool inPlace);
    std::size_t mapsRead = 0;
    double mapSeconds = 0; // spent reading them

    sorvex::FileSystemInfo FileSystemOf(int fd) override;
    bool ReadExtents(int fd, sorvex::ExtentMap& out) override;

private:
    bool inPlace_;
};

} // namespace bench
