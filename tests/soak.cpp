#include "tests/soak.h"
#include <stdio.h>
#include <stdlib.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

int SoakFactor() {
    const char* s = getenv("SONVALE_SOAK");
    int n = s ? atoi(s) : 1;
    return n < 1 ? 1 : n;
}

size_t SoakInputs(size_t base) {
    int f = SoakFactor();
    if (f == 1) return base;
    size_t scaled = base * (size_t)f, floor = (size_t)10000 * (size_t)f;
    return scaled > floor ? scaled : floor;
}

static uint32_t SeedShift() {
    const char* s = getenv("SONVALE_SOAK_SEED");
    return s ? (uint32_t)strtoul(s, nullptr, 10) : 0;
}

Mutator::Mutator(const std::vector<std::string>& samples, const SoakOptions& options)
    : samples_(samples), options_(options), rng_(options.seed * 2654435761u + SeedShift()) {}

// A place in a buffer of `size` bytes (size > 0): half the time in the hot first bytes.
size_t Mutator::Place(size_t size) {
    size_t hot = options_.hotBytes < size ? options_.hotBytes : size;
    return (rng_() & 1) && hot ? rng_() % hot : rng_() % size;
}

static const uint8_t kEdges[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, '\r', '\n', ' ', '"', '=', ';', '\''};

void Mutator::Damage(std::string* b) {
    const std::string& other = samples_[rng_() % samples_.size()];
    switch (rng_() % 9) {
    case 0:  // a bit flip
        if (!b->empty()) (*b)[Place(b->size())] ^= (char)(1 << (rng_() % 8));
        break;
    case 1:  // a byte changed to any value, or to an edge value
        if (!b->empty())
            (*b)[Place(b->size())] = (rng_() & 1) ? (char)rng_() : (char)kEdges[rng_() % sizeof(kEdges)];
        break;
    case 2:  // cut: the end goes
        b->resize(b->empty() ? 0 : (rng_() & 1) ? Place(b->size()) : rng_() % b->size());
        break;
    case 3: {  // a range goes from the middle
        if (b->empty()) break;
        size_t at = Place(b->size());
        b->erase(at, 1 + rng_() % 64);
        break;
    }
    case 4: {  // a range is doubled
        if (b->empty() || b->size() > (1u << 22)) break;
        size_t at = Place(b->size());
        size_t n = 1 + rng_() % 256;
        b->insert(at, b->substr(at, n));
        break;
    }
    case 5: {  // a splice: the start of this one, the rest of another
        size_t cut = b->empty() ? 0 : Place(b->size());
        size_t from = other.empty() ? 0 : rng_() % other.size();
        *b = b->substr(0, cut) + other.substr(from);
        break;
    }
    case 6:
    case 7: {  // a length field at its largest: all ones, a signed maximum, or a synch-safe one
        if (b->size() < 4) break;
        size_t at;
        if (!options_.lengthFields.empty() && (rng_() & 1)) at = options_.lengthFields[rng_() % options_.lengthFields.size()];
        else at = Place(b->size());
        static const int kWidths[] = {1, 2, 4, 8};
        size_t width = (size_t)kWidths[rng_() % 4];
        if (at >= b->size()) break;
        if (width > b->size() - at) width = b->size() - at;
        uint8_t fill = 0xFF;
        switch (rng_() % 4) {
        case 1: fill = 0x7F; break;
        case 2: fill = 0x80; break;
        }
        for (size_t k = 0; k < width; k++) (*b)[at + k] = (char)fill;
        if (rng_() % 4 == 0) (*b)[at] = (char)((rng_() & 1) ? 0x7F : 0x00);  // the top byte of either order
        break;
    }
    case 8: {  // a number written as text grows into a huge one
        if (b->empty()) break;
        size_t at = Place(b->size());
        static const char* const kNumbers[] = {"99999999999999999999", "-2147483648", "4294967295", "0", "-1",
                                               "2147483647", "18446744073709551615"};
        b->insert(at, kNumbers[rng_() % 7]);
        break;
    }
    }
}

std::string Mutator::Next() {
    std::string b = samples_[rng_() % samples_.size()];
    int n = 1 + (int)(rng_() % 4);
    for (int i = 0; i < n; i++) Damage(&b);
    return b;
}

namespace {

// Ends the process when one input runs past its time.
class HangWatch {
public:
    HangWatch(const char* name, int limitMs) : name_(name), limitMs_(limitMs), thread_([this] { Run(); }) {}
    ~HangWatch() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Begin(size_t index, const std::string* input) {
        std::lock_guard<std::mutex> lock(mu_);
        index_ = index;
        input_ = input;
        start_ = Clock::now();
    }
    double End() {
        std::lock_guard<std::mutex> lock(mu_);
        input_ = nullptr;
        return std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    }

private:
    using Clock = std::chrono::steady_clock;
    void Run() {
        std::unique_lock<std::mutex> lock(mu_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(50));
            if (!input_ || Clock::now() - start_ < std::chrono::milliseconds(limitMs_)) continue;
            std::string file = "soak-hang-" + name_ + ".bin";
            if (FILE* f = fopen(file.c_str(), "wb")) {
                fwrite(input_->data(), 1, input_->size(), f);
                fclose(f);
            }
            fprintf(stderr, "soak %s: input %zu ran over %d ms (a hang); it is kept in %s\n", name_.c_str(), index_,
                    limitMs_, file.c_str());
            fflush(stdout);
            fflush(stderr);
            _Exit(3);
        }
    }
    std::string name_;
    int limitMs_;
    std::mutex mu_;
    std::condition_variable wake_;
    bool done_ = false;
    size_t index_ = 0;
    const std::string* input_ = nullptr;
    Clock::time_point start_;
    std::thread thread_;
};

}  // namespace

size_t Soak(const char* name, const std::vector<std::string>& samples, size_t count,
            const std::function<bool(const std::string&)>& parse, const SoakOptions& options) {
    Mutator m(samples, options);
    HangWatch watch(name, options.limitMs);
    double slowest = 0;
    size_t ran = 0;
    auto begin = std::chrono::steady_clock::now();
    // SONVALE_SOAK_KEEP=folder: each input is written there before it runs, so
    // the one that crashed the process is found there afterwards.
    const char* keep = getenv("SONVALE_SOAK_KEEP");
    std::string keepFile = keep ? std::string(keep) + "/soak-last-" + name + ".bin" : "";
    for (; ran < count; ran++) {
        std::string input = m.Next();
        if (keep) {
            if (FILE* f = fopen(keepFile.c_str(), "wb")) {
                fwrite(input.data(), 1, input.size(), f);
                fclose(f);
            }
        }
        watch.Begin(ran, &input);
        bool go = parse(input);
        double ms = watch.End();
        if (ms > slowest) slowest = ms;
        if (!go) break;
    }
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    printf("soak %s: %zu inputs, 0 crashes, 0 hangs, slowest %.1f ms, %.1f s\n", name, ran, slowest, total);
    fflush(stdout);
    return ran;
}
