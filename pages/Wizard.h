#pragma once

namespace sorvex {

// Creates the four pages in wizard order, each hidden, and makes the file
// selection page the run's entries and the progress page its view.
void CreatePages();
// Destroys them again; the globals are null afterwards.
void DestroyPages();

} // namespace sorvex
