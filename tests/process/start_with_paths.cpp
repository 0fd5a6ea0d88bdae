// Built with the program's own main and started by command_line.sh with paths
// on its command line: checks that they are in the file list as the dialogs
// would add them and that the one box names the paths left out, with why,
// then leaves through "Выход". Fails with a message and exit code 3.
#include "pages/frmAddFiles.h"
#include "pages/frmStart.h"

#include <QApplication>
#include <QCoreApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "FAIL: %s\n", why.c_str());
    std::exit(3);
}

QString boxText; // what the box on start said, and its details
QString boxDetails;

// Expected, from SORVEX_EXPECT: "kind path" lines (kind 0 folder, 1 file), the
// order the list keeps; SORVEX_BOX_TEXT and SORVEX_BOX_DETAILS: the box's.
void CheckTheList()
{
    const std::string expected = qgetenv("SORVEX_EXPECT").toStdString(); // bytes, as the paths are
    std::string listed;
    for (int i = 0; i < frmAddFile->lst->count(); ++i) {
        listed += std::to_string(static_cast<int>(frmAddFile->KindOfEntry(i))) + " " + frmAddFile->EntryPath(i) + "\n";
    }
    if (listed != expected)
        Fail("the list holds\n" + listed + "instead of\n" + expected);
    if (boxText != qEnvironmentVariable("SORVEX_BOX_TEXT"))
        Fail("the box on start said: " + boxText.toStdString());
    if (boxDetails != qEnvironmentVariable("SORVEX_BOX_DETAILS"))
        Fail("the box's details said: " + boxDetails.toStdString());
    if (!Form1->isVisible())
        Fail("the welcome page is not shown");
    Form1->Button1->click();
}

void Watch()
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (box->windowTitle() != QStringLiteral("Sorvex : Personal Edition"))
                Fail("the box's caption is " + box->windowTitle().toStdString());
            boxText = box->text();
            boxDetails = box->detailedText();
            box->accept();
        } else if (!boxText.isEmpty() && Form1 != nullptr && Form1->isVisible()) {
            CheckTheList();
        }
    });
    timer->start(10);
    QTimer::singleShot(10000, [] { Fail("no box on start, or the program did not end"); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Watch)
