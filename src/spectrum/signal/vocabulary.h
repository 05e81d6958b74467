#pragma once
// The words of every enumerated setting, each written once: the key that settings files and
// the command line use, the label the window's chooser shows, and how a sentence (a caption,
// the report) writes it. The choosers, the settings file, the command line's parsing and
// usage, the captions and the report are all made from these tables.

#include "spectrum/signal/spectrum.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

template <class E> struct Term {
    E value;
    std::string_view key;         // ASCII, for files and the command line
    std::string_view label;       // the chooser's item
    std::string_view inText = {}; // within a sentence, where it differs from the label
    std::string_view phrase() const { return inText.empty() ? label : inText; }
};

template <class E, std::size_t N> using Vocabulary = std::array<Term<E>, N>;

// The term of a value; the first term for a value the table does not hold.
template <class E, std::size_t N> const Term<E>& termOf(const Vocabulary<E, N>& words, E value) {
    for (const Term<E>& t : words) {
        if (t.value == value) {
            return t;
        }
    }
    return words.front();
}

template <class E, std::size_t N>
std::optional<E> valueOfKey(const Vocabulary<E, N>& words, std::string_view key) {
    for (const Term<E>& t : words) {
        if (t.key == key) {
            return t.value;
        }
    }
    return std::nullopt;
}

// The value at a chooser's index (the terms in order); none outside.
template <class E, std::size_t N>
std::optional<E> valueAt(const Vocabulary<E, N>& words, int index) {
    if (index < 0 || index >= static_cast<int>(N)) {
        return std::nullopt;
    }
    return words[static_cast<std::size_t>(index)].value;
}

// A value's index among the terms; 0 for one the table does not hold.
template <class E, std::size_t N> int indexOf(const Vocabulary<E, N>& words, E value) {
    for (std::size_t i = 0; i < N; ++i) {
        if (words[i].value == value) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

// Words joined with `between`, and `last` before the last: "hann|flattop|rect" as a usage
// line offers keys, "hann, flattop or rect" as a message lists them.
inline std::string joinWords(const std::vector<std::string_view>& words,
                             std::string_view between = "|", std::string_view last = "|") {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += i == 0 ? "" : i + 1 == words.size() ? last : between;
        text += words[i];
    }
    return text;
}

// The keys offered, in order; an empty key (a choice of nothing) is not.
template <class E, std::size_t N>
std::vector<std::string_view> keysOf(const Vocabulary<E, N>& words) {
    std::vector<std::string_view> keys;
    for (const Term<E>& t : words) {
        if (!t.key.empty()) {
            keys.push_back(t.key);
        }
    }
    return keys;
}

template <class E, std::size_t N> std::string joinedKeys(const Vocabulary<E, N>& words) {
    return joinWords(keysOf(words));
}

template <class E, std::size_t N> std::string keyList(const Vocabulary<E, N>& words) {
    return joinWords(keysOf(words), ", ", " or ");
}

// The transform's window.
inline constexpr Vocabulary<WindowKind, 3> kWindowTerms = {{
    {WindowKind::Hann, "hann", "Ханна"},
    {WindowKind::FlatTop, "flattop", "Плоская вершина", "плоская вершина"},
    {WindowKind::Rect, "rect", "Прямоугольное", "прямоугольное"},
}};

// The transform's scaling of amplitudes (a file's spectrum may say neither).
inline constexpr Vocabulary<Scaling, 2> kScalingTerms = {{
    {Scaling::Peak, "peak", "Пик", "пик"},
    {Scaling::Rms, "rms", "СКЗ"},
}};

// How a record's segments are combined: their powers averaged, the segments overlapping by
// a share of their length (auto: a half, none for the rectangular window), or each line held
// at its largest over the segments (peak hold: a passing event stays), overlapping as auto.
enum class Averaging { Auto, Overlap0, Overlap50, Overlap67, Overlap75, PeakHold };
inline constexpr Vocabulary<Averaging, 6> kAveragingTerms = {{
    {Averaging::Auto, "auto", "авто"},
    {Averaging::Overlap0, "overlap0", "0 %"},
    {Averaging::Overlap50, "overlap50", "50 %"},
    {Averaging::Overlap67, "overlap67", "67 %"},
    {Averaging::Overlap75, "overlap75", "75 %"},
    {Averaging::PeakHold, "peak-hold", "пиковое удержание"},
}};

// How a text file's columns are read: as the file shows (the caption of its first column,
// else whether that column rises line by line), or as the user says.
enum class TextLayout { Auto, Spectrum, Channels, Timed };
inline constexpr Vocabulary<TextLayout, 4> kTextLayoutTerms = {{
    {TextLayout::Auto, "auto", "по виду файла"},
    {TextLayout::Spectrum, "spectrum", "спектр: частота, амплитуда"},
    {TextLayout::Channels, "channels", "запись: столбцы — каналы"},
    {TextLayout::Timed, "timed", "запись: время, каналы"},
}};

// How a record's envelope spectrum is made for its diagnosis: the clearest of the methods
// (docs/real-data.md says which it weighs), the pre-whitened whole band, the most impulsive
// band of the band map, or the enhanced envelope spectrum of the spectral coherence.
enum class EnvelopeMethod { Best, Whitened, BandMap, Coherence };
inline constexpr Vocabulary<EnvelopeMethod, 4> kEnvelopeMethodTerms = {{
    {EnvelopeMethod::Best, "best", "наилучший"},
    {EnvelopeMethod::Whitened, "whitened", "выбеленный сигнал"},
    {EnvelopeMethod::BandMap, "bandmap", "полоса по карте"},
    {EnvelopeMethod::Coherence, "coherence", "спектральная когерентность"},
}};

// The units a user may state for a file that names none; none stated first.
inline constexpr Vocabulary<Unit, 4> kStatedUnitTerms = {{
    {Unit::Unknown, "", "не указана"},
    {Unit::G, "g", "g"},
    {Unit::MetrePerSecond2, "m/s2", "м/с²"},
    {Unit::MillimetrePerSecond, "mm/s", "мм/с"},
}};

// The value axis's scale.
inline constexpr Vocabulary<AmplitudeScale, 3> kAxisTerms = {{
    {AmplitudeScale::Linear, "linear", "Линейная"},
    {AmplitudeScale::Logarithmic, "log", "Логарифм."},
    {AmplitudeScale::Decibel, "db", "дБ"},
}};

} // namespace orbistan
