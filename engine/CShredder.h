#pragma once

#include "engine/PathList.h"
#include "engine/Pattern.h"

#include <string>

namespace sorvex {
class EntrySource;
class FileServices;
class OpenFile;
class RunView;
} // namespace sorvex

// Method codes, as bound to the method page's radio buttons.
enum WipeMethod : int { MethodFast = 1, MethodBalanced = 2, MethodThorough = 3, MethodDoD = 4 };

// The shredding job: expands the listed entries into Files, then destroys
// every file of it with one of the four methods, reporting into its view and
// pumping messages there so that "Стоп" is answered at once.
class CShredder {
public:
    CShredder();
    CShredder(const CShredder&) = delete;
    CShredder& operator=(const CShredder&) = delete;

    sorvex::PathList Files; // the files of the current run, each once, in order
    bool Stop = false; // set by the progress page; answered and cleared by the run

    void Run(int method);
    // True from the start of Run until it returns, whether it ends, is stopped or fails.
    bool Running() const { return running_; }
    void BuildFileList();
    // Appends every file below folder (a path ending in "/"), depth first.
    // lookUp false: the caller knows target holds no path below folder yet.
    void ScanFolder(const std::string& folder, sorvex::PathList& target, bool lookUp = true);

    void WipeFast();
    void WipeBalanced();
    void WipeThorough();
    void WipeDoD();

    // Where a run reads its entries and shows itself: the pages, or a test's stand-ins.
    void UseEntries(sorvex::EntrySource* entries) { entries_ = entries; }
    void UseView(sorvex::RunView* view) { view_ = view; }
    // The file system the job works on: the real one unless a test says otherwise.
    void UseServices(sorvex::FileServices& services) { fs_ = &services; }

private:
    void WipeInPasses(int passes, const sorvex::Block& pattern);
    bool OverwriteInPasses(const std::string& path, int passes, const sorvex::Block& pattern);
    bool OverwritePass(const std::string& path, int passes, const sorvex::Block& pattern);
    void StopSequence(sorvex::OpenFile& file, const std::string& path);
    bool NameOnly(const std::string& path);
    void ClosingSteps();

    sorvex::FileServices* fs_;
    sorvex::EntrySource* entries_ = nullptr;
    sorvex::RunView* view_ = nullptr;
    bool running_ = false;
};

extern CShredder Shredder;
