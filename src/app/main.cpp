#include <cstdio>

int main() {
    std::fputs("lumoclass: the program entry is not built yet\n", stderr);
    return 1;
}
