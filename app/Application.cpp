#include "app/Application.h"

#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"

#include <QApplication>
#include <QIcon>

void CreatePages()
{
    Form1 = new TForm1;
    frmAddFile = new TfrmAddFile;
    frmSpo = new TfrmSpo;
    frmProgr = new TfrmProgr;
}

void DestroyPages()
{
    delete frmProgr;
    delete frmSpo;
    delete frmAddFile;
    delete Form1;
    frmProgr = nullptr;
    frmSpo = nullptr;
    frmAddFile = nullptr;
    Form1 = nullptr;
}

void Terminate()
{
    QCoreApplication::exit(0);
}

void PrepareApplication()
{
    // No application display name: the window system would append it to every
    // caption ("ВНИМАНИЕ! — ..."). The pages carry the title themselves.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sorvex-256.png")));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(PageFont());
    // Pages are hidden and shown, never closed; the program ends only through Terminate.
    QApplication::setQuitOnLastWindowClosed(false);
}

static void StartUp()
{
    PrepareApplication();
    CreatePages();
    Form1->show();
}

int RunApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (Dispatch(StartUp))
        QApplication::exec();
    DestroyPages();
    return 0;
}
