#pragma once

// Handles every message pending for the program, then returns.
// A terminate request met here only marks the loop to end later.
void ProcessMessages();
