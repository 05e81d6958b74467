#include "spectrum/signal/spectrum.h"

#include "calc/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace orbistan {

void requireMemory(double bytes) {
    double allowed = 0.5 * static_cast<double>(sysconf(_SC_PHYS_PAGES)) *
                     static_cast<double>(sysconf(_SC_PAGE_SIZE));
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        allowed = std::min(allowed, 0.5 * static_cast<double>(limit.rlim_cur));
    }
    if (allowed > 0 && bytes > allowed) {
        throw SpectrumFileError(
            {ProblemKind::TooLarge, "", "",
             "для этого нужно около " + std::to_string(std::lround(bytes / (1 << 20))) +
                 " МБ памяти, а взять можно " + std::to_string(std::lround(allowed / (1 << 20))) +
                 " МБ: возьмите меньше линий"});
    }
}

std::string rateText(double rate) {
    std::ostringstream out;
    out.precision(12);
    out << rate;
    std::string text = out.str();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string exactText(double value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, ec == std::errc{} ? end : buf);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

void requireSampleRate(double rate, const std::string& fileName) {
    if (!(std::isfinite(rate) && rate >= kMinSampleRate && rate <= kMaxSampleRate)) {
        throw SpectrumFileError(
            {ProblemKind::OutOfRange, fileName, "",
             "частота дискретизации " + exactText(rate) + " Гц вне 1 Гц … 10 МГц"});
    }
}

int frequencyDecimals(double resolution) {
    if (!(resolution > 0)) {
        return 2;
    }
    return std::clamp(static_cast<int>(std::ceil(-std::log10(resolution / 100))), 0, 6);
}

std::string lineSpacingText(const Spectrum& s) {
    if (s.frequency.size() < 2) {
        return {};
    }
    const double spacing = s.resolution > 0 ? s.resolution : s.frequency[1] - s.frequency[0];
    const double unit = std::pow(10.0, std::floor(std::log10(spacing)) - 2);
    return "шаг " + formatGeneral(std::round(spacing / unit) * unit) + " Гц, до " +
           formatGeneral(std::round(s.frequency.back() * 10) / 10) + " Гц" +
           (s.segments > 0 ? (s.peakHold ? ", пиковое удержание: " : ", усреднений: ") +
                                 std::to_string(s.segments)
                           : "");
}

} // namespace orbistan
