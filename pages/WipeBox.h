#pragma once

#include "engine/WipeReport.h"

#include <QString>

class QWidget;

namespace sorvex {

// The box's text: each file system with what was written over there, then
// once each what no wipe of the free space reaches on them.
QString WipeSummary(const WipeReport& report);

// The modal box that tells, after a wipe of the free space, what it did:
// application title, plain text, an information icon where every file
// system was wiped and a warning where not.
void ShowWipeBox(const WipeReport& report, QWidget* parent);

} // namespace sorvex
