#pragma once

#include "engine/RunReport.h"
#include "engine/WipeReport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvex {

enum class EntryKind { Folder, File };

// The entries a run expands, in list order: the file selection page's list.
// The count is asked again before every entry.
class EntrySource {
public:
    virtual int EntryCount() const = 0;
    virtual std::string EntryPath(int index) const = 0; // raw bytes; a folder's may end in "/"
    virtual EntryKind KindOfEntry(int index) const = 0;

protected:
    ~EntrySource() = default;
};

enum class Bar { File, Overall };

// How a run ended: all its files handled, stopped ("Стоп" or "Выход"), or
// ended by an error, which is shown after the report.
enum class RunEnd { Finished, Stopped, Failed };

// What a run shows while it goes on, and the pump that keeps the program
// answering meanwhile: the progress page.
class RunView {
public:
    virtual void ShowPreparing() = 0;
    virtual void ShowPath(std::string_view path) = 0; // raw bytes
    virtual void SetRange(Bar bar, std::int64_t min, std::int64_t max) = 0;
    virtual void SetPosition(Bar bar, std::int64_t position) = 0;
    virtual void Step(Bar bar, std::int64_t by = 1) = 0;
    virtual void Fill(Bar bar) = 0; // the position to the maximum
    // The end of a run, finished or stopped: "Выход" and "Далее >" offered,
    // "Стоп" withdrawn, the two hints shown.
    virtual void ClosingSteps() = 0;
    // Handles every pending message, then returns. What changed since the
    // last pump may be shown at the display's pace rather than at once.
    virtual void Pump() = 0;
    // Shows at once all that changed: the run has ended where it stood.
    virtual void ShowAllNow() = 0;
    // The run has ended, with what it destroyed and what it reports: said
    // once at every end, before the report is shown.
    virtual void RunEnded(const RunReport& report, RunEnd how) = 0;
    // Tells the user, after the closing steps, what the run could not destroy for certain.
    virtual void ShowReport(const RunReport& report) = 0;
    // Tells, after the closing steps of a wipe of the free space, what it did.
    virtual void ShowWipeReport(const WipeReport& report) = 0;

protected:
    ~RunView() = default;
};

} // namespace sorvex
