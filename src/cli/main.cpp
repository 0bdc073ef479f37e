// kvzt-cli: the command-line companion.

#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::fprintf(stderr, "использование: kvzt-cli КОМАНДА ...\n");
        return 2;
    }
    return 2;
}
