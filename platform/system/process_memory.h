// How the process keeps the memory it frees.
#pragma once

namespace platform {

// Keeps freed memory in the process instead of handing it back to the system at once. A
// loop of short runs on one thread takes and frees the model's working arrays every run;
// handed back each time, they come back as fresh pages, and faulting them in costs more
// than the run itself. Call once, at the start of main.
void KeepFreedMemory();

}  // namespace platform
