// The functions registered for the program's end (atexit), run by exit().
#pragma once

namespace runtime {

// False only when no memory is left for the registration.
bool RegisterEndFunction(void (*function)());

// Runs the registered functions, the last registered first. A function registered while they
// run is run in its turn, before the ones registered earlier.
void RunEndFunctions();

} // namespace runtime
