#include "pages/Wizard.h"

#include "engine/CShredder.h"
#include "pages/Accessible.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"

namespace sorvex {

void CreatePages()
{
    ExplainOwnWidgets();
    Form1 = new TForm1;
    frmAddFile = new TfrmAddFile;
    frmSpo = new TfrmSpo;
    frmProgr = new TfrmProgr;
    Shredder.UseEntries(frmAddFile);
    Shredder.UseView(frmProgr);
}

void DestroyPages()
{
    Shredder.UseEntries(nullptr);
    Shredder.UseView(nullptr);
    delete frmProgr;
    delete frmSpo;
    delete frmAddFile;
    delete Form1;
    frmProgr = nullptr;
    frmSpo = nullptr;
    frmAddFile = nullptr;
    Form1 = nullptr;
}

} // namespace sorvex
