// SPDX-License-Identifier: GPL-3.0-or-later

#include "tally/window_texts.h"

#include "tally/item_captions.h"
#include "tally/message_texts.h"

namespace texts {

std::string Decimal(std::int32_t value)
{
    // Through the magnitude as unsigned, so that the lowest value has one too.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : value;
    char digits[12];
    char* start = digits + sizeof digits;
    do {
        *--start = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--start = '-';
    return std::string(start, digits + sizeof digits);
}

namespace {
// The count caption without its closing ": ".
std::string ItemName(TallyLevel level)
{
    const std::string caption = CaptionOf(level).count;
    return caption.substr(0, caption.size() - 2);
}
} // namespace

std::string DesignedCount(TallyLevel level)
{
    return CaptionOf(level).design;
}

std::string Count(TallyLevel level, std::int16_t count)
{
    return CaptionOf(level).count + Decimal(count);
}

std::int16_t ScaleMark(TallyLevel level, int index)
{
    const std::int16_t target = CollectionTally::Target(level);
    return static_cast<std::int16_t>(target * index / 2);
}

std::string BarName(TallyLevel level)
{
    // Named as its count label spells the item after a calculation.
    return ItemName(level) + ", " + Decimal(ScaleMark(level, 0)) + "\u2013"
           + Decimal(ScaleMark(level, 2));
}

std::string ShortfallName(TallyLevel level, std::int16_t shortfall)
{
    return ItemName(level) + ", differenza dal traguardo: " + Decimal(shortfall);
}

std::string Announcement(const CollectionTally& tally)
{
    std::string sentence;
    for (int i = 0; i < kTallyLevels; ++i) {
        const auto level = static_cast<TallyLevel>(i);
        if (i)
            sentence += ", ";
        sentence += Count(level, tally.Count(level));
    }
    return sentence;
}

std::string SummaryLine(TallyLevel level, std::int16_t count)
{
    return CaptionOf(level).summary + Decimal(count);
}

std::string TooManyScalps()
{
    return kTooManyScalpsPrefix + Decimal(CollectionTally::Target(TallyLevel::sca));
}

std::string ErrorTitle(std::int32_t number)
{
    return kErrorTitlePrefix + Decimal(number);
}

std::string AboutTitle(const char* title)
{
    return std::string("Informazioni su ") + title;
}

std::string Version(std::int32_t major, std::int32_t minor, std::int32_t revision)
{
    return "Versione " + Decimal(major) + "." + Decimal(minor) + "." + Decimal(revision);
}

} // namespace texts
