#include "tests/support/PageStates.h"

#include "pages/ProgressBar.h"
#include "pages/frmProgress.h"

#include <QLabel>
#include <QPushButton>

bool ProgressPageReady()
{
    return frmProgr->Button4->isEnabled() && !frmProgr->Button2->isEnabled() && frmProgr->Button1->isEnabled() &&
           !frmProgr->Button3->isEnabled() && !frmProgr->st1->isVisible() && !frmProgr->st2->isVisible();
}

bool ProgressPageFinished()
{
    return frmProgr->Button1->isEnabled() && frmProgr->Button2->isEnabled() && !frmProgr->Button3->isEnabled() &&
           !frmProgr->Button4->isEnabled() && frmProgr->st1->isVisible() && frmProgr->st2->isVisible() &&
           frmProgr->prg2->Position() == frmProgr->prg2->Max();
}
