#include <cstdio>

// Until the start-up sequence lands the program only names itself.
int main()
{
    std::printf("dalmora1 1.67\n");
    return 0;
}
