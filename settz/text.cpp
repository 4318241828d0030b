// The bounded line buffer: appending text and numbers, and the preview's
// format of a zone record.
#include "text.h"

namespace {

void AppendCharacter(TextBuilder& builder, wchar_t c)
{
    if (builder.length + 1 < kTextCapacity) {
        builder.text[builder.length++] = c;
        builder.text[builder.length] = 0;
    }
}

void AppendDate(TextBuilder& builder, const SystemDate& date)
{
    const std::uint16_t members[] = {date.year, date.month,  date.dayOfWeek, date.day,
                                     date.hour, date.minute, date.second,    date.milliseconds};
    for (std::size_t i = 0; i < 8; ++i) {
        if (i > 0) {
            AppendCharacter(builder, L',');
        }
        AppendNumber(builder, members[i]);
    }
}

void AppendField(TextBuilder& builder, const wchar_t* name, const wchar_t* value)
{
    Append(builder, name);
    Append(builder, value);
    Append(builder, L"\r\n");
}

void AppendField(TextBuilder& builder, const wchar_t* name, std::int64_t value)
{
    Append(builder, name);
    AppendNumber(builder, value);
    Append(builder, L"\r\n");
}

}  // namespace

std::size_t TextLength(const wchar_t* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

bool HasControlCharacters(const wchar_t* text)
{
    for (; *text != 0; ++text) {
        if (IsControl(*text)) {
            return true;
        }
    }
    return false;
}

void AppendQuoted(TextBuilder& builder, const wchar_t* text)
{
    AppendCharacter(builder, L'"');
    for (; *text != 0; ++text) {
        AppendCharacter(builder, IsControl(*text) ? L'?' : *text);
    }
    AppendCharacter(builder, L'"');
}

void Append(TextBuilder& builder, const wchar_t* text)
{
    for (; *text != 0; ++text) {
        AppendCharacter(builder, *text);
    }
}

void AppendNumber(TextBuilder& builder, std::int64_t number)
{
    wchar_t digits[24];
    std::size_t count = 0;
    // Built from the negative side so that the most negative value works.
    std::int64_t rest = number < 0 ? number : -number;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (number < 0) {
        AppendCharacter(builder, L'-');
    }
    while (count > 0) {
        AppendCharacter(builder, digits[--count]);
    }
}

void FormatZoneRecord(const ZoneRecord& record, TextBuilder& builder)
{
    AppendField(builder, L"TimeZoneKeyName=", record.timeZoneKeyName);
    AppendField(builder, L"Bias=", record.bias);
    AppendField(builder, L"StandardName=", record.standardName);
    Append(builder, L"StandardDate=");
    AppendDate(builder, record.standardDate);
    Append(builder, L"\r\n");
    AppendField(builder, L"StandardBias=", record.standardBias);
    AppendField(builder, L"DaylightName=", record.daylightName);
    Append(builder, L"DaylightDate=");
    AppendDate(builder, record.daylightDate);
    Append(builder, L"\r\n");
    AppendField(builder, L"DaylightBias=", record.daylightBias);
    AppendField(builder, L"DynamicDaylightTimeDisabled=", record.dynamicDaylightTimeDisabled ? 1 : 0);
}
