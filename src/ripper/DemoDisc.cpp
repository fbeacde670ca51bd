// The demo disc: every sector is computed from its number alone, so sectors
// can be read in any order and in any chunks and always give the same bytes,
// and the disc costs a few tables instead of its length in memory.
//
// Sounds are built from a sine wavetable indexed by 32-bit phases (phase =
// frame * increment, so there is no running state), exponential decay and
// kick-drum tables, and noise from a hash of the frame number. Levels are in
// Q15 fixed point.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "ripper/VirtualDisc.h"

namespace pellamy {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kFramesPerSector = kRawSectorBytes / 4;  // 588 stereo frames
constexpr int kSectorsPerSecond = 75;
constexpr std::int32_t kOne = 1 << 15;  // 1.0 in Q15

constexpr int kSineBits = 12;
constexpr int kSineSize = 1 << kSineBits;
constexpr int kDecaySize = 1024;   // kDecay[i] = exp(-i / 128)
constexpr int kKickFrames = 6615;  // 150 ms
constexpr double kPi = 3.14159265358979323846;

struct TTables {
  std::array<std::int16_t, kSineSize> Sine;
  std::array<std::int16_t, kDecaySize> Decay;
  std::array<std::int16_t, kKickFrames> Kick;
  std::array<std::uint32_t, 128> NoteIncrement;  // per MIDI note number
};

std::uint32_t FrequencyIncrement(double hz) {
  return static_cast<std::uint32_t>(std::llround(hz * 4294967296.0 / kSampleRate));
}

TTables BuildTables() {
  TTables t;
  for (int i = 0; i < kSineSize; ++i) {
    t.Sine[i] = static_cast<std::int16_t>(std::lround(32767.0 * std::sin(2.0 * kPi * i / kSineSize)));
  }
  for (int i = 0; i < kDecaySize; ++i) {
    t.Decay[i] = static_cast<std::int16_t>(std::lround(32767.0 * std::exp(-i / 128.0)));
  }
  // A kick drum: a sine falling from 150 Hz to 50 Hz with a fast decay.
  double phase = 0;
  for (int i = 0; i < kKickFrames; ++i) {
    const double seconds = static_cast<double>(i) / kSampleRate;
    const double hz = 50.0 + 100.0 * std::exp(-seconds / 0.03);
    const double level = std::exp(-seconds / 0.04) * std::min(1.0, i / 40.0);
    t.Kick[i] = static_cast<std::int16_t>(std::lround(32767.0 * level * std::sin(phase)));
    phase += 2.0 * kPi * hz / kSampleRate;
  }
  for (int note = 0; note < 128; ++note) {
    t.NoteIncrement[note] = FrequencyIncrement(440.0 * std::pow(2.0, (note - 69) / 12.0));
  }
  return t;
}

// Built once at start: reached from every sample, so no guard on each use.
const TTables kTables = BuildTables();

inline std::int32_t Sine(std::uint32_t phase) {
  return kTables.Sine[phase >> (32 - kSineBits)];
}

// Q15 product.
inline std::int32_t Mul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(a) * b) >> 15);
}

// exp(-t / (128 << shift)) in Q15.
inline std::int32_t Decay(std::uint64_t t, int shift) {
  const std::uint64_t index = t >> shift;
  return index >= kDecaySize ? 0 : kTables.Decay[index];
}

// Rises linearly from 0 to 1.0 over length frames.
inline std::int32_t Ramp(std::uint64_t t, std::uint32_t length) {
  return t >= length ? kOne : static_cast<std::int32_t>(t * kOne / length);
}

// Level of a note t frames after its start in a span of length frames: a
// short attack and release around the decay.
inline std::int32_t NoteEnvelope(std::uint64_t t, std::uint64_t length, std::uint32_t attack, std::uint32_t release,
                                 int decayShift) {
  const std::uint64_t left = t < length ? length - t : 0;
  return Mul(Mul(Ramp(t, attack), Ramp(left, release)), Decay(t, decayShift));
}

inline std::uint32_t PhaseAt(std::uint64_t frame, std::uint32_t increment) {
  return static_cast<std::uint32_t>(frame * increment);
}

inline std::uint64_t Hash(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// White noise, -32768 .. 32767, the same for the same frame and seed.
inline std::int32_t Noise(std::uint64_t frame, std::uint64_t seed) {
  return static_cast<std::int32_t>(Hash(frame ^ (seed << 40)) >> 48) - 32768;
}

inline std::uint32_t NoteIncrement(int note) {
  return kTables.NoteIncrement[std::clamp(note, 0, 127)];
}

enum class TKind { Chords, Melody, Noise, ToneWithSilence, Bass, Sweep };
constexpr int kKindCount = 6;

struct TTrack {
  TKind Kind;
  int Variant;  // transposes and reseeds the track on long discs
  std::int32_t Start;
  std::int32_t Sectors;
};

int Transpose(int variant) {
  static constexpr int kSteps[] = {0, 3, -2, 5, -4, 2, 7, -5};
  return kSteps[variant % 8];
}

// Each renderer fills kFramesPerSector frames of left and right levels,
// starting at frame n of its track.
using TFrames = std::array<std::int32_t, kFramesPerSector>;

// A I-V-vi-IV chord progression, a chord every two seconds: bass, root, third
// and fifth with a touch of second harmonic, spread across the channels.
void RenderChords(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  constexpr std::uint64_t kChordFrames = 2 * kSampleRate;
  static constexpr int kRoots[] = {0, 7, 9, 5};
  static constexpr bool kMinor[] = {false, false, true, false};
  static constexpr std::int32_t kPanLeft[] = {kOne, kOne, 22938, 27853};
  static constexpr std::int32_t kPanRight[] = {kOne, 22938, kOne, 27853};
  const std::int32_t voiceGain = 5243;  // 0.16
  int i = 0;
  while (i < kFramesPerSector) {
    // A chord at a time: its notes are fixed, their phases advance.
    const std::uint64_t n = n0 + static_cast<std::uint64_t>(i);
    const std::uint64_t chord = n / kChordFrames;
    const int end = static_cast<int>(std::min<std::uint64_t>(kFramesPerSector, i + (chord + 1) * kChordFrames - n));
    const int root = 60 + Transpose(track.Variant) + kRoots[chord % 4];
    const int notes[] = {root - 12, root, root + (kMinor[chord % 4] ? 3 : 4), root + 7};
    std::uint32_t increments[4], phases[4];
    for (int v = 0; v < 4; ++v) {
      increments[v] = NoteIncrement(notes[v]);
      phases[v] = PhaseAt(n, increments[v]);
    }
    for (std::uint64_t t = n % kChordFrames; i < end; ++i, ++t) {
      const std::int32_t level = Mul(voiceGain, NoteEnvelope(t, kChordFrames, 882, 1323, 9));
      std::int32_t l = 0, r = 0;
      for (int v = 0; v < 4; ++v) {
        const std::int32_t s = Mul(Sine(phases[v]) + Sine(phases[v] * 2) / 4, level);
        phases[v] += increments[v];
        l += Mul(s, kPanLeft[v]);
        r += Mul(s, kPanRight[v]);
      }
      left[i] = l;
      right[i] = r;
    }
  }
}

// A plucked melody on a quarter-second grid with echoes, a different delay
// on each side.
struct TMelodyStep {
  int Note;   // semitones above the key note, or -1 for a rest
  int Since;  // steps since the note began
  int Steps;  // the note's length in steps
};

struct TMelodyNote {
  int Note, Steps;
};
constexpr TMelodyNote kPhrase[] = {{0, 1}, {4, 1}, {7, 1}, {12, 2}, {11, 1}, {9, 1},  {7, 2}, {-1, 1},
                                   {5, 1}, {4, 1}, {2, 1}, {4, 1},  {7, 2},  {-1, 2}, {9, 1}, {7, 1},
                                   {5, 1}, {4, 1}, {2, 2}, {4, 1},  {2, 1},  {0, 3},  {-1, 1}};

constexpr std::size_t PhraseSteps() {
  std::size_t n = 0;
  for (const TMelodyNote& note : kPhrase) n += static_cast<std::size_t>(note.Steps);
  return n;
}

// A fixed count, so that the step and phrase of a frame cost no division at
// run time.
constexpr std::array<TMelodyStep, PhraseSteps()> MelodySteps() {
  std::array<TMelodyStep, PhraseSteps()> steps{};
  std::size_t at = 0;
  for (const TMelodyNote& note : kPhrase) {
    for (int s = 0; s < note.Steps; ++s) steps[at++] = {note.Note, s, note.Steps};
  }
  return steps;
}

// The melody's voice for the sector's frames from frame first of the track
// on (silence before the track): a note at a time, so that what is fixed for
// a note is worked out once.
void MelodyVoice(const TTrack& track, std::int64_t first, TFrames& out) {
  constexpr std::int64_t kStepFrames = kSampleRate / 4;
  static constexpr std::array<TMelodyStep, PhraseSteps()> steps = MelodySteps();
  static constexpr int kKeys[] = {0, 0, 5, 7};
  int i = 0;
  while (i < kFramesPerSector) {
    const std::int64_t n = first + i;
    const std::int64_t step = n < 0 ? -1 : n / kStepFrames;
    const int end = static_cast<int>(std::min<std::int64_t>(kFramesPerSector, i + (step + 1) * kStepFrames - n));
    const TMelodyStep* s = step < 0 ? nullptr : &steps[static_cast<std::size_t>(step) % steps.size()];
    if (s == nullptr || s->Note < 0) {
      std::fill(out.begin() + i, out.begin() + end, 0);
      i = end;
      continue;
    }
    const int phrase = static_cast<int>(step / static_cast<std::int64_t>(steps.size()));
    const std::uint32_t increment = NoteIncrement(72 + Transpose(track.Variant) + kKeys[phrase % 4] + s->Note);
    const std::uint64_t length = static_cast<std::uint64_t>(s->Steps * kStepFrames);
    std::uint64_t t = static_cast<std::uint64_t>(s->Since * kStepFrames + n % kStepFrames);
    std::uint32_t phase = PhaseAt(static_cast<std::uint64_t>(n), increment);
    for (; i < end; ++i, ++t, phase += increment) {
      // NoteEnvelope(t, length, 220, 441, shift) for the three partials.
      const std::int32_t shape = Mul(Ramp(t, 220), Ramp(t < length ? length - t : 0, 441));
      const std::int32_t body = Mul(Sine(phase), Mul(shape, Decay(t, 7)));
      const std::int32_t second = Mul(Sine(phase * 2), Mul(shape, Decay(t, 6)));
      const std::int32_t third = Mul(Sine(phase * 3), Mul(shape, Decay(t, 5)));
      out[i] = Mul(body + Mul(second, 13107) + Mul(third, 6554), 11469);  // 0.35
    }
  }
}

void RenderMelody(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  const std::int32_t echo = 11469;  // 0.35
  const std::uint32_t droneLow = NoteIncrement(48 + Transpose(track.Variant));
  const std::uint32_t droneHigh = NoteIncrement(55 + Transpose(track.Variant));
  TFrames dry, echoLeft, echoRight;
  const auto from = static_cast<std::int64_t>(n0);
  MelodyVoice(track, from, dry);
  MelodyVoice(track, from - 13230, echoLeft);
  MelodyVoice(track, from - 6615, echoRight);
  for (int i = 0; i < kFramesPerSector; ++i) {
    // A quiet drone on the key note and its fifth carries through the rests.
    const std::uint64_t frame = n0 + static_cast<std::uint64_t>(i);
    const std::int32_t drone = Mul(Sine(PhaseAt(frame, droneLow)) + Sine(PhaseAt(frame, droneHigh)) / 2, 1966);
    left[i] = dry[i] + Mul(echoLeft[i], echo) + drone;
    right[i] = Mul(dry[i], 27853) + Mul(echoRight[i], echo) + drone;
  }
}

// Low-passed noise (a 15-tap triangular filter) swelling and fading like
// surf; the right side blends in a second noise source.
void RenderNoise(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  constexpr int kTaps = 15;
  const std::uint64_t seedA = 2 * static_cast<std::uint64_t>(track.Variant) + 1;
  const std::uint64_t seedB = seedA + 1;
  std::array<std::int32_t, kFramesPerSector + kTaps - 1> a, b;
  for (int i = 0; i < kFramesPerSector + kTaps - 1; ++i) {
    const std::uint64_t frame = n0 + static_cast<std::uint64_t>(i);
    a[i] = Noise(frame, seedA);
    b[i] = Noise(frame, seedB);
  }
  // The triangle 1, 2 .. 8 .. 2, 1 is a run of eight summed over a run of
  // eight: two running sums instead of fifteen products a frame.
  constexpr int kRun = (kTaps + 1) / 2;
  std::array<std::int64_t, kFramesPerSector + kRun - 1> runA, runB;
  std::int64_t ra = 0, rb = 0;
  for (int k = 0; k < kRun; ++k) {
    ra += a[k];
    rb += b[k];
  }
  for (std::size_t m = 0; m < runA.size(); ++m) {
    runA[m] = ra;
    runB[m] = rb;
    if (m + kRun < a.size()) {
      ra += a[m + kRun] - a[m];
      rb += b[m + kRun] - b[m];
    }
  }
  std::int64_t sumA = 0, sumB = 0;
  for (int k = 0; k < kRun; ++k) {
    sumA += runA[k];
    sumB += runB[k];
  }
  const std::uint32_t swell = FrequencyIncrement(0.23);
  for (int i = 0; i < kFramesPerSector; ++i) {
    if (i > 0) {
      sumA += runA[i + kRun - 1] - runA[i - 1];
      sumB += runB[i + kRun - 1] - runB[i - 1];
    }
    const std::uint64_t n = n0 + i;
    const std::int32_t level = 18022 + Mul(Sine(PhaseAt(n, swell)), 11469);  // 0.55 +- 0.35
    const std::int32_t lowA = static_cast<std::int32_t>(sumA / 64);
    const std::int32_t lowB = static_cast<std::int32_t>(sumB / 64);
    left[i] = Mul(lowA, level);
    right[i] = Mul((3 * lowA + lowB) / 4, level);
  }
}

// A tremolo interval changing every one and a half seconds, broken by a
// passage of exact digital silence.
void SilentPassage(const TTrack& track, std::uint64_t& begin, std::uint64_t& end) {
  const std::int32_t first = track.Sectors * 2 / 5;
  const std::int32_t length = std::max(3 * kSectorsPerSecond, track.Sectors / 6);
  begin = static_cast<std::uint64_t>(first) * kFramesPerSector;
  end = static_cast<std::uint64_t>(first + length) * kFramesPerSector;
}

void RenderToneWithSilence(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  constexpr std::uint64_t kSegmentFrames = kSampleRate * 3 / 2;
  constexpr std::uint32_t kFade = kSampleRate / 20;
  static constexpr int kPairs[][2] = {{69, 76}, {67, 74}, {65, 72}, {64, 71}};
  std::uint64_t silenceBegin, silenceEnd;
  SilentPassage(track, silenceBegin, silenceEnd);
  const std::uint32_t tremolo = FrequencyIncrement(5.0);
  const std::int32_t gain = 9830;  // 0.3
  for (int i = 0; i < kFramesPerSector; ++i) {
    const std::uint64_t n = n0 + i;
    if (n >= silenceBegin && n < silenceEnd) {
      left[i] = right[i] = 0;
      continue;
    }
    const std::int32_t fade = n < silenceBegin ? Ramp(silenceBegin - n, kFade) : Ramp(n - silenceEnd, kFade);
    const int* pair = kPairs[(n / kSegmentFrames) % 4];
    const int shift = Transpose(track.Variant);
    const std::int32_t level =
        Mul(Mul(gain, fade), Mul(Ramp(n % kSegmentFrames, 441), Ramp(kSegmentFrames - n % kSegmentFrames, 441)));
    const std::int32_t wobble = 24576 + Sine(PhaseAt(n, tremolo)) / 4;  // 0.75 +- 0.25
    const std::int32_t low = Mul(Sine(PhaseAt(n, NoteIncrement(pair[0] + shift))), Mul(level, wobble));
    const std::int32_t high = Mul(Sine(PhaseAt(n, NoteIncrement(pair[1] + shift))), level);
    left[i] = low + Mul(high, 19661);
    right[i] = Mul(low, 19661) + high;
  }
}

// A bass line in eighth notes at 120 beats a minute, leaning left, over a
// kick drum on the beat and a hi-hat, leaning right, on the off-beat.
void RenderBass(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  constexpr std::uint64_t kEighth = kSampleRate / 4;
  static constexpr int kLine[] = {40, 40, 47, 40, 43, 45, 47, 50, 52, 50, 47, 45, 43, 40, 38, 40};
  const TTables& tables = kTables;
  for (int i = 0; i < kFramesPerSector; ++i) {
    const std::uint64_t n = n0 + i;
    const std::uint64_t step = n / kEighth;
    const std::uint64_t t = n % kEighth;
    const std::uint32_t phase = PhaseAt(n, NoteIncrement(kLine[step % 16] + Transpose(track.Variant)));
    const std::int32_t tone = Sine(phase) + Sine(phase * 2) / 2 + Sine(phase * 3) / 4;
    const std::int32_t bass = Mul(Mul(tone, NoteEnvelope(t, kEighth, 132, 441, 8)), 9830);  // 0.3
    const std::int32_t kick = step % 2 == 0 && t < kKickFrames ? Mul(tables.Kick[t], 9830) : 0;
    std::int32_t hat = 0;
    if (step % 2 == 1 && t < 4096) {
      const std::uint64_t seed = 100 + static_cast<std::uint64_t>(track.Variant);
      const std::int32_t hiss = (Noise(n + 1, seed) - Noise(n, seed)) / 2;
      hat = Mul(Mul(hiss, Decay(t, 2)), 3932);  // 0.12
    }
    left[i] = bass + kick + hat / 2;
    right[i] = Mul(bass, 27853) + kick + hat;
  }
}

// A rising sweep from 110 Hz to 3520 Hz every ten seconds; the right side
// lags a quarter cycle.
void RenderSweep(const TTrack& track, std::uint64_t n0, TFrames& left, TFrames& right) {
  const std::uint64_t period = static_cast<std::uint64_t>(10 + track.Variant % 3) * kSampleRate;
  const std::uint64_t start = FrequencyIncrement(110.0);
  const std::uint64_t rise = (FrequencyIncrement(3520.0) - start) / period;
  const std::int32_t gain = 16384;  // 0.5
  for (int i = 0; i < kFramesPerSector; ++i) {
    const std::uint64_t m = (n0 + i) % period;
    // The phase is the sum of the increments start + k * rise for k < m.
    const std::uint32_t phase = static_cast<std::uint32_t>(start * m + rise * (m * (m - 1) / 2));
    const std::int32_t level = Mul(gain, Mul(Ramp(m, 441), Ramp(period - m, 441)));
    left[i] = Mul(Sine(phase), level);
    right[i] = Mul(Sine(phase - (1u << 30)), level);
  }
}

void RenderSector(const TTrack& track, std::int32_t sector, std::uint8_t* out) {
  const std::uint64_t n0 = static_cast<std::uint64_t>(sector - track.Start) * kFramesPerSector;
  TFrames left, right;
  switch (track.Kind) {
    case TKind::Chords:
      RenderChords(track, n0, left, right);
      break;
    case TKind::Melody:
      RenderMelody(track, n0, left, right);
      break;
    case TKind::Noise:
      RenderNoise(track, n0, left, right);
      break;
    case TKind::ToneWithSilence:
      RenderToneWithSilence(track, n0, left, right);
      break;
    case TKind::Bass:
      RenderBass(track, n0, left, right);
      break;
    case TKind::Sweep:
      RenderSweep(track, n0, left, right);
      break;
  }
  // Every track fades in over its first 10 ms.
  constexpr std::uint32_t kFadeIn = kSampleRate / 100;
  for (std::uint64_t i = 0; n0 + i < kFadeIn; ++i) {
    left[i] = Mul(left[i], Ramp(n0 + i, kFadeIn));
    right[i] = Mul(right[i], Ramp(n0 + i, kFadeIn));
  }
  // Little-endian 16-bit pairs, built whole so that the loop vectorises.
  static_assert(std::endian::native == std::endian::little);
  std::array<std::uint32_t, kFramesPerSector> frames;
  for (int i = 0; i < kFramesPerSector; ++i) {
    const auto l = static_cast<std::uint16_t>(std::clamp(left[i], -32768, 32767));
    const auto r = static_cast<std::uint16_t>(std::clamp(right[i], -32768, 32767));
    frames[i] = std::uint32_t(l) | std::uint32_t(r) << 16;
  }
  std::memcpy(out, frames.data(), sizeof frames);
}

class TDemoDisc : public TVirtualDisc {
 public:
  explicit TDemoDisc(std::vector<TTrack> tracks) : FTracks(std::move(tracks)) {
    std::vector<std::int32_t> starts;
    for (const TTrack& t : FTracks) starts.push_back(t.Start);
    FLeadOut = FTracks.back().Start + FTracks.back().Sectors;
    FToc = BuildAudioToc(starts, FLeadOut);
  }

  const CdromToc& Toc() const override { return FToc; }
  std::int32_t LeadOutSector() const override { return FLeadOut; }

  bool ReadSectors(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
    if (first < 0 || static_cast<std::int64_t>(first) + count > FLeadOut) return false;
    std::size_t track = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::int32_t sector = first + static_cast<std::int32_t>(i);
      while (track + 1 < FTracks.size() && FTracks[track + 1].Start <= sector) ++track;
      RenderSector(FTracks[track], sector, out + static_cast<std::size_t>(i) * kRawSectorBytes);
    }
    return true;
  }

 private:
  std::vector<TTrack> FTracks;
  std::int32_t FLeadOut = 0;
  CdromToc FToc{};
};

}  // namespace

std::unique_ptr<TVirtualDisc> MakeDemoDisc() {
  struct TLength {
    TKind Kind;
    int Seconds, Frames;
  };
  static constexpr TLength kTracks[] = {{TKind::Chords, 32, 17}, {TKind::Melody, 41, 40},
                                        {TKind::Noise, 24, 5},   {TKind::ToneWithSilence, 36, 61},
                                        {TKind::Bass, 47, 8},    {TKind::Sweep, 21, 33}};
  std::vector<TTrack> tracks;
  std::int32_t start = 0;
  for (const TLength& t : kTracks) {
    const std::int32_t sectors = t.Seconds * kSectorsPerSecond + t.Frames;
    tracks.push_back({t.Kind, 0, start, sectors});
    start += sectors;
  }
  return std::make_unique<TDemoDisc>(std::move(tracks));
}

std::unique_ptr<TVirtualDisc> MakeDemoDisc(int totalMinutes) {
  if (totalMinutes < 1 || totalMinutes > 99) {
    throw Exception("A demo disc lasts 1 to 99 minutes, not " + std::to_string(totalMinutes));
  }
  const std::int32_t total = totalMinutes * 60 * kSectorsPerSecond;
  constexpr std::int32_t kTypicalTrack = 225 * kSectorsPerSecond;  // 3:45
  const int count = std::clamp((total + kTypicalTrack - 1) / kTypicalTrack, 5, 99);
  const std::int32_t base = total / count;
  // Track boundaries move up to a fifth of a track either way from an even
  // split, so neighbouring tracks differ in length.
  auto boundary = [&](int i) {
    if (i == 0 || i == count) return i == 0 ? 0 : total;
    return i * base + static_cast<std::int32_t>(Hash(static_cast<std::uint64_t>(i)) % 11) * (base / 25) - base / 5;
  };
  std::vector<TTrack> tracks;
  for (int i = 0; i < count; ++i) {
    const std::int32_t start = boundary(i);
    tracks.push_back({static_cast<TKind>(i % kKindCount), i / kKindCount, start, boundary(i + 1) - start});
  }
  return std::make_unique<TDemoDisc>(std::move(tracks));
}

}  // namespace pellamy
