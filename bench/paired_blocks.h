#pragma once

// Paired timing of an audio path against the engine it wraps: batches of blocks through
// each, taking turns in one run, so that a busy machine slows both alike and their ratio
// holds. Times are the thread's CPU time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace paired {
// Two channels of tones, or of silence, for one block; `both` is what a host hands over.
template <typename Sample> struct Stereo {
    std::vector<Sample> l, r;
    Sample* both[2];
    explicit Stereo(int frames, double amplitude = 0.0) : l(frames), r(frames) {
        for (int i = 0; i < frames; ++i) {
            l[i] = static_cast<Sample>(amplitude * std::sin(i * 0.031));
            r[i] = static_cast<Sample>(amplitude * std::sin(i * 0.017));
        }
        both[0] = l.data();
        both[1] = r.data();
    }
};

inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Each iteration runs about 32768 frames through the engine and through the path, in
// blocks of `block` frames, the order alternating. Reports both throughputs in millions
// of stereo frames per second and "ratio", the path's throughput over the engine's; the
// iteration time is the path's.
template <typename Engine, typename Path>
void Compare(benchmark::State& state, int block, Engine&& engine, Path&& path) {
    const int batch = std::max(1, 32768 / block);
    auto time = [batch](auto& run) {
        const double start = ThreadSeconds();
        for (int i = 0; i < batch; ++i)
            run();
        return ThreadSeconds() - start;
    };
    double engineTime = 0.0, pathTime = 0.0;
    bool pathFirst = false;
    for (auto _ : state) {
        double e, p;
        if (pathFirst) {
            p = time(path);
            e = time(engine);
        } else {
            e = time(engine);
            p = time(path);
        }
        pathFirst = !pathFirst;
        engineTime += e;
        pathTime += p;
        state.SetIterationTime(p);
    }
    const double frames = static_cast<double>(state.iterations()) * batch * block;
    state.counters["engine_Mfps"] = frames / engineTime * 1e-6;
    state.counters["path_Mfps"] = frames / pathTime * 1e-6;
    state.counters["ratio"] = engineTime / pathTime;
}
} // namespace paired
