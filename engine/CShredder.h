#pragma once

#include "engine/OpenFile.h"
#include "engine/PathList.h"
#include "engine/Pattern.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

// Method codes, as bound to the method page's radio buttons.
enum WipeMethod : int { MethodFast = 1, MethodBalanced = 2, MethodThorough = 3, MethodDoD = 4 };

// The shredding job: expands the file selection page's list into Files, then
// destroys every file of it with one of the four methods, reporting into the
// progress page and pumping messages so that "Стоп" is answered at once.
class CShredder {
public:
    PathList Files;   // the files of the current run, each once, in order
    bool Stop = false; // set by the progress page; answered and cleared by the run

    void Run(int method);
    // True from the start of Run until it returns, whether it ends, is stopped or fails.
    bool Running() const { return running_; }
    void BuildFileList();
    // Appends every file below folder (a path ending in "/"), depth first.
    // lookUp false: the caller knows target holds no path below folder yet.
    void ScanFolder(const std::string& folder, PathList& target, bool lookUp = true);

    void WipeFast();
    void WipeBalanced();
    void WipeThorough();
    void WipeDoD();

    // The file system the job works on: the real one unless a test says otherwise.
    void UseServices(platform::FileServices& services) { fs_ = &services; }

private:
    void WipeInPasses(int passes, const Block& pattern);
    bool OverwriteInPasses(const std::string& path, int passes, const Block& pattern);
    bool OverwritePass(const std::string& path, int passes, const Block& pattern);
    void StopSequence(OpenFile& file, const std::string& path);
    bool NameOnly(const std::string& path);
    void ShowFile(const std::string& path);
    void ClosingSteps();

    platform::FileServices* fs_ = &platform::posixServices();
    bool running_ = false;
};

extern CShredder Shredder;
