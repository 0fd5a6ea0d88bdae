#pragma once

#include "engine/CShredder.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "tests/support/ObservedServices.h"
#include "tests/support/Pages.h"
#include "tests/support/TempTree.h"

#include <QFile>

#include <string>
#include <vector>

// Pages freshly created, the progress page on screen as a run finds it, and
// the shredder working through observed file services.
class EngineTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Shredder.Files.Clear();
        Shredder.Stop = false;
        Shredder.UseServices(fs);
        frmProgr->show();
    }
    void TearDown() override
    {
        Shredder.UseServices(sorvex::SystemServices());
        Shredder.Files.Clear();
        Shredder.Stop = false;
        PagesTest::TearDown();
    }

    static void ListFile(const std::string& path)
    {
        frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(path)), sorvex::FileImage);
    }
    // A folder entry as the folder browser makes it: the path and one "/".
    static void ListFolder(const std::string& path)
    {
        frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(path + "/")), sorvex::FolderImage);
    }
    static std::vector<std::string> Files()
    {
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < Shredder.Files.Count(); ++i)
            paths.emplace_back(Shredder.Files[i]);
        return paths;
    }
    static std::string Label() { return frmProgr->lblFile->text().toStdString(); }

    ObservedServices fs;
    TempTree tree;
};

constexpr int NoMethod = 0;
