#include <cstdio>

int main() {
    std::puts("morvel-render: not written yet");
    return 0;
}
