#pragma once

#include <QString>

// The title on every page, on the taskbar and on the error box.
inline const QString AppTitle = QStringLiteral("Sorvex : Personal Edition");

// The whole life of the program: start-up, the message loop, the end. Always returns 0.
int RunApplication(int argc, char** argv);

// Title, icon, style and font of the whole program.
void PrepareApplication();

// Creates the four pages in wizard order; only the welcome page is shown by the loop.
void CreatePages();
void DestroyPages();

// Asks the message loop to end once the running handler has returned to it.
// A pump inside that handler keeps working meanwhile.
void Terminate();
