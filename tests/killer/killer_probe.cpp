// The closing utility under a name chosen by the test, so that its process
// step can never reach a real copy of the program:
//
//   killer_probe EXE_NAME
//
// Otherwise it runs as KillDalmora1 does and always ends with 0.
#include "killer/closing_utility.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    TNKillerSettings settings;
    settings.ExeName = argv[1];
    try {
        TNClosingUtility(settings).Run();
    } catch (...) {
    }
    return 0;
}
