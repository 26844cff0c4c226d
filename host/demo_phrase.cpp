#include "host/demo_phrase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vhost {
namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 0.5; // seconds at 120 bpm
constexpr double kLength = 4.0;

// Deterministic noise, the same on every platform.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(std::size_t frames) : left(frames), right(frames) {}
    void Add(std::size_t frame, double value, double pan) {
        if (frame >= left.size()) return;
        // Constant-power pan, -1 left .. +1 right.
        double angle = (pan + 1.0) * std::numbers::pi / 4.0;
        left[frame] += value * std::cos(angle);
        right[frame] += value * std::sin(angle);
    }
};

void Pluck(Stereo& out, double start, int midiNote, double pan, double gain, std::uint32_t seed) {
    double frequency = 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
    auto period = static_cast<std::size_t>(std::lround(kRate / frequency));
    std::vector<double> line(period);
    Noise noise(seed);
    double previous = 0.0;
    for (double& s : line) {
        // A gently low-passed burst gives a softer, rounder pluck.
        double n = noise.Next();
        s = 0.5 * (n + previous);
        previous = n;
    }
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    const std::size_t length = static_cast<std::size_t>(1.6 * kRate);
    const std::size_t fade = kRate / 100;
    for (std::size_t i = 0, pos = 0; i < length; ++i) {
        std::size_t next = pos + 1 == period ? 0 : pos + 1;
        double value = line[pos];
        line[pos] = 0.996 * 0.5 * (line[pos] + line[next]);
        pos = next;
        double envelope = i + fade > length ? static_cast<double>(length - i) / fade : 1.0;
        out.Add(first + i, gain * envelope * value, pan);
    }
}

void Kick(Stereo& out, double start, double gain) {
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.5 * kRate); ++i) {
        double t = static_cast<double>(i) / kRate;
        double frequency = 50.0 + 100.0 * std::exp(-t / 0.04);
        phase += 2.0 * std::numbers::pi * frequency / kRate;
        out.Add(first + i, gain * std::exp(-t / 0.18) * std::sin(phase), 0.0);
    }
}

void Snare(Stereo& out, double start, double gain, std::uint32_t seed) {
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    Noise noise(seed);
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.3 * kRate); ++i) {
        double t = static_cast<double>(i) / kRate;
        double body = std::sin(2.0 * std::numbers::pi * 190.0 * t) * std::exp(-t / 0.06);
        double rattle = noise.Next() * std::exp(-t / 0.07);
        out.Add(first + i, gain * (0.5 * body + rattle), 0.1);
    }
}

} // namespace

DemoPhrase SynthesizeDemoPhrase() {
    const auto frames = static_cast<std::size_t>(kLength * kRate);
    Stereo mix(frames);

    struct Note {
        double beat;
        int midi;
        double pan;
    };
    // A minor figure in the first bar and a half, then room for echoes to be heard.
    constexpr Note notes[] = {{0.0, 57, -0.4}, {0.5, 60, 0.4},  {1.0, 64, -0.2}, {1.5, 67, 0.3},
                              {2.0, 69, 0.0},  {3.0, 64, -0.3}, {3.5, 72, 0.5},  {4.0, 69, 0.0}};
    std::uint32_t seed = 12345;
    for (const Note& n : notes)
        Pluck(mix, n.beat * kBeat, n.midi, n.pan, 0.45, seed++);
    Kick(mix, 0.0, 0.8);
    Snare(mix, 2.0 * kBeat, 0.35, 777);
    Kick(mix, 4.0 * kBeat, 0.8);

    // Peak at -3 dBFS.
    double peak = 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    const double scale = peak > 0.0 ? std::pow(10.0, -3.0 / 20.0) / peak : 1.0;

    DemoPhrase phrase;
    phrase.samples.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        phrase.samples[2 * i] = mix.left[i] * scale;
        phrase.samples[2 * i + 1] = mix.right[i] * scale;
    }
    return phrase;
}

} // namespace vhost
