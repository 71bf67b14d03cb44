#include "app/ExitHooks.h"
#include "app/ProgramEntry.h"

int main() {
    const int exitCode = programEntry();
    runExitHooks();
    return exitCode;
}
