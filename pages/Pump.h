#pragma once

namespace sorvex {

// Handles the messages pending for the program, then returns: every posted
// message (queued clicks, repaints, layout requests) at every call, and the
// event dispatcher's full round (window system input, timers, sockets) at
// any call that comes half a millisecond or more after the last full round.
// A terminate request met here only marks the loop to end later.
void ProcessMessages();

// Asks the message loop to end once the running handler has returned to it.
// A pump inside that handler keeps working meanwhile.
void Terminate();

} // namespace sorvex
