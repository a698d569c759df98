// Synthesises the program's sounds at build time into the program folder's
// "Sounds" folder: 16-bit PCM WAV, mono, 22,050 Hz, each a fraction of a
// second and told apart by ear: the alert a soft two-tone chime, the error a
// low double buzz, the queue and sent notes short clicks of two pitches,
// "all sent" a rising pair and the information note a single soft tone.
//
//     make_sounds <sounds folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

using Samples = std::vector<double>;

Samples Silence(double seconds)
{
    return Samples(static_cast<size_t>(seconds * kRate), 0.0);
}

// A tone with a short rise and an exponential fall, like a struck bar; a
// little of the octave above keeps it from sounding like a test tone.
void AddTone(Samples& out, double at, double frequency, double seconds, double level, double fall)
{
    const size_t start = static_cast<size_t>(at * kRate);
    const size_t count = static_cast<size_t>(seconds * kRate);
    if (out.size() < start + count)
        out.resize(start + count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double rise = std::min(1.0, t / 0.008);
        const double tail = std::min(1.0, (seconds - t) / 0.02);
        const double envelope = level * rise * tail * std::exp(-t * fall);
        const double phase = 2 * std::numbers::pi * frequency * t;
        out[start + i] += envelope * (std::sin(phase) + 0.2 * std::sin(2 * phase));
    }
}

// A buzz: the first odd harmonics of a low note, held flat and cut softly.
void AddBuzz(Samples& out, double at, double frequency, double seconds, double level)
{
    const size_t start = static_cast<size_t>(at * kRate);
    const size_t count = static_cast<size_t>(seconds * kRate);
    if (out.size() < start + count)
        out.resize(start + count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double edge = std::min({1.0, t / 0.01, (seconds - t) / 0.015});
        double wave = 0;
        for (int harmonic = 1; harmonic <= 7; harmonic += 2)
            wave += std::sin(2 * std::numbers::pi * frequency * harmonic * t) / harmonic;
        out[start + i] += level * edge * wave;
    }
}

// A click: a few milliseconds of a high note dying at once.
void AddClick(Samples& out, double at, double frequency, double level)
{
    AddTone(out, at, frequency, 0.03, level, 180);
}

Samples Alert()
{
    Samples s = Silence(1.0);
    AddTone(s, 0.0, 880, 0.55, 0.35, 4.5);
    AddTone(s, 0.32, 659.25, 0.68, 0.35, 4.0);
    return s;
}

Samples Error()
{
    Samples s = Silence(0.45);
    AddBuzz(s, 0.0, 140, 0.16, 0.28);
    AddBuzz(s, 0.24, 140, 0.16, 0.28);
    return s;
}

Samples Queue()
{
    Samples s = Silence(0.2);
    AddClick(s, 0.0, 1200, 0.5);
    return s;
}

Samples Sent()
{
    Samples s = Silence(0.2);
    AddClick(s, 0.0, 2400, 0.45);
    AddClick(s, 0.05, 2400, 0.3);
    return s;
}

Samples AllSent()
{
    Samples s = Silence(0.5);
    AddTone(s, 0.0, 523.25, 0.2, 0.35, 8);
    AddTone(s, 0.18, 783.99, 0.32, 0.35, 7);
    return s;
}

Samples Info()
{
    Samples s = Silence(0.4);
    AddTone(s, 0.0, 659.25, 0.4, 0.3, 6);
    return s;
}

void Put16(std::ofstream& file, uint16_t value)
{
    const char bytes[] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    file.write(bytes, 2);
}

void Put32(std::ofstream& file, uint32_t value)
{
    Put16(file, static_cast<uint16_t>(value & 0xFFFF));
    Put16(file, static_cast<uint16_t>(value >> 16));
}

bool WriteWave(const std::filesystem::path& path, const Samples& samples)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    file.write("RIFF", 4);
    Put32(file, 36 + dataBytes);
    file.write("WAVEfmt ", 8);
    Put32(file, 16);
    Put16(file, 1); // PCM
    Put16(file, 1); // mono
    Put32(file, kRate);
    Put32(file, kRate * 2);
    Put16(file, 2);
    Put16(file, 16);
    file.write("data", 4);
    Put32(file, dataBytes);
    for (double sample : samples) {
        const double clipped = std::clamp(sample, -1.0, 1.0);
        Put16(file, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clipped * 32767))));
    }
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <sounds folder>\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    const std::pair<const char*, Samples> sounds[] = {
        {"pim_alert.wav", Alert()}, {"chyba.wav", Error()},         {"fronta.wav", Queue()},
        {"odeslano.wav", Sent()},   {"vseodeslano.wav", AllSent()}, {"info.wav", Info()},
    };
    int failures = 0;
    for (const auto& [name, samples] : sounds) {
        if (!WriteWave(folder / name, samples)) {
            std::fprintf(stderr, "make_sounds: %s not written\n", name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
