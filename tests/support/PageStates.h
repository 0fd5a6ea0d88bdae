#pragma once

// The progress page's states as its buttons and hints show them.

// Ready for a run: "Стоп" offered, "Далее >" not, no hints.
bool ProgressPageReady();
// After a run's closing steps, finished or stopped: "Выход" and "Далее >"
// offered, "Стоп" and "< Назад" not, both hints shown, the overall bar full.
bool ProgressPageFinished();
