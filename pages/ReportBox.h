#pragma once

#include "engine/RunReport.h"

#include <QString>

class QWidget;

namespace sorvex {

// What a reason means, in the words the box uses; for SystemError, the
// system's own message for error.
QString ReasonText(Remains why, int error = 0);
// The box's text: a few lines, a count per reason.
QString ReportSummary(const RunReport& report);
// Its details: every path with its reason, one a line.
QString ReportDetails(const RunReport& report);

// The modal box that tells what a run could not destroy for certain:
// application title, warning icon, plain text, the full list in its details;
// and "Затереть свободное место" where a wipe of the free space reaches some
// of it (FoldersToWipe). True when that was pressed.
bool ShowReportBox(const RunReport& report, QWidget* parent);

} // namespace sorvex
