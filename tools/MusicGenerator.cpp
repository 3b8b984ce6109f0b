// Writes Vaultreach's title music and its two sound effects as 16-bit PCM WAV files at the
// mixer's rate (22050 Hz), so SDL_mixer never has to resample them:
//
//   intro.wav  stereo, 64 beats at 84 per minute in D minor, made to loop without a seam
//   clash.wav  mono, two blades meeting
//   thud.wav   mono, a blow landing
//
// Everything is synthesised here from a written score; nothing is sampled, and the noise comes
// from a fixed generator, so the same source always gives the same files. tools/make_music.sh
// builds this, runs it and encodes intro.wav to the intro.ogg that the game ships.
//
// Usage: MusicGenerator OUTPUT_DIRECTORY

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
// 84 beats a minute gives a whole number of samples per eighth, so the loop length is exact.
constexpr int kBeat = kRate * 60 / 84;
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 16;
constexpr int kLoopLength = kBeat * kBeatsPerBar * kBars;

// A fixed linear congruential generator: noise that is the same on every run.
class cNoise {
  public:
    double Next() {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ull << 53) * 2.0 - 1.0;
    }

  private:
    std::uint64_t m_state = 0x5eed5eedull;
};

double Frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// "D5", "C#6", "Bb4" as MIDI note numbers.
int ParseNote(const std::string& name) {
    static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    const int accidental = name[1] == '#' ? 1 : name[1] == 'b' ? -1 : 0;
    const int octave = std::stoi(name.substr(accidental == 0 ? 1 : 2));
    return 12 * (octave + 1) + kSteps[name[0] - 'A'] + accidental;
}

struct cNote {
    double beat;
    double beats;
    int midi;
};

// A line of the score: notes as NAME or NAME:BEATS (one beat when left out), "r" for a rest,
// '|' between bars for the reader only.
std::vector<cNote> ParseLine(const std::string& text, double startBeat) {
    std::vector<cNote> notes;
    double beat = startBeat;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = std::min(text.find(' ', position), text.size());
        const std::string word = text.substr(position, end - position);
        position = end + 1;
        if (word.empty() || word == "|") {
            continue;
        }
        const std::size_t colon = word.find(':');
        const std::string name = word.substr(0, colon);
        const double beats = colon == std::string::npos ? 1.0 : std::stod(word.substr(colon + 1));
        if (name != "r") {
            notes.push_back({beat, beats, ParseNote(name)});
        }
        beat += beats;
    }
    return notes;
}

// A stereo buffer that wraps around: whatever rings past the end of the loop sounds again at
// its start, which is where the listener hears it when the music repeats.
class cLoopBuffer {
  public:
    explicit cLoopBuffer(int length) : left(length), right(length) {}
    void Add(long index, double value, double pan) {
        const long wrapped = ((index % Length()) + Length()) % Length();
        // Equal-power panning, pan from -1 (left) to 1 (right).
        const double angle = (pan + 1.0) * kPi / 4.0;
        left[wrapped] += value * std::cos(angle);
        right[wrapped] += value * std::sin(angle);
    }
    long Length() const { return static_cast<long>(left.size()); }

    std::vector<double> left;
    std::vector<double> right;
};

long BeatToSample(double beat) {
    return std::lround(beat * kBeat);
}

// A sound cut off while still ringing clicks; every sound fades to nothing over its last 40 ms.
double EndFade(int i, int length) {
    constexpr int kFade = kRate / 25;
    return i > length - kFade ? static_cast<double>(length - i) / kFade : 1.0;
}

// A plucked lute string: a Karplus-Strong delay line fed with a burst of noise, its loop filter
// a little brighter for loud notes.
void Pluck(cLoopBuffer& out, cNoise& noise, double beat, int midi, double velocity, double pan) {
    const int period = std::max(2, static_cast<int>(std::lround(kRate / Frequency(midi))));
    std::vector<double> line(period);
    double previous = 0.0;
    for (double& sample : line) {
        // Lowpassed noise softens the pick.
        previous = 0.75 * previous + 0.25 * noise.Next();
        sample = previous;
    }
    const long start = BeatToSample(beat);
    const int length = static_cast<int>(kRate * 2.2);
    const double damping = 0.4960 + 0.0035 * velocity;
    double last = 0.0;
    for (int i = 0; i < length; ++i) {
        const int at = i % period;
        const double current = line[at];
        line[at] = damping * (current + last);
        last = current;
        out.Add(start + i, current * velocity * 0.55 * EndFade(i, length), pan);
    }
}

// A held voice built from harmonics: amplitudes fall as 1 / n^slope, with an attack, a release
// and a vibrato that grows in after the attack.
struct cVoice {
    int harmonics;
    double slope;
    double attack;   // seconds
    double release;  // seconds
    double vibrato;  // depth as a frequency ratio
    double breath;   // noise mixed into the attack
    double detune;   // ratio between the left and right copies, 1 for none
};

void Sing(cLoopBuffer& out, cNoise& noise, const cVoice& voice, const cNote& note, double velocity,
          double pan) {
    const double frequency = Frequency(note.midi);
    const long start = BeatToSample(note.beat);
    const double held = note.beats * kBeat / kRate;
    const int length = static_cast<int>((held + voice.release) * kRate);
    double norm = 0.0;
    for (int n = 1; n <= voice.harmonics; ++n) {
        norm += 1.0 / std::pow(n, voice.slope);
    }
    double phaseLeft = 0.0;
    double phaseRight = 0.0;
    double breath = 0.0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double envelope = std::min(1.0, t / voice.attack);
        // A slight swell and sag while held keeps long notes from sounding like an organ.
        envelope *= 0.85 + 0.15 * std::exp(-t * 1.5);
        if (t > held) {
            envelope *= std::exp(-(t - held) / voice.release * 4.0);
        }
        envelope *= EndFade(i, length);
        const double wobble =
            1.0 + voice.vibrato * std::min(1.0, t / 0.5) * std::sin(2.0 * kPi * 5.2 * t);
        phaseLeft += 2.0 * kPi * frequency * wobble / kRate;
        phaseRight += 2.0 * kPi * frequency * voice.detune * wobble / kRate;
        double left = 0.0;
        double right = 0.0;
        for (int n = 1; n <= voice.harmonics; ++n) {
            if (frequency * n > kRate * 0.45) {
                break;
            }
            const double amplitude = 1.0 / std::pow(n, voice.slope);
            left += amplitude * std::sin(n * phaseLeft);
            right += amplitude * std::sin(n * phaseRight);
        }
        breath = 0.9 * breath + 0.1 * noise.Next();
        const double chiff = voice.breath * breath * std::exp(-t * 18.0) * 6.0;
        const double value = envelope * velocity / norm;
        // Spread the two copies a little apart around the pan position.
        out.Add(start + i, (left * value + chiff) * 0.5, std::max(-1.0, pan - 0.3));
        out.Add(start + i, (right * value + chiff) * 0.5, std::min(1.0, pan + 0.3));
    }
}

// A kettle drum: a few inharmonic modes over a falling pitch, struck with a soft mallet.
void Timpani(cLoopBuffer& out, cNoise& noise, double beat, int midi, double velocity) {
    static const double kModes[] = {1.0, 1.504, 1.742, 2.0};
    static const double kGains[] = {1.0, 0.5, 0.25, 0.15};
    const double frequency = Frequency(midi);
    const long start = BeatToSample(beat);
    const int length = static_cast<int>(kRate * 1.8);
    double phases[4] = {0.0, 0.0, 0.0, 0.0};
    double thump = 0.0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double glide = 1.0 + 0.06 * std::exp(-t * 30.0);
        double value = 0.0;
        for (int m = 0; m < 4; ++m) {
            phases[m] += 2.0 * kPi * frequency * kModes[m] * glide / kRate;
            value += kGains[m] * std::sin(phases[m]) * std::exp(-t * (2.2 + 2.5 * m));
        }
        thump = 0.8 * thump + 0.2 * noise.Next();
        value += thump * std::exp(-t * 60.0) * 1.5;
        const double attack = std::min(1.0, t / 0.004);
        out.Add(start + i, value * attack * velocity * 0.5 * EndFade(i, length), 0.0);
    }
}

// A delay line: Front() is the sample put in `length` samples ago, Replace() puts the next one
// in its place. A comb filter keeps its lowpass state beside it.
struct cDelay {
    explicit cDelay(int length) : line(length, 0.0) {}
    double Front() const { return line[at]; }
    void Replace(double value) {
        line[at] = value;
        at = (at + 1) % line.size();
    }

    std::vector<double> line;
    std::size_t at = 0;
    double state = 0.0;
};

// A freeverb-style room: eight damped comb filters, four all-passes per side. Run over the
// loop twice and keep the second pass, so the reverb tail of the end carries into the start.
void AddRoom(cLoopBuffer& buffer, double wet) {
    static const int kCombs[] = {557, 594, 639, 678, 711, 745, 779, 806};
    static const int kAllPasses[] = {278, 220, 170, 113};
    constexpr int kSpread = 12;  // the right side's lines are this much longer
    const long length = buffer.Length();
    for (std::vector<double>* channel : {&buffer.left, &buffer.right}) {
        const int spread = channel == &buffer.left ? 0 : kSpread;
        const std::vector<double> input = *channel;
        std::vector<cDelay> combs;
        std::vector<cDelay> passes;
        for (int delay : kCombs) {
            combs.emplace_back(delay + spread);
        }
        for (int delay : kAllPasses) {
            passes.emplace_back(delay + spread);
        }
        for (long i = 0; i < 2 * length; ++i) {
            const double dry = input[i % length] * 0.015;
            double sum = 0.0;
            for (cDelay& comb : combs) {
                const double delayed = comb.Front();
                comb.state = delayed * 0.7 + comb.state * 0.3;
                comb.Replace(dry + comb.state * 0.86);
                sum += delayed;
            }
            for (cDelay& pass : passes) {
                const double delayed = pass.Front();
                pass.Replace(sum + delayed * 0.5);
                sum = delayed - sum;
            }
            if (i >= length) {
                (*channel)[i - length] = input[i - length] + sum * wet;
            }
        }
    }
}

// The harmony as its roots, one chord a bar, two in bar 7.
std::vector<cNote> Chords() {
    return ParseLine(
        "D3:4 Bb2:4 C3:4 A2:4 | D3:4 G2:4 Bb2:2 A2:2 D3:4 | F2:4 C3:4 D3:4 A2:4 | "
        "Bb2:4 G2:4 A2:4 D3:4",
        0);
}

// The semitones from a chord's root to its third: in this D minor the chords on D and G are
// minor, the others major.
int Third(const cNote& chord) {
    return chord.midi % 12 == 2 || chord.midi % 12 == 7 ? 3 : 4;
}

const cNote& ChordAt(const std::vector<cNote>& chords, double beat) {
    const cNote* current = &chords.front();
    for (const cNote& chord : chords) {
        if (chord.beat <= beat) {
            current = &chord;
        }
    }
    return *current;
}

void Normalise(cLoopBuffer& buffer, double peak) {
    double highest = 0.0;
    for (long i = 0; i < buffer.Length(); ++i) {
        highest = std::max({highest, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
    }
    if (highest <= 0.0) {
        return;
    }
    for (long i = 0; i < buffer.Length(); ++i) {
        buffer.left[i] *= peak / highest;
        buffer.right[i] *= peak / highest;
    }
}

cLoopBuffer Compose() {
    cLoopBuffer out(kLoopLength);
    cNoise noise;
    const std::vector<cNote> chords = Chords();

    // The tune: first a recorder alone, then a horn an octave below with the recorder above.
    const std::vector<cNote> verse = ParseLine(
        "D5:1.5 E5:0.5 F5 A5 | G5:1.5 F5:0.5 D5 Bb4 | E5:1.5 F5:0.5 G5 E5 | E5:2 C#5 A4 | "
        "D5:1.5 E5:0.5 F5 A5 | Bb5:2 A5 G5 | F5 D5 E5 C#5 | D5:3 r",
        0);
    const std::vector<cNote> chorus = ParseLine(
        "A5:1.5 C6:0.5 A5 F5 | G5:2 E5 C5 | F5:1.5 G5:0.5 A5 D6 | C#6:2 A5 E5 | "
        "D6:1.5 C6:0.5 Bb5 F5 | G5:1.5 A5:0.5 Bb5 D6 | C#6:1.5 B5:0.5 A5 E5 | D5:2 r:2",
        32);
    const cVoice recorder{4, 2.2, 0.05, 0.18, 0.004, 0.25, 1.0};
    const cVoice horn{10, 1.25, 0.09, 0.25, 0.003, 0.05, 1.0015};
    const cVoice strings{9, 1.0, 0.45, 0.9, 0.002, 0.0, 1.004};
    for (const cNote& note : verse) {
        Sing(out, noise, recorder, note, 0.42, 0.1);
    }
    for (const cNote& note : chorus) {
        Sing(out, noise, horn, {note.beat, note.beats, note.midi - 12}, 0.55, -0.05);
        Sing(out, noise, recorder, note, 0.22, 0.2);
    }

    // The lute walks up and down each chord in eighths, softer off the beat.
    static const int kPattern[] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int eighth = 0; eighth < kBars * kBeatsPerBar * 2; ++eighth) {
        const double beat = eighth * 0.5;
        const cNote& chord = ChordAt(chords, beat);
        const int root = chord.midi;
        const int tones[] = {root, root + 7, root + 12, root + 12 + Third(chord), root + 19};
        const double accent = eighth % 2 == 0 ? 1.0 : 0.7;
        const double section = beat < 32 ? 0.8 : 0.65;
        Pluck(out, noise, beat, tones[kPattern[eighth % 8]], accent * section, -0.45);
    }

    // Strings hold each chord; a bass note sits under them.
    const cVoice bass{3, 2.0, 0.03, 0.3, 0.0, 0.0, 1.0};
    for (const cNote& chord : chords) {
        const double level = chord.beat < 32 ? 0.10 : 0.14;
        for (int tone : {chord.midi, chord.midi + 7, chord.midi + 12 + Third(chord)}) {
            Sing(out, noise, strings, {chord.beat, chord.beats, tone}, level, 0.35);
        }
        Sing(out, noise, bass, {chord.beat, chord.beats, chord.midi - 12}, 0.35, 0.0);
    }

    // Drums: the verse marks each bar; the chorus marches on one and three, with a pickup
    // before the bars that climb.
    const int low = ParseNote("D2");
    const int high = ParseNote("A2");
    for (int bar = 0; bar < kBars; ++bar) {
        const double first = bar * kBeatsPerBar;
        const bool chorus = bar >= 8;
        Timpani(out, noise, first, low, chorus ? 0.7 : (bar == 7 ? 0.3 : 0.45));
        if (chorus && bar != kBars - 1) {
            Timpani(out, noise, first + 2, high, 0.5);
        }
        if (bar == 9 || bar == 13) {
            Timpani(out, noise, first + 3.5, high, 0.35);
        }
    }

    AddRoom(out, 0.35);
    Normalise(out, 0.89);
    return out;
}

cLoopBuffer Clash() {
    cLoopBuffer out(static_cast<int>(kRate * 0.9));
    cNoise noise;
    static const double kPartials[] = {1180.0, 2737.0, 3410.0, 4630.0, 6120.0};
    static const double kDecays[] = {5.0, 7.0, 9.0, 12.0, 16.0};
    for (long i = 0; i < out.Length(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = noise.Next() * std::exp(-t * 80.0) * 0.8;
        for (int p = 0; p < 5; ++p) {
            value += std::sin(2.0 * kPi * kPartials[p] * t) * std::exp(-t * kDecays[p]) * 0.3;
        }
        out.Add(i, value, -1.0);
    }
    Normalise(out, 0.8);
    return out;
}

cLoopBuffer Thud() {
    cLoopBuffer out(static_cast<int>(kRate * 0.45));
    cNoise noise;
    double phase = 0.0;
    double smooth = 0.0;
    for (long i = 0; i < out.Length(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += 2.0 * kPi * (55.0 + 90.0 * std::exp(-t * 25.0)) / kRate;
        smooth = 0.7 * smooth + 0.3 * noise.Next();
        const double value = std::sin(phase) * std::exp(-t * 9.0) + smooth * std::exp(-t * 40.0);
        out.Add(i, value, -1.0);
    }
    Normalise(out, 0.8);
    return out;
}

void PutLittleEndian(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

std::int16_t ToSample(double value) {
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
}

bool WriteWave(const std::string& path, const cLoopBuffer& buffer, int channels) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(buffer.Length() * channels * 2);
    std::string bytes = "RIFF";
    PutLittleEndian(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2);  // PCM
    PutLittleEndian(bytes, channels, 2);
    PutLittleEndian(bytes, kRate, 4);
    PutLittleEndian(bytes, kRate * channels * 2, 4);
    PutLittleEndian(bytes, channels * 2, 2);
    PutLittleEndian(bytes, 16, 2);
    bytes += "data";
    PutLittleEndian(bytes, dataBytes, 4);
    for (long i = 0; i < buffer.Length(); ++i) {
        // A mono file takes the left channel, where a pan of -1 put everything.
        PutLittleEndian(bytes, static_cast<std::uint16_t>(ToSample(buffer.left[i])), 2);
        if (channels == 2) {
            PutLittleEndian(bytes, static_cast<std::uint16_t>(ToSample(buffer.right[i])), 2);
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: MusicGenerator OUTPUT_DIRECTORY\n";
        return 2;
    }
    const std::string directory = argv[1];
    const bool written = WriteWave(directory + "/intro.wav", Compose(), 2) &&
                         WriteWave(directory + "/clash.wav", Clash(), 1) &&
                         WriteWave(directory + "/thud.wav", Thud(), 1);
    if (!written) {
        std::cerr << "could not write to " << directory << "\n";
        return 1;
    }
    return 0;
}
