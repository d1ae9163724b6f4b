#include "Formatters.h"

#include "language/Language.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "util/Random.h"

#include <cmath>
#include <cstdlib>

// Negative values carry one leading sign; the digits are those of the
// magnitude, widened so that the lowest int has one too.

UString Formatters::formatPercent(float fraction) {
    float percent = fraction * 100.0f;
    return formatString("%.1lf%%", double(percent));
}

UString Formatters::formatTenthsPercent(int tenths) {
    int64_t magnitude = std::llabs(int64_t(tenths));
    return formatString("%s%lld.%lld%%", tenths < 0 ? "-" : "", (long long)(magnitude / 10),
                        (long long)(magnitude % 10));
}

UString Formatters::formatTime(double seconds) {
    // Beyond this (or NaN) the whole seconds would not fit the conversion.
    const double limit = 1e15;
    int64_t t = std::isnan(seconds) ? 0 : int64_t(std::fmax(-limit, std::fmin(seconds, limit)));
    int64_t magnitude = t < 0 ? -t : t;
    return formatString("%s%02lld:%02lld", t < 0 ? "-" : "", (long long)(magnitude / 60),
                        (long long)(magnitude % 60));
}

UString Formatters::formatGroupedInteger(int value) {
    UString digits = formatString("%lld", std::llabs(int64_t(value)));
    UString text = value < 0 ? UString("-") : UString();
    if (digits.length() <= 3) return text + digits;

    const char* separator = PLIM->language->getText(Language::STR_THOUSANDSEPARATOR);
    size_t head = digits.length() % 3;
    if (head == 0) head = 3;
    text += digits.substr(0, head);
    for (size_t at = head; at < digits.length(); at += 3) {
        text += separator;
        text += digits.substr(at, 3);
    }
    return text;
}

uint32_t Formatters::randomColour() {
    int bright = Random::next() % 6 + 1;
    uint32_t channels[3];
    for (int channel = 0; channel < 3; ++channel)
        channels[channel] = (bright & (1 << channel)) ? 255u : uint32_t(Random::next() % 5) * 32u;
    return channels[0] | channels[1] << 8 | channels[2] << 16 | 0xffu << 24;
}
