#pragma once

#include <string>
#include <string_view>

// The texts the dialogs refuse an input with, UTF-8, exactly as the dialogs show them; velkctl
// check prints the same texts.
namespace velk::rules {

extern const char* const kNotAnInteger;  // a number edit that holds no integer
extern const char* const kIrCodeRange;   // infrared id outside 1..64
extern const char* const kDataFormat;    // a Hex segment that is not hex
extern const char* const kDollarEscape;  // an Ascii segment with a "$" not followed by two hex digits

std::string enumValueEmpty(int row);    // "数据%d不能为空"
std::string enumValueNotHex(int row);   // "数据%d错误，hex格式的数据只能为数字和字母A到F"
std::string segmentEmpty(int segment);  // "文本%d  不能为空"

// A typed text holding a character GBK cannot represent, naming the field ("数据2", "追加指令").
std::string gbkRefused(std::string_view field);
std::string enumValueNotGbk(int row);  // names the row, "数据%d"
std::string appendCommandNotGbk();     // names "追加指令"
// The composer's refusal, naming the segment and the first character GBK cannot hold.
std::string segmentNotGbk(int segment, std::string_view character);

}  // namespace velk::rules
