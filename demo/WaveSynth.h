#pragma once

#include <string>

// Sample audio for the players: a short melody of sine tones as a 16-bit mono PCM WAV file.
// The seed text picks the tune, so every material has its own sound but the same one each time.
class WaveSynth {
public:
    static std::string melody(const std::string& seed, double seconds = 6.0);
};
