#pragma once

#include "engine/CShredder.h"
#include "tests/support/ObservedServices.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The shredder on its own: entries listed on a recording view, which also
// records what the run shows, and file services observed on their way to the
// real ones in a fresh folder. No window is made.
class EngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        Shredder.Files.Clear();
        Shredder.Stop = false;
        Shredder.UseServices(fs);
        Shredder.UseRunBlocks(1); // a write and a pump per block: stops can be placed at any block
        Shredder.UseEntries(&view);
        Shredder.UseView(&view);
    }
    void TearDown() override
    {
        Shredder.UseServices(sorvex::SystemServices());
        Shredder.UseRunBlocks(CShredder::RunBlocks);
        Shredder.UseEntries(nullptr);
        Shredder.UseView(nullptr);
        Shredder.Files.Clear();
        Shredder.Stop = false;
    }

    void ListFile(const std::string& path) { view.ListFile(path); }
    // A folder entry as the folder browser makes it: the path and one "/".
    void ListFolder(const std::string& path) { view.ListFolder(path); }
    static std::vector<std::string> Files()
    {
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < Shredder.Files.Count(); ++i)
            paths.emplace_back(Shredder.Files[i]);
        return paths;
    }

    RecordingView view;
    ObservedServices fs;
    TempTree tree;
};

constexpr int NoMethod = 0;
