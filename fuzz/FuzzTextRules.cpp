// Texts typed by users or read from old project files go through the text rules and the data
// command builder.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "action/TextRules.h"
#include "device/Commands.h"

namespace {

velk::Placeholder fuzzedBlank(FuzzedDataProvider& input) {
    velk::Placeholder blank;
    blank.kind = input.ConsumeIntegralInRange<int32_t>(-1, 3);
    blank.modeIndex = input.ConsumeIntegral<int32_t>();
    blank.countIndex = input.ConsumeIntegral<int32_t>();
    blank.overflowIndex = input.ConsumeIntegral<int32_t>();
    blank.enumIndex = input.ConsumeIntegral<int32_t>();
    blank.groupIndex = input.ConsumeIntegral<int32_t>();
    blank.loopIndex = input.ConsumeIntegral<int32_t>();
    blank.enumDirection = input.ConsumeIntegral<int32_t>();
    blank.saveIndex = input.ConsumeIntegral<int32_t>();
    blank.varIndex = input.ConsumeIntegral<int32_t>();
    blank.step = input.ConsumeIntegral<int32_t>();
    blank.interval = input.ConsumeIntegral<int32_t>();
    blank.varDirection = input.ConsumeIntegral<int32_t>();
    // Old files may hold any width, but expanding tens of thousands of marks three times an input
    // leaves no time for the rules; widths up to a column's 1024 characters cover every branch, and
    // the unit tests take the full range.
    blank.digits = input.ConsumeIntegralInRange<int32_t>(-5, 1100);
    return blank;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);

    std::string text = input.ConsumeRandomLengthString(4096);
    auto bytes = velk::ParseHexText(text);
    if (bytes) {
        auto normal = velk::hexNormalForm(*bytes);
        auto again = velk::ParseHexText(normal);
        // The normal form reads back as the same bytes.
        if (!again || *again != *bytes)
            __builtin_trap();
    }
    (void)velk::normalizeHexText(text);
    if (velk::CheckDollarEscapes(text))
        (void)velk::DecodeDollarEscapes(text);

    velk::SendData sendData;
    sendData.type = input.ConsumeIntegralInRange<int32_t>(-1, 2);
    sendData.varNum = input.ConsumeIntegralInRange<int32_t>(-1, 8);
    sendData.channel = input.ConsumeIntegral<int32_t>();
    sendData.port = input.ConsumeIntegral<int32_t>();
    sendData.ip = input.ConsumeIntegral<uint32_t>();
    int blanks = input.ConsumeIntegralInRange<int>(0, 7);
    for (int i = 0; i < blanks; ++i)
        sendData.placeholders.push_back(fuzzedBlank(input));
    int segments = input.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < segments; ++i)
        sendData.texts.push_back(input.ConsumeRandomLengthString(512));

    // An overlong command is legal here: the write plan leaves it out rather than cut it.
    (void)velk::MakeSetCode(sendData);
    (void)velk::FormatDataText(sendData);
    for (const auto& blank : sendData.placeholders)
        (void)velk::placeholderText(blank);
    return 0;
}
