#pragma once

namespace sorvex {

// SIGTERM (the session ending), SIGHUP (its terminal closed) and SIGINT
// (Ctrl+C) are answered as "Выход" is: a run stops at its next look at
// "Стоп", the file in hand deleted as a stop deletes it and the rest left as
// they are, and the program ends with 0 once the run has returned; outside a
// run it ends at once. The handler only writes a byte into a pipe that the
// message loop watches: the answer comes from the loop, or from a run's pump,
// never from inside the handler. A second signal changes nothing.
// Called once the application object is made.
void AnswerEndSignals();

// True once such a signal has been answered, also before the message loop
// was started: the program is then not to start it.
bool EndAsked();

} // namespace sorvex
