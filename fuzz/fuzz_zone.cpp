// Zone texts from the environment, configuration files and lock files: the zone
// notation, UTC offsets, the three forms of a zone given as text and the full UTC
// date text. Nothing may crash or overflow, and the written forms read back.
#include "fuzz/FuzzCheck.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/ZoneInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using Velmar::fuzz::check;

const int32_t kProbeTimes[] = {-2147483647 - 1, -1, 0, 1751371200, 1767225600, 2147483647};

void exerciseZone(const Velmar::ZoneInfo& zone) {
    for (int32_t t : kProbeTimes) {
        (void)zone.offsetAt(t);
        Velmar::DateTime time(t);
        time.setZone(zone);
        (void)time.localText(true);
        (void)time.fullText(true);
        time.floor(Velmar::TimeSpan(1, 0, 0, 0), zone);
        time.floor(Velmar::TimeSpan(7, 0, 0, 0), zone);
        time.floor(Velmar::TimeSpan(0, 1, 0, 0), zone);
    }
    (void)zone.dstStartIn(2038);
    (void)zone.dstEndIn(1970);
    Velmar::DateTime made(2038, 1, 19, 3, 14, 7, zone, true);
    (void)made.getSeconds();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const Velmar::ZoneInfo zone = Velmar::ZoneInfo::parse(text);
    exerciseZone(zone);
    // The written notation reads back as the same zone while the offsets fit its
    // two-digit hours.
    const int32_t kTwoDigitHours = 100 * 3600;
    check(!(zone.offset > -kTwoDigitHours && zone.offset < kTwoDigitHours &&
            zone.dstDelta > -kTwoDigitHours && zone.dstDelta < kTwoDigitHours) ||
              Velmar::ZoneInfo::parse(zone.toText()) == zone,
          "a written zone reads back the same");

    const int32_t offset = Velmar::ZoneInfo::parseOffset(text);
    check(offset == 0 || offset % 60 != 0 || offset >= kTwoDigitHours ||
              offset <= -kTwoDigitHours ||
              Velmar::ZoneInfo::parseOffset(Velmar::ZoneInfo::formatOffset(offset)) == offset,
          "a written offset reads back the same");
    (void)Velmar::ZoneInfo::formatOffset(offset, false);

    for (int32_t t : kProbeTimes) {
        const Velmar::ZoneInfo given = Velmar::ZoneInfo::fromText(
            text, t, Velmar::ZoneInfo::parse("+01:00 (+01:00 3M5W6D2H-10M5W6D3H)"));
        exerciseZone(given);
    }
    (void)Velmar::ZoneInfo::fromText(text, 0, zone);

    Velmar::DateTime time(12345);
    if (time.fromText(text)) {
        check(time.toText() == text, "a date text that reads is written the same");
    } else {
        check(time.getSeconds() == 12345, "a date text that does not read changes nothing");
    }
    // Every representable instant round-trips through the full UTC text.
    if (size >= 4) {
        int32_t seconds = 0;
        std::memcpy(&seconds, data, sizeof seconds);
        Velmar::DateTime any(seconds);
        Velmar::DateTime back(0);
        check(back.fromText(any.toText()) && back.getSeconds() == seconds,
              "every instant reads back from its full UTC text");
    }
    return 0;
}
