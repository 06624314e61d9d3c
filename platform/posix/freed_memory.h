#pragma once
// Memory the program freed goes back to the system. The C library keeps freed heap pages for
// reuse; after the display lets go of a day's lines (tens of megabytes) a program that runs
// for weeks should not go on holding them.

namespace platform {

// Hands the heap's free pages back to the system; does nothing where the C library cannot.
void ReturnFreedMemory();

}  // namespace platform
