// The six sound cues, synthesised in floating point: the level-start
// fanfare, the explosion, the hit, the engine, the cannon and the servo.
#include <iterator>

#include "artgen/asset_art.h"

const SoundCue kSoundCues[6] = {
    {.id = 111, .rate = 22050, .bits = 16, .samples = 108927},
    {.id = 118, .rate = 8000, .bits = 8, .samples = 16000},
    {.id = 119, .rate = 8000, .bits = 8, .samples = 7200},
    {.id = 120, .rate = 8000, .bits = 8, .samples = 12240},
    {.id = 121, .rate = 8000, .bits = 8, .samples = 9440},
    // The servo repeats for as long as a gun key is held: it stays well under
    // the cannon and the explosion.
    {.id = 122, .rate = 8000, .bits = 8, .samples = 4240, .peakDb = -9.5f},
};

namespace {

constexpr float kTwoPi = 2.0f * kPi;

float WhiteNoise(Rng& rng) {
    return NextFloat(rng) * 2.0f - 1.0f;
}

// A one-pole low-pass; cutoff in Hz may change every sample.
struct LowPass {
    float y = 0;
};
float Step(LowPass& f, float x, float cutoff, int rate) {
    float a = 1.0f - std::exp(-kTwoPi * cutoff / float(rate));
    f.y += a * (x - f.y);
    return f.y;
}

// A state-variable filter: low-pass and band-pass outputs with resonance.
struct Resonator {
    float low = 0, band = 0;
};
struct ResonatorOut {
    float low, band, high;
};
ResonatorOut Step(Resonator& f, float x, float cutoff, float damping, int rate) {
    float k = 2.0f * std::sin(kPi * std::min(cutoff, float(rate) * 0.2f) / float(rate));
    f.low += k * f.band;
    float high = x - f.low - damping * f.band;
    f.band += k * high;
    return {f.low, f.band, high};
}

// Band-limited square (the step corrected by PolyBLEP) and a plain triangle.
float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}
float Square(float phase, float dt, float duty) {
    float v = phase < duty ? 1.0f : -1.0f;
    v += PolyBlep(phase, dt);
    float shifted = phase - duty;
    if (shifted < 0)
        shifted += 1.0f;
    v -= PolyBlep(shifted, dt);
    return v;
}
float Triangle(float phase) {
    return 4.0f * std::fabs(phase - 0.5f) - 1.0f;
}

float MidiHz(int note) {
    return 440.0f * std::pow(2.0f, float(note - 69) / 12.0f);
}

// Blocks any DC offset (a gentle high-pass far below the engine's pulse),
// fades both ends (4 ms, raised cosine) so nothing clicks, and scales the
// peak to peakDb.
void Finish(std::vector<float>& x, int rate, float peakDb) {
    const float keep = std::exp(-kTwoPi * 12.0f / float(rate));
    float previousIn = 0, previousOut = 0;
    for (float& v : x) {
        float out = keep * (previousOut + v - previousIn);
        previousIn = v;
        previousOut = out;
        v = out;
    }
    const int fade = rate * 4 / 1000;
    const int n = int(x.size());
    for (int i = 0; i < fade && i < n; ++i) {
        float g = 0.5f - 0.5f * std::cos(kPi * float(i) / float(fade));
        x[size_t(i)] *= g;
        x[size_t(n - 1 - i)] *= g;
    }
    float peak = 0;
    for (float v : x)
        peak = std::max(peak, std::fabs(v));
    if (peak <= 0)
        return;
    const float target = std::pow(10.0f, peakDb / 20.0f);
    for (float& v : x)
        v *= target / peak;
}

// ---------------------------------------------------------------------------
// 111: a short march fanfare in C: a square lead, a triangle bass, a soft
// noise drum, ending on a held chord.

struct Note {
    float beat, length;
    int pitch;  // MIDI note
};

constexpr float kBeat = 0.4f;  // 150 beats a minute

constexpr Note kLead[] = {
    {0.0f, 0.5f, 72},  {0.5f, 0.5f, 76},   {1.0f, 1.0f, 79},                      // C E G
    {2.0f, 0.75f, 76}, {2.75f, 0.25f, 72}, {3.0f, 1.0f, 67},                      // E C G
    {4.0f, 0.5f, 69},  {4.5f, 0.5f, 72},   {5.0f, 0.5f, 77},   {5.5f, 0.5f, 81},  // A C F A
    {6.0f, 0.5f, 79},  {6.5f, 0.25f, 77},  {6.75f, 0.25f, 76}, {7.0f, 0.5f, 74},  // G F E D
    {7.5f, 0.5f, 71},  {8.0f, 0.5f, 72},   {8.5f, 0.5f, 67},   {9.0f, 3.3f, 72},  // B C G C
};
constexpr Note kHarmony[] = {
    {9.0f, 3.3f, 64}, {9.0f, 3.3f, 67},  // E and G under the last C
};
constexpr Note kBass[] = {
    {0.0f, 0.45f, 48}, {0.5f, 0.45f, 55}, {1.0f, 0.45f, 48}, {1.5f, 0.45f, 55}, {2.0f, 0.45f, 48},
    {2.5f, 0.45f, 55}, {3.0f, 0.45f, 43}, {3.5f, 0.45f, 55}, {4.0f, 0.45f, 41}, {4.5f, 0.45f, 48},
    {5.0f, 0.45f, 41}, {5.5f, 0.45f, 48}, {6.0f, 0.45f, 43}, {6.5f, 0.45f, 50}, {7.0f, 0.45f, 43},
    {7.5f, 0.45f, 50}, {8.0f, 0.45f, 48}, {8.5f, 0.45f, 43}, {9.0f, 3.3f, 36},
};

// A voice's loudness over a note: quick attack, a little decay, release.
float NoteEnvelope(float t, float length, float decay) {
    if (t < 0 || t > length + 0.06f)
        return 0;
    float attack = std::min(1.0f, t / 0.006f);
    float body = 0.7f + 0.3f * std::exp(-t / 0.08f);
    body *= std::exp(-t / decay);
    float release = t > length ? 1.0f - (t - length) / 0.06f : 1.0f;
    return attack * body * release;
}

void AddVoice(std::vector<float>& out, int rate, const Note* notes, size_t count, float level,
              bool square, float decay) {
    for (size_t k = 0; k < count; ++k) {
        const Note& n = notes[k];
        const float hz = MidiHz(n.pitch);
        const float dt = hz / float(rate);
        const float held = n.length * kBeat * (n.length > 2 ? 1.0f : 0.86f);
        int start = int(n.beat * kBeat * float(rate));
        int end = std::min(int(out.size()), start + int((held + 0.07f) * float(rate)));
        float phase = 0;
        for (int i = start; i < end; ++i) {
            float t = float(i - start) / float(rate);
            float env = NoteEnvelope(t, held, n.length > 2 ? decay : 4.0f);
            // A touch of vibrato on long notes, as a player would.
            float vib = 1.0f + 0.004f * std::sin(kTwoPi * 5.5f * t) * SmoothStep(0.2f, 0.6f, t);
            phase += dt * vib;
            phase -= std::floor(phase);
            float v = square ? Square(phase, dt, 0.5f) * 0.8f + Square(phase, dt, 0.25f) * 0.2f
                             : Triangle(phase);
            out[size_t(i)] += level * env * v;
        }
    }
}

void AddDrum(std::vector<float>& out, int rate, Rng& rng, float beat, float level, float decay) {
    int start = int(beat * kBeat * float(rate));
    int length = std::min(int(out.size()) - start, int(decay * 6.0f * float(rate)));
    Resonator body;
    LowPass air;
    for (int i = 0; i < length; ++i) {
        float t = float(i) / float(rate);
        float noise = WhiteNoise(rng);
        ResonatorOut f = Step(body, noise, 1800.0f, 0.9f, rate);
        float soft = Step(air, f.band + 0.3f * noise, 5000.0f, rate);
        float env = std::min(1.0f, t / 0.002f) * std::exp(-t / decay);
        out[size_t(start + i)] += level * env * soft;
    }
}

std::vector<float> Fanfare(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples), 0.0f);
    AddVoice(out, cue.rate, kLead, std::size(kLead), 0.30f, true, 1.1f);
    AddVoice(out, cue.rate, kHarmony, std::size(kHarmony), 0.12f, true, 1.1f);
    AddVoice(out, cue.rate, kBass, std::size(kBass), 0.42f, false, 1.4f);
    Rng rng{111};
    for (int b = 0; b < 8; ++b)
        AddDrum(out, cue.rate, rng, float(b), b % 2 ? 0.20f : 0.30f, 0.05f);
    // A roll into the last chord, then a long soft crash.
    for (int k = 0; k < 4; ++k)
        AddDrum(out, cue.rate, rng, 8.0f + 0.25f * float(k), 0.12f + 0.05f * float(k), 0.04f);
    AddDrum(out, cue.rate, rng, 9.0f, 0.32f, 0.35f);
    // The held chord dies away before the end.
    const int n = int(out.size());
    const int tail = cue.rate * 6 / 10;
    for (int i = n - tail; i < n; ++i) {
        float t = float(i - (n - tail)) / float(tail);
        out[size_t(i)] *= 0.5f + 0.5f * std::cos(kPi * t);
    }
    return out;
}

// ---------------------------------------------------------------------------
// The effects, at 8000 Hz.

// 118: low noise through a falling low-pass, a sine thump under it, and a
// long rumbling decay. The fireball swells in the low mids (150-400 Hz)
// between 100 and 300 ms, where the cannon has died away, so the two differ
// even when the next sound cuts them short. It opens dull and low (the
// noise's filter opens only after 40 ms): on small speakers the crack at
// the start is the cannon's alone.
std::vector<float> Explosion(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples));
    Rng rng{118};
    LowPass a, b, wobble;
    Resonator debris, embers, roar;
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / float(cue.rate);
        float cutoff = 120.0f + 1900.0f * std::exp(-t / 0.22f) * SmoothStep(0.025f, 0.07f, t);
        float noise = WhiteNoise(rng);
        float low = Step(b, Step(a, noise, cutoff, cue.rate), cutoff, cue.rate);
        float rumble = 0.75f + 0.5f * Step(wobble, WhiteNoise(rng), 6.0f, cue.rate) * 8.0f;
        float env = std::min(1.0f, t / 0.004f) *
                    (0.75f * std::exp(-t / 0.5f) + 0.25f * std::exp(-t / 0.12f));
        float thumpHz = 38.0f + 50.0f * std::exp(-t / 0.12f);
        phase += thumpHz / float(cue.rate);
        float thump = std::sin(kTwoPi * phase) * std::exp(-t / 0.3f);
        // Debris and burning: sparse crackles ringing in the mid range,
        // thinning out as the rumble dies, so the tail still reads on small
        // speakers.
        float rate = 90.0f * std::exp(-t / 0.9f) * SmoothStep(0.05f, 0.25f, t);
        float spark = NextFloat(rng) < rate / float(cue.rate) ? WhiteNoise(rng) : 0.0f;
        float pop = Step(debris, spark, 700.0f + 500.0f * NextFloat(rng), 0.25f, cue.rate).band;
        float fizz = Step(embers, WhiteNoise(rng), 900.0f, 0.6f, cue.rate).band;
        float tail = std::exp(-t / 0.7f) * SmoothStep(0.1f, 0.35f, t);
        float swell = SmoothStep(0.04f, 0.14f, t) * std::exp(-std::max(0.0f, t - 0.14f) / 0.3f);
        float fireball = Step(roar, WhiteNoise(rng), 240.0f, 0.9f, cue.rate).band;
        out[i] = 2.2f * low * env * rumble + 0.8f * thump + tail * (2.4f * pop + 0.05f * fizz) +
                 0.9f * swell * fireball;
    }
    return out;
}

// 119: a sharp metallic click (inharmonic partials) and a short noise burst.
std::vector<float> Hit(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples));
    Rng rng{119};
    struct Partial {
        float hz, level, decay;
    };
    constexpr Partial kPartials[] = {{1180, 0.5f, 0.16f},
                                     {1873, 0.45f, 0.10f},
                                     {2641, 0.35f, 0.07f},
                                     {3377, 0.25f, 0.05f},
                                     {523, 0.3f, 0.09f}};
    Resonator burst;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / float(cue.rate);
        float v = 0;
        for (const Partial& p : kPartials)
            v += p.level * std::sin(kTwoPi * p.hz * t) * std::exp(-t / p.decay);
        float noise = Step(burst, WhiteNoise(rng), 2200.0f, 0.7f, cue.rate).band;
        v += 1.3f * noise * std::exp(-t / 0.025f);
        v *= std::min(1.0f, t / 0.0015f);
        out[i] = v;
    }
    return out;
}

// 120: the engine: a 40-60 Hz pulse that wavers, with a little noise. The
// game asks for it again only at the tank's next move after it ends, so
// the players' mixers let it ring on over a loop of its steady middle
// (platform/shared/engine_loop.cpp); it holds its level to the end and
// fades only over its last 70 ms, which the loop leaves out. The firing pulse keeps its harmonics
// up to a few hundred hertz and the block rings near 270 and 400 Hz, chugging with every other
// firing, so small speakers that drop the fundamental still carry the beat.
std::vector<float> Engine(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples));
    Rng rng{120};
    LowPass body, bodyTwo, hiss;
    Resonator block, valves;
    float phase = 0;
    int cycle = 0;
    const float length = float(out.size()) / float(cue.rate);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / float(cue.rate);
        float hz = 50.0f + 6.0f * std::sin(kTwoPi * 1.3f * t) + 3.0f * std::sin(kTwoPi * 3.1f * t);
        phase += hz / float(cue.rate);
        if (phase >= 1) {
            phase -= 1;
            ++cycle;
        }
        // Each firing is a sharp rise and a quick fall; every other one is
        // weaker, as in a real engine.
        float pulse = std::exp(-phase * 14.0f) - 0.07f;
        pulse *= (cycle % 2) ? 0.7f : 1.0f;
        float rumble = Step(bodyTwo, Step(body, pulse, 260.0f, cue.rate), 260.0f, cue.rate);
        // The block and the valve gear ring with each firing.
        float ring = Step(block, pulse, 270.0f, 0.3f, cue.rate).band;
        float clatter = Step(valves, pulse + 0.2f * WhiteNoise(rng), 400.0f, 0.35f, cue.rate).band;
        float noise = Step(hiss, WhiteNoise(rng), 700.0f, cue.rate) * (0.6f + 0.4f * pulse);
        float env = SmoothStep(0.0f, 0.01f, t) * (1.0f - SmoothStep(length - 0.07f, length, t));
        out[i] = env * (1.55f * rumble + 0.9f * ring + 0.9f * clatter + 0.3f * noise);
    }
    return out;
}

// 121: the cannon: a noise crack whose pitch falls fast, over a short boom
// that settles at 100-120 Hz (where small speakers still play it) rather
// than below 80. It is 20 dB down by 250 ms, leaving a dark echo.
std::vector<float> Cannon(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples));
    Rng rng{121};
    Resonator sweep;
    LowPass tail, tailTwo;
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / float(cue.rate);
        float noise = WhiteNoise(rng);
        float cutoff = 140.0f + 2600.0f * std::exp(-t / 0.05f);
        ResonatorOut f = Step(sweep, noise, cutoff, 0.35f, cue.rate);
        float crack = (f.band * 0.9f + f.low * 0.6f) * std::exp(-t / 0.07f);
        float boomHz = 105.0f + 200.0f * std::exp(-t / 0.04f);
        phase += boomHz / float(cue.rate);
        float boom = std::sin(kTwoPi * phase) * std::exp(-t / 0.075f);
        float snap = t < 0.012f ? noise * (1.0f - t / 0.012f) : 0.0f;
        // The tail is the echo of the boom: dark, and darker as it dies.
        float tailCutoff = 90.0f + 160.0f * std::exp(-t / 0.25f);
        float rumble =
            Step(tailTwo, Step(tail, noise, tailCutoff, cue.rate), tailCutoff, cue.rate) * 2.0f *
            std::exp(-t / 0.3f);
        out[i] = (crack + 1.1f * boom + 0.6f * snap + rumble) * std::min(1.0f, t / 0.0015f);
    }
    return out;
}

// 122: the turret servo: a short whirr that starts at full level (it repeats
// while a gun key is held) and rises a little in pitch over its first 200 ms,
// then dies away, so the repeats sound like a motor stepping, not a siren.
std::vector<float> Servo(const SoundCue& cue) {
    std::vector<float> out(size_t(cue.samples));
    Rng rng{122};
    Resonator tone;
    float phase = 0, gear = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / float(cue.rate);
        float hz = 230.0f * std::pow(2.0f, 0.4f * SmoothStep(0.0f, 0.2f, t));
        float dt = hz / float(cue.rate);
        phase += dt;
        phase -= std::floor(phase);
        gear += (hz * 0.25f) / float(cue.rate);
        gear -= std::floor(gear);
        // A soft saw (a few harmonics) buzzed by the gear teeth.
        float saw = 0;
        for (int k = 1; k <= 6; ++k)
            saw += std::sin(kTwoPi * float(k) * phase) / float(k);
        float whir = 0.65f + 0.35f * std::sin(kTwoPi * gear);
        float shaped =
            Step(tone, saw * whir + 0.15f * WhiteNoise(rng), hz * 3.0f, 0.8f, cue.rate).low;
        float env = std::min(1.0f, t / 0.004f) * std::exp(-std::max(0.0f, t - 0.17f) / 0.06f);
        out[i] = shaped * env;
    }
    return out;
}

}  // namespace

std::vector<float> SynthesiseCue(const SoundCue& cue) {
    std::vector<float> x;
    switch (cue.id) {
        case 111:
            x = Fanfare(cue);
            break;
        case 118:
            x = Explosion(cue);
            break;
        case 119:
            x = Hit(cue);
            break;
        case 120:
            x = Engine(cue);
            break;
        case 121:
            x = Cannon(cue);
            break;
        case 122:
            x = Servo(cue);
            break;
        default:
            x.assign(size_t(cue.samples), 0.0f);
            break;
    }
    x.resize(size_t(cue.samples), 0.0f);
    Finish(x, cue.rate, cue.peakDb);
    return x;
}
