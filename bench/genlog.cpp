// Deterministic log generator for the benchmarks: writes LINES records of
// about 100 bytes in the layout the viewer reads (24-character time stamp,
// the 7-character level field "[CODE]", then the message).
//
//   genlog LINES OUT [--seed N] [--eol crlf|lf] [--accents none|utf8|cp1252] [--long-line CHARS]
//
// --long-line makes the middle record CHARS characters long (its message
// runs on). The same arguments always give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every platform.
struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
};

const char* const kOtherCodes[] = {"DEBUG", "TRACE", "FATAL", "NOTA ", "AUDIT"};
const char* const kWords[] = {"pedido", "cliente", "fatura", "estoque", "processado", "conexao", "tempo",
                              "servidor", "registro", "usuario", "falha", "lote", "arquivo", "nota", "fiscal",
                              "pagamento", "recebido", "enviado", "tabela", "consulta"};
// Accented words, written in the chosen encoding.
const char* const kAccentedUtf8[] = {"configura\xC3\xA7\xC3\xA3o", "opera\xC3\xA7\xC3\xA3o", "m\xC3\xB3" "dulo",
                                     "n\xC3\xBAmero"};
const char* const kAccentedCp1252[] = {"configura\xE7\xE3o", "opera\xE7\xE3o", "m\xF3" "dulo", "n\xFAmero"};

const char* LevelCode(Random& rnd) {
    const unsigned r = rnd.Below(100);
    if (r < 70) return "INFO ";
    if (r < 85) return "AVISO";
    if (r < 95) return "ERRO ";
    return kOtherCodes[rnd.Below(5)];
}

void AppendTimeStamp(std::string& line, std::uint64_t index) {
    // One record every 7 ms from midnight, so the stamps stay plausible.
    const std::uint64_t ms = index * 7;
    const unsigned millis = ms % 1000, secs = (ms / 1000) % 60, mins = (ms / 60000) % 60;
    const unsigned hours = (ms / 3600000) % 24, day = 10 + static_cast<unsigned>((ms / 86400000) % 18);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2026-12-%02u %02u:%02u:%02u.%03u ", day, hours, mins, secs, millis);
    line += stamp;
}

// Messages of 49 to 79 characters keep the average record near 100 bytes;
// a record given a length gets a message that makes it that long.
void AppendMessage(std::string& line, Random& rnd, const char* const* accented, std::size_t length = 0) {
    const std::size_t target = length ? length : line.size() + 49 + rnd.Below(31);
    while (line.size() < target) {
        line += ' ';
        if (accented && rnd.Below(40) == 0)
            line += accented[rnd.Below(4)];
        else
            line += kWords[rnd.Below(20)];
    }
    if (length) line.resize(length);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: genlog LINES OUT [--seed N] [--eol crlf|lf] [--accents none|utf8|cp1252] [--long-line CHARS]\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::uint64_t lines = std::strtoull(argv[1], nullptr, 10);
    const char* outName = argv[2];
    std::uint64_t seed = 20261210;
    const char* eol = "\r\n";
    const char* const* accented = nullptr;
    std::size_t longLine = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string opt = argv[i], value = argv[i + 1];
        if (opt == "--seed") seed = std::strtoull(value.c_str(), nullptr, 10);
        else if (opt == "--eol" && (value == "crlf" || value == "lf")) eol = value == "lf" ? "\n" : "\r\n";
        else if (opt == "--accents" && value == "utf8") accented = kAccentedUtf8;
        else if (opt == "--accents" && value == "cp1252") accented = kAccentedCp1252;
        else if (opt == "--accents" && value == "none") accented = nullptr;
        else if (opt == "--long-line") longLine = std::strtoull(value.c_str(), nullptr, 10);
        else return Usage();
    }
    if ((argc - 3) % 2 != 0) return Usage();

    FILE* out = std::fopen(outName, "wb");
    if (!out) {
        std::perror(outName);
        return 1;
    }
    std::vector<char> buffer(1 << 20);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());
    Random rnd{seed};
    std::string line;
    for (std::uint64_t i = 0; i < lines; ++i) {
        line.clear();
        AppendTimeStamp(line, i);
        line += '[';
        line += LevelCode(rnd);
        line += ']';
        AppendMessage(line, rnd, accented, i == lines / 2 ? longLine : 0);
        line += eol;
        std::fwrite(line.data(), 1, line.size(), out);
    }
    if (std::fclose(out) != 0) {
        std::perror(outName);
        return 1;
    }
    return 0;
}
