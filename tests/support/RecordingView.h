#pragma once

#include "engine/RunView.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The list and the progress display of a run without any window: entries
// come from a plain list, what the run shows is recorded, and a pump runs
// whatever a test queued for it, as a click waiting in the message queue.
class RecordingView final : public sorvex::EntrySource, public sorvex::RunView {
public:
    struct Entry {
        std::string path;
        sorvex::EntryKind kind;
    };
    struct BarState {
        std::int64_t min = 0;
        std::int64_t max = 100;
        std::int64_t position = 0;
    };

    std::vector<Entry> entries;
    std::string label; // what the page's current line would read
    BarState bars[2];
    int pumps = 0;
    int closingSteps = 0;
    std::vector<sorvex::RunReport> reports; // every report shown, in order
    std::vector<sorvex::WipeReport> wipeReports;
    std::vector<std::pair<std::size_t, sorvex::RunEnd>> ends; // files destroyed, and how each run ended
    // Runs inside every pump, after the count has gone up.
    std::function<void()> onPump;

    // Entries keep the list's order, sorted by path.
    void ListFile(const std::string& path) { List({path, sorvex::EntryKind::File}); }
    void ListFolder(const std::string& path) { List({path + "/", sorvex::EntryKind::Folder}); }
    // "Стоп" pressed in the run's next pump.
    void StopInNextPump();

    const BarState& File() const { return bars[0]; }
    const BarState& Overall() const { return bars[1]; }
    // The run ended by its closing steps, finished or stopped.
    bool Finished() const { return closingSteps == 1; }

    int EntryCount() const override { return static_cast<int>(entries.size()); }
    std::string EntryPath(int index) const override { return entries[static_cast<std::size_t>(index)].path; }
    sorvex::EntryKind KindOfEntry(int index) const override { return entries[static_cast<std::size_t>(index)].kind; }

    void ShowPreparing() override { label = "Идёт подготовка к удалению."; }
    void ShowPath(std::string_view path) override { label = path; }
    void SetRange(sorvex::Bar bar, std::int64_t min, std::int64_t max) override;
    void SetPosition(sorvex::Bar bar, std::int64_t position) override { Of(bar).position = position; }
    void Step(sorvex::Bar bar, std::int64_t by) override { Of(bar).position += by; }
    void Fill(sorvex::Bar bar) override { Of(bar).position = Of(bar).max; }
    void ClosingSteps() override { ++closingSteps; }
    void Pump() override;
    void RunEnded(const sorvex::RunReport& report, sorvex::RunEnd how) override
    {
        ends.emplace_back(report.destroyed, how);
    }
    void ShowReport(const sorvex::RunReport& report) override { reports.push_back(report); }
    void ShowWipeReport(const sorvex::WipeReport& report) override { wipeReports.push_back(report); }
    void ShowAllNow() override {}

private:
    void List(Entry entry);
    BarState& Of(sorvex::Bar bar) { return bars[bar == sorvex::Bar::File ? 0 : 1]; }
    bool stopQueued_ = false;
};
