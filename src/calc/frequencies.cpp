#include "calc/frequencies.h"

#include "calc/numbers.h"

#include <cmath>

namespace orbistan {

namespace {

using X = long double;
constexpr X kPi = 3.141592653589793238462643383279502884L;

constexpr std::string_view kNames[ResultCount] = {
    "Fo",         "Fi",         "Fw",    "Fq",    "Fo*",   "Fi*",   "Fw*",
    "Fo+Fq",      "Fo-Fq",      "Fr+Fq", "Fw+Fr", "Fw-Fr", "Fi+Fr", "Fi-Fr",
    "Fi+(Fr-Fq)", "Fi-(Fr-Fq)", "Fw+Fq", "Fw-Fq", "Fo+Fr", "Fo-Fr", "Fr-Fq"};

} // namespace

std::string_view resultName(int index) {
    return kNames[index];
}

std::optional<Results> computeFrequencies(const BearingInputs& in) {
    Results r{};
    const X Z = in.Z, Fr = in.Fr, dw = in.dw, Dm = in.Dm;
    const X cs = std::cos(kPi * in.a / 180);
    const X rho = dw / Dm;
    const X halfZFr = (Z * Fr) / 2;

    r[Fo] = static_cast<double>((1 - cs * rho) * halfZFr);
    r[Fi] = static_cast<double>((cs * rho + 1) * halfZFr);
    r[Fw] = static_cast<double>((1 - cs * cs * (rho * rho)) * ((Dm * Fr) / (dw * 2)));
    r[Fq] = static_cast<double>((1 - cs * rho) * (Fr / 2));
    r[FoStar] = static_cast<double>(halfZFr * ((Dm - dw) / Dm));
    r[FiStar] = static_cast<double>(halfZFr * ((Dm + dw) / Dm));
    r[FwStar] = static_cast<double>(((2 * Fr) * ((Dm + dw) / Dm)) * ((Dm - dw) / Dm));

    // Sidebands use the stored, still unrounded frequencies.
    const X fo = r[Fo], fi = r[Fi], fw = r[Fw], fq = r[Fq];
    const auto k = [&](int row, int which) -> X {
        return in.multipliers[firstMultiplierOf(row) + which];
    };
    const auto set = [&](int row, X value) { r[row] = static_cast<double>(value); };
    set(FoPlusFq, k(FoPlusFq, 0) * fo + k(FoPlusFq, 1) * fq);
    set(FoMinusFq, k(FoMinusFq, 0) * fo - k(FoMinusFq, 1) * fq);
    set(FrPlusFq, k(FrPlusFq, 0) * Fr + k(FrPlusFq, 1) * fq);
    set(FrMinusFq, k(FrMinusFq, 0) * Fr - k(FrMinusFq, 1) * fq);
    set(FwPlusFr, k(FwPlusFr, 0) * fw + k(FwPlusFr, 1) * Fr);
    set(FwMinusFr, k(FwMinusFr, 0) * fw - k(FwMinusFr, 1) * Fr);
    set(FiPlusFr, k(FiPlusFr, 0) * fi + k(FiPlusFr, 1) * Fr);
    set(FiMinusFr, k(FiMinusFr, 0) * fi - k(FiMinusFr, 1) * Fr);
    set(FiPlusFrMinusFq, k(FiPlusFrMinusFq, 0) * fi + (Fr - fq) * k(FiPlusFrMinusFq, 1));
    set(FiMinusFrMinusFq, k(FiMinusFrMinusFq, 0) * fi - (Fr - fq) * k(FiMinusFrMinusFq, 1));
    set(FwPlusFq, k(FwPlusFq, 0) * fw + k(FwPlusFq, 1) * fq);
    set(FwMinusFq, k(FwMinusFq, 0) * fw - k(FwMinusFq, 1) * fq);
    set(FoPlusFr, k(FoPlusFr, 0) * fo + k(FoPlusFr, 1) * Fr);
    set(FoMinusFr, k(FoMinusFr, 0) * fo - k(FoMinusFr, 1) * Fr);

    for (double v : r) {
        if (!std::isfinite(v)) {
            return std::nullopt;
        }
    }
    return r;
}

Results roundResults(const Results& values, int precision) {
    Results r = values;
    for (double& v : r) {
        v = roundToPrecision(v, precision);
    }
    return r;
}

} // namespace orbistan
