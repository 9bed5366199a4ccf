#include <cstdio>
int main() {
    std::fputs("lumoclass-demo-service: not built yet\n", stderr);
    return 1;
}
