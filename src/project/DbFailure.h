#pragma once

#include <string>

namespace velk {

// Why a statement did not reach the project file, in the words the user reads ("磁盘已满"); a
// cause without words of its own keeps SQLite's text.
std::string failureWords(int extendedCode, const std::string& sqliteText);

// The causes the file check and the lock name.
inline constexpr const char* kFileReplaced = "文件已被其他程序替换";
inline constexpr const char* kFileMovedOrDeleted = "文件已被移动或删除";
inline constexpr const char* kFileChangedElsewhere = "文件已被其他程序修改";
inline constexpr const char* kFileReadOnly = "文件为只读";
inline constexpr const char* kDiskFull = "磁盘已满";
inline constexpr const char* kHeldElsewhere = "项目已在另一个窗口中打开";

}  // namespace velk
