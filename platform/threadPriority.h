#pragma once
// Background threads that read catalogs give way to the window: on a machine
// with as many of them as cores, the window would otherwise wait its turn for
// a core with every paint.

// Lowers the priority of the calling thread a little (not to idle: it still
// runs on a busy machine). Does nothing where the system cannot.
void lowerThisThreadsPriority();
