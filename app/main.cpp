#include <cstdio>

int main()
{
    std::puts("BriselTrelwin: the update wizard is not built yet; run scripts/test to exercise what exists.");
    return 0;
}
