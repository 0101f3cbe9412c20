// leafmark-manpage SOURCE.md OUT.1 RELEASE: builds one manual page.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "ManPage.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: leafmark-manpage SOURCE.md OUT.1 RELEASE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "leafmark-manpage: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    const std::string roff = leafmark::manpage::toRoff(text.str(), argv[3], &error);
    if (roff.empty()) {
        std::fprintf(stderr, "leafmark-manpage: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << roff;
    out.close();
    if (!out) {
        std::fprintf(stderr, "leafmark-manpage: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
