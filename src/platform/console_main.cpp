// Console start-up: the runtime splits the command line into the argument
// vector, and the run's status becomes the process's exit status once
// standard output has been flushed by exit.
#include "zone_change.h"

// Arguments reach the tool as typed: the runtime must not expand * and ?
// against the current directory.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv, char** envp)
{
    // Converted back to the same 32 bits by ExitProcess.
    return static_cast<int>(RunZoneChange(argc, argv, envp));
}
