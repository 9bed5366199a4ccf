#include "WaveSynth.h"

#include <cmath>
#include <cstdint>
#include <functional>

namespace {

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

}  // namespace

std::string WaveSynth::melody(const std::string& seed, double seconds) {
    constexpr int kRate = 22050;
    // Notes of a C major pentatonic scale, so any sequence sounds tuneful.
    static const double scale[] = {261.63, 293.66, 329.63, 392.00, 440.00, 523.25, 587.33, 659.25};
    size_t hash = std::hash<std::string>{}(seed);
    const int samples = static_cast<int>(seconds * kRate);
    const int noteLength = kRate / 3;
    std::string pcm;
    pcm.reserve(static_cast<size_t>(samples) * 2);
    for (int i = 0; i < samples; ++i) {
        int note = i / noteLength;
        double frequency = scale[(hash >> ((note * 3) % 60)) % 8];
        double t = static_cast<double>(i % noteLength) / kRate;
        double envelope = std::min(1.0, t * 40) * std::exp(-3.0 * t);
        double value = 0.35 * envelope * std::sin(2 * M_PI * frequency * i / kRate);
        put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(value * 32767)));
    }
    std::string out = "RIFF";
    put32(out, static_cast<uint32_t>(36 + pcm.size()));
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, static_cast<uint32_t>(pcm.size()));
    return out + pcm;
}
