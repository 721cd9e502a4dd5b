#pragma once

#include <string>

#include "model/Records.h"

// Every SQL text of the project file. Each builder returns one complete statement; texts placed in
// single-quoted literals have their quotes doubled, so no text can end a literal early.
namespace velk::sql {

std::string quoted(const std::string& text);

// "key_table%d"
std::string keyTableName(int slot);

extern const char* const kCreateVariable;
extern const char* const kCreateNetTable;
extern const char* const kCreateEnumTable;
extern const char* const kCreateKeyOherData;
extern const char* const kKeyTableColumns;
std::string createKeyTable(int slot);

std::string selectAll(const std::string& table);

extern const char* const kBeginTransaction;
extern const char* const kCommitTransaction;
extern const char* const kDeleteEnumTable;
extern const char* const kDeleteNetTable;
extern const char* const kDeleteVariable;
std::string deleteKeyTable(int slot);

std::string insertEnum(const EnumVariable& variable);
std::string updateEnum(const EnumVariable& variable);
std::string insertVariable(const Variable& variable);
std::string updateVariable(const Variable& variable);
std::string insertNetTarget(const NetTarget& target);
std::string updateNetTarget(const NetTarget& target);
std::string insertEventSettings(int slot, const EventSettings& settings);
std::string updateEventSettings(int slot, const EventSettings& settings);

// Key-table statements; an action whose function is not 0..5 has none (empty text).
std::string insertAction(int slot, const KeyAction& action);
std::string updateAction(int slot, const KeyAction& action);
std::string deleteAction(int slot, int id);

// Columns 1..10 of the table hold values; a record with more writes the first ten.
constexpr int kEnumValueColumns = 10;
// Placeholder column groups of a key table.
constexpr int kPlaceholderGroups = 10;

}  // namespace velk::sql
