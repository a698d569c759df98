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
#include <numbers>
#include <string>
#include <vector>

#include <sys/stat.h>

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

void Put16(std::vector<uint8_t>& bytes, uint16_t value)
{
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& bytes, uint32_t value)
{
    Put16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    Put16(bytes, static_cast<uint16_t>(value >> 16));
}

void PutTag(std::vector<uint8_t>& bytes, const char* tag)
{
    bytes.insert(bytes.end(), tag, tag + 4);
}

bool WriteWave(const std::string& path, const Samples& samples)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> bytes;
    PutTag(bytes, "RIFF");
    Put32(bytes, 36 + dataBytes);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put32(bytes, 16);
    Put16(bytes, 1); // PCM
    Put16(bytes, 1); // mono
    Put32(bytes, kRate);
    Put32(bytes, kRate * 2);
    Put16(bytes, 2);
    Put16(bytes, 16);
    PutTag(bytes, "data");
    Put32(bytes, dataBytes);
    for (double sample : samples) {
        const double clipped = std::clamp(sample, -1.0, 1.0);
        Put16(bytes, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clipped * 32767))));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <sounds folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    mkdir(argv[1], 0755);
    const std::pair<const char*, Samples> sounds[] = {
        {"pim_alert.wav", Alert()}, {"chyba.wav", Error()},         {"fronta.wav", Queue()},
        {"odeslano.wav", Sent()},   {"vseodeslano.wav", AllSent()}, {"info.wav", Info()},
    };
    int failures = 0;
    for (const auto& [name, samples] : sounds) {
        if (!WriteWave(folder + name, samples)) {
            std::fprintf(stderr, "make_sounds: %s not written\n", name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
