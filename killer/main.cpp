#include "killer/closing_utility.h"

// Closes every running dalmora1 of this user. It takes no arguments, reads
// and writes no file, shows and logs nothing, and always ends with 0.
int main()
{
    try {
        TNClosingUtility().Run();
    } catch (...) {
    }
    return 0;
}
