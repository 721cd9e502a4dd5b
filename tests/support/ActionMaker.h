#pragma once

#include <string>
#include <vector>

#include "model/Records.h"

// Actions and blanks for the tests, each field given or left at the record's default.
namespace velk::test {

KeyAction infraredAction(int32_t channels, int32_t code);
KeyAction ioAction(int32_t channels, int32_t operation);
KeyAction relayAction(int32_t channels, int32_t operation);
// A network action on a list's channel, with its segments and the blanks between them.
KeyAction networkAction(int32_t channel, std::vector<std::string> texts,
                        std::vector<Placeholder> blanks = {});

Placeholder inputBlank(int32_t mode, int32_t count, int32_t overflow, int32_t digits);
Placeholder enumBlank(int32_t index, int32_t group, int32_t loop, int32_t save, int32_t digits,
                      int32_t direction);
Placeholder varBlank(int32_t index, int32_t step, int32_t interval, int32_t direction, int32_t digits);

}  // namespace velk::test
