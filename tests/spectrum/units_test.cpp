// Units as data: what a file's caption or unit text says, the caption shown for it, and
// whether velocity can be had from it, by what factor.
#include "spectrum/diagnosis/families.h"
#include "spectrum/dsp/transform.h"
#include "spectrum/signal/units.h"
#include "spectrum/signal/vocabulary.h"
#include "spectrum/workbench/workbench.h"

#include <gtest/gtest.h>

#include <numbers>
#include <set>

namespace orbistan {
namespace {

struct CaptionCase {
    const char* what;
    Units units;
    const char* caption;
    double toMillimetres; // 0: no velocity from it
};

Units caption(const char* text) {
    return unitsFromCaption(text);
}

Units with(Units u, Scaling s) {
    u.scaling = s;
    return u;
}

Units stated(Unit unit, Scaling s) {
    Units u;
    u.scaling = s;
    return withStatedUnit(u, unit);
}

Units envelope(Unit unit) {
    Units u;
    u.quantity = Quantity::SquaredEnvelope;
    u.label = "Огибающая² 2000–4000 Гц";
    u.scaling = Scaling::Peak;
    return withStatedUnit(u, unit);
}

class Captions : public testing::TestWithParam<CaptionCase> {};

TEST_P(Captions, ShowAndConvertAsTheFileSays) {
    const CaptionCase& c = GetParam();
    EXPECT_EQ(amplitudeCaption(c.units), c.caption);
    const std::optional<double> factor = accelerationToMillimetres(c.units);
    EXPECT_EQ(factor.value_or(0), c.toMillimetres);
}

INSTANTIATE_TEST_SUITE_P(
    Units, Captions,
    testing::Values(
        // a text file's header
        CaptionCase{"text, mm/s", caption("Скорость, мм/с"), "Скорость, мм/с", 0},
        CaptionCase{"text, [g]", caption("Acceleration [g]"), "Acceleration, g", 9806.65},
        CaptionCase{"text, m/s^2", caption("A, m/s^2"), "A, м/с²", 1000},
        CaptionCase{"text, (um)", caption("Displacement (um)"), "Displacement, мкм", 0},
        CaptionCase{"text, none", caption("Amplitude"), "Amplitude", 0},
        CaptionCase{"text, empty", caption(""), "Амплитуда", 0},
        CaptionCase{"text, dB kept", caption("Level, dB"), "Level, dB", 0},
        // a universal file's ordinate unit
        CaptionCase{"uff, G", unitsFromText(" G "), "Ускорение, g", 9806.65},
        CaptionCase{"uff, other", unitsFromText("V"), "Амплитуда, V", 0},
        // a recording's spectrum: unknown unless stated
        CaptionCase{"wav, peak", with({}, Scaling::Peak), "Амплитуда, пик", 0},
        CaptionCase{"wav, rms", with({}, Scaling::Rms), "Амплитуда, СКЗ", 0},
        CaptionCase{"wav, stated g", stated(Unit::G, Scaling::Peak), "Ускорение, пик, g", 9806.65},
        CaptionCase{"mat, stated m/s2", stated(Unit::MetrePerSecond2, Scaling::Rms),
                    "Ускорение, СКЗ, м/с²", 1000},
        CaptionCase{"wav, stated mm/s", stated(Unit::MillimetrePerSecond, Scaling::Peak),
                    "Скорость, пик, мм/с", 0},
        // a squared envelope divided by 2πf means nothing, whatever the record's unit
        CaptionCase{"envelope", envelope(Unit::G), "Огибающая² 2000–4000 Гц, пик", 0},
        CaptionCase{"velocity", velocityUnits(stated(Unit::G, Scaling::Rms)), "Скорость, СКЗ, мм/с",
                    0}),
    [](const testing::TestParamInfo<CaptionCase>& i) {
        std::string name = i.param.what;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(Units, AFileUnitIsNeverOverriddenByAStatedOne) {
    const Units mm = unitsFromText("mm/s");
    EXPECT_EQ(withStatedUnit(mm, Unit::G), mm);
}

// Every table of words: its keys and labels told apart, each key read back as its value,
// each value at its chooser's index; a key of another table or of nothing is refused.
template <class E, std::size_t N> void expectVocabularyHolds(const Vocabulary<E, N>& words) {
    std::set<std::string_view> keys, labels;
    for (std::size_t i = 0; i < N; ++i) {
        const Term<E>& t = words[i];
        EXPECT_TRUE(keys.insert(t.key).second) << t.key;
        EXPECT_TRUE(labels.insert(t.label).second) << t.label;
        EXPECT_EQ(valueOfKey(words, t.key), t.value) << t.key;
        EXPECT_EQ(&termOf(words, t.value), &t) << t.key;
        EXPECT_EQ(indexOf(words, t.value), static_cast<int>(i));
        EXPECT_EQ(valueAt(words, static_cast<int>(i)), t.value);
        EXPECT_FALSE(t.phrase().empty()) << t.key;
    }
    EXPECT_FALSE(valueOfKey(words, "furlong"));
    EXPECT_FALSE(valueAt(words, static_cast<int>(N)));
    EXPECT_FALSE(valueAt(words, -1));
}

TEST(Vocabulary, EveryTableTellsItsWordsApart) {
    expectVocabularyHolds(kWindowTerms);
    expectVocabularyHolds(kScalingTerms);
    expectVocabularyHolds(kStatedUnitTerms);
    expectVocabularyHolds(kAxisTerms);
    expectVocabularyHolds(kPanelTerms);
    expectVocabularyHolds(kVerdictTerms);
}

TEST(Vocabulary, KeysAreOfferedAndListedWithoutTheChoiceOfNothing) {
    EXPECT_EQ(joinedKeys(kWindowTerms), "hann|flattop|rect");
    EXPECT_EQ(keyList(kStatedUnitTerms), "g, m/s2 or mm/s");
    EXPECT_EQ(keyList(kScalingTerms), "peak or rms");
    EXPECT_EQ(joinWords({"outer"}, ", ", " or "), "outer");
    EXPECT_EQ(joinWords({}), "");
}

TEST(Vocabulary, CaptionsAndTheReportWriteTheChoicesInASentence) {
    Units u = unitsFromText("m/s2");
    u.scaling = Scaling::Peak;
    EXPECT_EQ(amplitudeCaption(u), "Ускорение, пик, м/с²");
    u.scaling = Scaling::Rms;
    u.unit = Unit::G;
    EXPECT_EQ(amplitudeCaption(u), "Ускорение, СКЗ, g");
}

TEST(Units, VelocityDividesBy2PiFInMillimetres) {
    Spectrum g{{0, 100, 200}, {5, 1, 1}, caption("Acceleration, g"), "x", 100};
    const std::optional<Spectrum> v = toVelocity(g);
    ASSERT_TRUE(v);
    EXPECT_EQ(amplitudeCaption(v->units), "Скорость, мм/с");
    EXPECT_EQ(v->amplitude[0], 0);
    EXPECT_NEAR(v->amplitude[1], 9806.65 / (2 * std::numbers::pi * 100), 1e-9); // 15,607 mm/s
    EXPECT_NEAR(v->amplitude[2], v->amplitude[1] / 2, 1e-12);
    // Below the low cut-off nothing: the division there only magnifies a sensor's drift.
    const std::optional<Spectrum> cut = toVelocity(g, 150);
    EXPECT_EQ(cut->amplitude, (std::vector<double>{0, 0, v->amplitude[2]}));
    EXPECT_EQ(presentSpectrum(g, Unit::Unknown, true, 150).amplitude, cut->amplitude);
    // A transformed recording's caption names its scaling, which is no unit.
    Spectrum peak{{1, 2}, {1, 1}, with({}, Scaling::Peak), "x", 1};
    EXPECT_FALSE(toVelocity(peak));
    EXPECT_FALSE(velocityOffered(peak, Unit::Unknown));
    EXPECT_TRUE(velocityOffered(peak, Unit::G));
    EXPECT_EQ(amplitudeCaption(presentSpectrum(peak, Unit::G, true).units), "Скорость, пик, мм/с");
    EXPECT_EQ(amplitudeCaption(presentSpectrum(peak, Unit::MillimetrePerSecond, true).units),
              "Скорость, пик, мм/с");
    EXPECT_EQ(presentSpectrum(peak, Unit::MillimetrePerSecond, true).amplitude, peak.amplitude);
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// The amplitude scales: decibels re 1 of the unit with nothing at the floor; value axes
// that hold the greatest amplitude and at most six decades below it; the caption moves the
// unit into the decibels' reference.
TEST(AmplitudeScales, ValuesAxesAndCaptions) {
    EXPECT_EQ(onScale(0.5, AmplitudeScale::Linear), 0.5);
    EXPECT_EQ(onScale(0.5, AmplitudeScale::Logarithmic), 0.5);
    EXPECT_EQ(onScale(0, AmplitudeScale::Logarithmic), kLogarithmicFloor);
    EXPECT_NEAR(onScale(0.1, AmplitudeScale::Decibel), -20, 1e-12);
    EXPECT_NEAR(onScale(10, AmplitudeScale::Decibel), 20, 1e-12);
    EXPECT_EQ(onScale(0, AmplitudeScale::Decibel), kDecibelFloor);
    EXPECT_EQ(onScale(-1, AmplitudeScale::Decibel), kDecibelFloor);
    const struct {
        double least, greatest;
        AmplitudeScale scale;
        double bottom, top;
    } axes[] = {
        {0.1, 2, AmplitudeScale::Linear, 0, 2.16},
        {-1, 1, AmplitudeScale::Linear, -1, 1.16},
        {0, 0, AmplitudeScale::Decibel, 0, 1.08}, // nothing to show: as linear
        {0.01, 1, AmplitudeScale::Logarithmic, 0.01 / 1.5, 1.5},
        {0, 1, AmplitudeScale::Logarithmic, 1e-6 / 1.5, 1.5},
        {0.01, 1, AmplitudeScale::Decibel, -43, 6},
        {0, 10, AmplitudeScale::Decibel, -103, 26},
    };
    for (const auto& a : axes) {
        const auto [bottom, top] = valueAxisOnScale(a.least, a.greatest, a.scale);
        EXPECT_NEAR(bottom, a.bottom, 1e-9) << a.least << " " << static_cast<int>(a.scale);
        EXPECT_NEAR(top, a.top, 1e-9) << a.greatest << " " << static_cast<int>(a.scale);
    }
    const Units g = unitsFromCaption("Acceleration, g");
    EXPECT_EQ(captionOnScale(g, AmplitudeScale::Linear), amplitudeCaption(g));
    EXPECT_EQ(captionOnScale(g, AmplitudeScale::Decibel), "Acceleration, дБ отн. 1 g");
    EXPECT_EQ(captionOnScale(Units{}, AmplitudeScale::Decibel), "Амплитуда, дБ отн. 1");
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// The read-out beside «Макс. частота»: three significant digits of the spacing, a tenth of
// a hertz of the top; nothing for a spectrum of one line.
TEST(LineSpacing, ReadsTheSpacingAndTheTop) {
    const auto spectrumOf = [](double resolution, double top) {
        Spectrum s;
        s.resolution = resolution;
        s.frequency = {0, resolution, top};
        return s;
    };
    EXPECT_EQ(lineSpacingText(spectrumOf(12000.0 / 9 / 8192, 520.833333)),
              "шаг 0,163 Гц, до 520,8 Гц");
    EXPECT_EQ(lineSpacingText(spectrumOf(12000.0 / 8192, 4687.5)), "шаг 1,46 Гц, до 4687,5 Гц");
    EXPECT_EQ(lineSpacingText(spectrumOf(48000.0 / 1024, 18750)), "шаг 46,9 Гц, до 18750 Гц");
    EXPECT_EQ(lineSpacingText(spectrumOf(0.0012345, 3.9)), "шаг 0,00123 Гц, до 3,9 Гц");
    // A transformed record says how many segments its lines average.
    const std::vector<double> noise(12000 * 10, 0.5);
    EXPECT_EQ(lineSpacingText(amplitudeSpectrum(noise, 12000, {WindowKind::Hann, 3200})),
              "шаг 1,46 Гц, до 4687,5 Гц, усреднений: 28");
    EXPECT_EQ(lineSpacingText(amplitudeSpectrum(noise, 12000, {WindowKind::Rect, 3200})),
              "шаг 1,46 Гц, до 4687,5 Гц, усреднений: 14"); // its segments do not overlap
    Spectrum file; // no resolution stated: the first two lines' distance
    file.frequency = {10, 12.5, 15};
    EXPECT_EQ(lineSpacingText(file), "шаг 2,5 Гц, до 15 Гц");
    file.frequency = {10};
    EXPECT_EQ(lineSpacingText(file), "");
}

} // namespace
} // namespace orbistan
