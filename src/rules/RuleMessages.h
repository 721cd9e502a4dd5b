#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/Records.h"

// The texts the dialogs refuse an input with, UTF-8, exactly as the dialogs show them; velkctl
// check prints the same texts.
namespace velk::rules {

extern const char* const kNotAnInteger;  // a number edit that holds no integer
extern const char* const kIrCodeRange;   // infrared id outside 1..64
extern const char* const kDataFormat;    // a Hex segment that is not hex
extern const char* const kDollarEscape;  // an Ascii segment with a "$" not followed by two hex digits

extern const char* const kNoIrChannel;     // an infrared action with no channel ticked
extern const char* const kNoIoChannel;     // the same for IO
extern const char* const kNoRelayChannel;  // the same for a relay
extern const char* const kNoFunction;      // the editor's OK with no function chosen

extern const char* const kSlotFull;            // "添加功能已满！"
extern const char* const kKeyNotAdded;         // the editor never offers the key function
extern const char* const kUnknownFunction;     // a function code no action has
extern const char* const kHoldEventTakesData;  // infrared, IO or relay on a hold event
// The event already holds an action of this kind (serial and network count as one).
std::string kindAlreadyHeld(FunctionCode function);

std::string enumValueEmpty(int row);    // "数据%d不能为空"
std::string enumValueNotHex(int row);   // "数据%d错误，hex格式的数据只能为数字和字母A到F"
std::string segmentEmpty(int segment);  // "文本%d  不能为空"
// A segment longer than the composer's edits take, naming the segment and its length.
std::string segmentTooLong(int segment, size_t characters);

// Texts whose command would be longer than the panel takes in one transmission (limit bytes).
std::string enumCommandTooLong(const std::string& name, size_t length, size_t limit);  // names "E3"
std::string dataCommandTooLong(size_t length, size_t limit);
std::string appendCommandTooLong(size_t length, size_t limit);

// A typed text holding a character GBK cannot represent, naming the field ("数据2", "追加指令").
std::string gbkRefused(std::string_view field);
std::string enumValueNotGbk(int row);  // names the row, "数据%d"
std::string appendCommandNotGbk();     // names "追加指令"
// The composer's refusal, naming the segment and the first character GBK cannot hold.
std::string segmentNotGbk(int segment, std::string_view character);

}  // namespace velk::rules
