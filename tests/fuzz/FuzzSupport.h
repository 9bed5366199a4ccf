#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What every fuzz target needs around the reader it drives. All of it is process-wide and made
// once; libFuzzer runs the inputs one after another on one thread.
namespace fuzz {

// Sends every ShowMessage text nowhere (a target must not wait on a box or flood the log).
void silenceMessages();

// A private folder for the files a target writes, removed when the process ends. Ends with "/".
const std::string& workFolder();

// Replaces the file at `path` with the bytes; aborts when it cannot (the run is then useless).
void writeFile(const std::string& path, const uint8_t* data, size_t size);

// A QGuiApplication on the offscreen platform, for the image readers and pictures.
void ensureGuiApplication(int argc = 0, char** argv = nullptr);

}  // namespace fuzz
