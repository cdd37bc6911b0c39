// A coverage-guided mutation driver for a fuzz target written against the
// LLVMFuzzerTestOneInput entry, built with g++ alone: the target's sources
// are compiled with -fsanitize-coverage=trace-pc, whose per-block callback
// below records the edges an input takes; an input that reaches an edge (or
// an edge count) never seen before joins the corpus. The sanitizers, linked
// in as well, turn memory errors and undefined behaviour into crashes.
//
//   mutation_driver --seconds N [--seed S] [--max-len N] --crashes DIR INPUT...
//
// Every INPUT (a file, or a directory of files) runs once first: the seed
// corpus and the inputs kept from earlier crashes are regression cases.
// Then mutated inputs run until N seconds have passed. An input that
// crashes, aborts or hangs (no progress for --hang-seconds) is written to
// DIR as crash-<hash> before the process dies, to be kept as a regression
// case; the exit status is then non-zero.
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// ---- Coverage ------------------------------------------------------------

constexpr std::size_t map_size = std::size_t{1} << 16;
std::array<std::uint8_t, map_size> edge_hits{};
std::array<std::uint8_t, map_size> seen_buckets{};
std::uintptr_t previous_block = 0;

// Hit counts are compared by order of magnitude: a loop that runs once more
// is no news, one that runs ten times more is.
std::uint8_t count_bucket(std::uint8_t hits) {
    if (hits >= 128) return 0x80;
    if (hits >= 32) return 0x40;
    if (hits >= 16) return 0x20;
    if (hits >= 8) return 0x10;
    if (hits >= 4) return 0x08;
    return hits;  // 1, 2 or 3
}

// True when the last run reached an edge or an edge count never seen.
bool collect_new_coverage() {
    bool news = false;
    for (std::size_t i = 0; i < map_size; ++i) {
        if (edge_hits[i] == 0) continue;
        const std::uint8_t bucket = count_bucket(edge_hits[i]);
        if ((seen_buckets[i] & bucket) != bucket) {
            seen_buckets[i] |= bucket;
            news = true;
        }
        edge_hits[i] = 0;
    }
    previous_block = 0;
    return news;
}

std::size_t edges_seen() {
    return static_cast<std::size_t>(std::count_if(seen_buckets.begin(), seen_buckets.end(),
                                                  [](std::uint8_t b) { return b != 0; }));
}

}  // namespace

// Called at every basic block of the instrumented sources. An edge is the
// pair (previous block, this block), hashed into the map.
extern "C" void __sanitizer_cov_trace_pc() {
    const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    const std::uintptr_t block = (pc ^ (pc >> 15) ^ (pc >> 31)) & (map_size - 1);
    std::uint8_t& hits = edge_hits[block ^ previous_block];
    if (hits != 0xff) ++hits;
    previous_block = block >> 1;
}

namespace {

// ---- Keeping the input that crashed ----------------------------------------

const std::string* current_input = nullptr;
char crash_dir[4096] = {};
volatile sig_atomic_t runs_done = 0;

// Only async-signal-safe calls: the process is dying.
void save_current_input() {
    if (current_input == nullptr || crash_dir[0] == '\0') return;
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    for (const char c : *current_input) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    char path[sizeof crash_dir + 32];
    std::size_t n = std::strlen(crash_dir);
    std::memcpy(path, crash_dir, n);
    const char prefix[] = "/crash-";
    std::memcpy(path + n, prefix, sizeof prefix - 1);
    n += sizeof prefix - 1;
    for (int shift = 60; shift >= 0; shift -= 4) path[n++] = "0123456789abcdef"[(hash >> shift) & 0xf];
    path[n] = '\0';
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    std::size_t written = 0;
    while (written < current_input->size()) {
        const ssize_t w = write(fd, current_input->data() + written, current_input->size() - written);
        if (w <= 0) break;
        written += static_cast<std::size_t>(w);
    }
    close(fd);
    const char note[] = "mutation_driver: the input is kept as ";
    (void)!write(STDERR_FILENO, note, sizeof note - 1);
    (void)!write(STDERR_FILENO, path, n);
    (void)!write(STDERR_FILENO, "\n", 1);
    current_input = nullptr;
}

void on_fatal_signal(int sig) {
    save_current_input();
    signal(sig, SIG_DFL);
    raise(sig);
}

// A hang: the run counter has not moved for `hang_ticks` ticks of a second.
int hang_ticks = 10;
void on_tick(int) {
    static sig_atomic_t last_runs = -1;
    static int still = 0;
    if (runs_done != last_runs) {
        last_runs = runs_done;
        still = 0;
        return;
    }
    if (++still < hang_ticks) return;
    const char note[] = "mutation_driver: an input ran for too long\n";
    (void)!write(STDERR_FILENO, note, sizeof note - 1);
    save_current_input();
    _exit(3);
}

void install_crash_handlers() {
    // The sanitizers report memory faults and undefined behaviour themselves
    // and then call this; an abort() of the target's own checks comes here.
    __sanitizer_set_death_callback(save_current_input);
    signal(SIGABRT, on_fatal_signal);
    signal(SIGALRM, on_tick);
    const itimerval every_second{{1, 0}, {1, 0}};
    setitimer(ITIMER_REAL, &every_second, nullptr);
}

bool run(const std::string& input) {
    current_input = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    current_input = nullptr;
    runs_done = runs_done + 1;
    return collect_new_coverage();
}

// ---- Mutation --------------------------------------------------------------

// Tokens of the document's grammar and the values that stress a reader.
constexpr std::string_view dictionary[] = {
    "{", "}", "[", "]", ":", ",", "\"", "\\", "\\u0000", "\\ud800", "\\udc00\\ud800", "\xff", "\xc3\xa9",
    "\"TimeWeightings\"", "\"DayWeightings\"", "\"IanaTimeZone\"", "\"monday\"", "\"sunday\"",
    "\"US/Eastern\"", "\"00:00 - 00:15\"", "\"23:45 - 00:00\"", "null", "true", "false", "[]", "{}",
    "0", "-0", "1", "0.9", "1e308", "1e309", "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308",
    "0.00000000000000000000000000000000000000001", "123456789012345678901234567890123456789",
    "17976931348623157" "0000000000000000000000000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000",
    "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", "{\"x\":{\"x\":{\"x\":{\"x\":", " ", "\n", "\t", "\r\n",
};

class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : rng_(seed) {}

    std::string mutate(const std::string& base, const std::vector<std::string>& corpus, std::size_t max_len) {
        std::string s = base;
        const int rounds = 1 + static_cast<int>(below(4));
        for (int r = 0; r < rounds; ++r) mutate_once(s, corpus);
        if (s.size() > max_len) s.resize(max_len);
        return s;
    }

    std::size_t below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

private:
    std::size_t position(const std::string& s) { return below(s.size() + 1); }

    std::pair<std::size_t, std::size_t> range(const std::string& s) {
        const std::size_t at = below(s.size());
        const std::size_t len = 1 + below(std::min<std::size_t>(s.size() - at, below(2) ? 8 : 256));
        return {at, len};
    }

    void mutate_once(std::string& s, const std::vector<std::string>& corpus) {
        switch (below(s.empty() ? 2 : 9)) {
            case 0: s.insert(position(s), dictionary[below(std::size(dictionary))]); break;
            case 1: s.insert(position(s), 1, static_cast<char>(below(256))); break;
            case 2: s[below(s.size())] ^= static_cast<char>(1u << below(8)); break;
            case 3: s[below(s.size())] = "{}[]\":,0123456789.eE+- \n\\"[below(26)]; break;
            case 4: {
                const auto [at, len] = range(s);
                s.erase(at, len);
                break;
            }
            case 5: {
                const auto [at, len] = range(s);
                s.insert(position(s), s.substr(at, len));
                break;
            }
            case 6: {  // a token in place of a range
                const auto [at, len] = range(s);
                s.replace(at, len, dictionary[below(std::size(dictionary))]);
                break;
            }
            case 7: {  // the head of this input, the tail of another
                const std::string& other = corpus[below(corpus.size())];
                s = s.substr(0, position(s)) + other.substr(below(other.size() + 1));
                break;
            }
            default: s.resize(below(s.size())); break;
        }
    }

    std::mt19937_64 rng_;
};

// ---- Inputs and arguments --------------------------------------------------

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void add_inputs(const std::filesystem::path& path, std::vector<std::string>& out) {
    if (std::filesystem::is_directory(path)) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) out.push_back(read_file(file));
    } else if (std::filesystem::is_regular_file(path)) {
        out.push_back(read_file(path));
    } else {
        std::fprintf(stderr, "mutation_driver: no input at %s\n", path.c_str());
        std::exit(2);
    }
}

struct Options {
    double seconds = 30;
    std::uint64_t seed = 0;
    std::size_t max_len = std::size_t{1} << 17;
    std::vector<std::string> inputs;
};

Options parse_options(int argc, char** argv) {
    Options options;
    options.seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--seconds" && has_value) {
            options.seconds = std::atof(argv[++i]);
        } else if (arg == "--seed" && has_value) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--max-len" && has_value) {
            options.max_len = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--hang-seconds" && has_value) {
            hang_ticks = std::max(2, std::atoi(argv[++i]));
        } else if (arg == "--crashes" && has_value) {
            std::snprintf(crash_dir, sizeof crash_dir, "%s", argv[++i]);
        } else {
            options.inputs.emplace_back(arg);
        }
    }
    if (crash_dir[0] == '\0' || options.inputs.empty()) {
        std::fprintf(stderr,
                     "usage: mutation_driver --seconds N [--seed S] [--max-len N] [--hang-seconds N] "
                     "--crashes DIR INPUT...\n");
        std::exit(2);
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse_options(argc, argv);
    std::vector<std::string> corpus;
    for (const std::string& input : options.inputs) add_inputs(input, corpus);
    if (corpus.empty()) corpus.emplace_back();
    install_crash_handlers();

    const auto start = std::chrono::steady_clock::now();
    for (const std::string& input : corpus) run(input);
    const std::size_t regression_cases = corpus.size();

    Mutator mutator(options.seed);
    const auto deadline = start + std::chrono::duration<double>(options.seconds);
    std::uint64_t executed = regression_cases;
    while (std::chrono::steady_clock::now() < deadline) {
        for (int batch = 0; batch < 64; ++batch) {
            std::string input = mutator.mutate(corpus[mutator.below(corpus.size())], corpus, options.max_len);
            ++executed;
            if (run(input)) corpus.push_back(std::move(input));
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("mutation_driver: %llu inputs executed in %.1f s (%d regression cases, seed %llu); "
                "corpus grew to %zu inputs over %zu edges; no crash\n",
                static_cast<unsigned long long>(executed), elapsed.count(), static_cast<int>(regression_cases),
                static_cast<unsigned long long>(options.seed), corpus.size(), edges_seen());
    return 0;
}
