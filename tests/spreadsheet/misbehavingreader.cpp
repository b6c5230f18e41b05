// Stands in for the sheet reader in the tests of the reading process: the name of the file it is
// given says how it fails, as a reader library may on a damaged file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    const std::string file = argv[1];
    auto is = [&file](const char* what) { return file.find(what) != std::string::npos; };
    if (is("crash")) {
        std::fputs("ZUSHEET 1\n", stdout);
        std::fflush(stdout);
        std::abort();
    }
    if (is("spin")) {
        volatile unsigned long n = 0;
        for (;;)
            n = n + 1;
    }
    if (is("sleep")) {
        for (;;)
            sleep(1);
    }
    if (is("allocate")) {
        constexpr size_t kChunk = 16 << 20;
        size_t total = 0;
        for (;;) {
            void* p = std::malloc(kChunk);
            if (!p) {
                std::printf("ERROR allocated %zu MB\n", total >> 20);
                return 1;
            }
            std::memset(p, 1, kChunk);
            total += kChunk;
        }
    }
    if (is("flood")) {
        for (;;)
            std::fputs("1\tx\n", stdout);
    }
    if (is("garbage")) {
        std::fputs("ZUSHEET 1\nnot what a reader writes\n", stdout);
        return 0;
    }
    return 0; // "silent": ends without a word
}
