// Writes benchmark CSV data: CRLF lines of ten fields, some with non-ASCII
// names, until the file reaches the given size.
//   bench_generate OUTPUT BYTES [SEED]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_generate OUTPUT BYTES [SEED]\n");
        return 2;
    }
    const long long target = std::atoll(argv[2]);
    std::mt19937 random(argc > 3 ? std::atoi(argv[3]) : 1);
    static const char* const first[]
        = {"Anna", "J\xC3\xBCrgen", "Zo\xC3\xAB", "Marta", "Luis", "Smith", "Ole", "Chen", "Fatima", "Pierre"};
    static const char* const last[] = {"Smith", "M\xC3\xBCller",
        "Garc\xC3\xAD"
        "a",
        "Rossi", "Dubois", "Nowak", "Jensen", "Silva"};
    static const char* const city[]
        = {"Berlin", "Paris", "Madrid", "Hamburg", "Rome", "Lisbon", "Vienna", "Prague", "Oslo", "Warsaw"};
    static const char* const country[] = {"Germany", "France", "Spain", "Italy", "Portugal", "Austria"};
    static const char* const status[] = {"open", "closed", "pending", "urgent", "invoice sent"};
    static const char* const currency[] = {"EUR", "USD", "GBP"};
    static const char* const note[]
        = {"call back", "invoice attached", "no answer", "urgent reply", "see ticket", "ok"};
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
    long long written = 0;
    char line[512];
    for (long long id = 1; written < target; ++id) {
        const int n = std::snprintf(line, sizeof line,
            "%lld,2023-%02u-%02u,%s,%s,%s,%s,%s,%u.%02u %s,%s.%s@example.org,%s\r\n", id, unsigned(random() % 12 + 1),
            unsigned(random() % 28 + 1), first[random() % 10], last[random() % 8], city[random() % 10],
            country[random() % 6], status[random() % 5], unsigned(random() % 5000), unsigned(random() % 100),
            currency[random() % 3], first[random() % 10], last[random() % 8], note[random() % 6]);
        std::fwrite(line, 1, static_cast<size_t>(n), out);
        written += n;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
