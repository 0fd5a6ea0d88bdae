#pragma once

#include "engine/CShredder.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "tests/support/ObservedServices.h"
#include "tests/support/Pages.h"
#include "tests/support/TempTree.h"

#include <QFile>

#include <string>

// Runs on the real pages: the four freshly created, the progress page on
// screen as a run finds it, and the shredder working through observed file
// services in a fresh folder.
class PageRunTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Shredder.Files.Clear();
        Shredder.Stop = false;
        Shredder.UseServices(fs);
        Shredder.UseRunBlocks(1); // a write and a pump per block: stops can be placed at any block
        frmProgr->show();
    }
    void TearDown() override
    {
        Shredder.UseServices(sorvex::SystemServices());
        Shredder.UseRunBlocks(CShredder::RunBlocks);
        Shredder.Files.Clear();
        Shredder.Stop = false;
        PagesTest::TearDown();
    }

    static void ListFile(const std::string& path)
    {
        frmAddFile->AddEntry(QFile::decodeName(QByteArray::fromStdString(path)), sorvex::FileImage);
    }
    static std::string Label() { return frmProgr->lblFile->text().toStdString(); }

    ObservedServices fs;
    TempTree tree;
};
