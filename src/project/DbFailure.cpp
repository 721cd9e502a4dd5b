#include "project/DbFailure.h"

#include <sqlite3.h>

namespace velk {

std::string failureWords(int extendedCode, const std::string& sqliteText) {
    if (extendedCode == SQLITE_READONLY_DBMOVED) {
        return kFileMovedOrDeleted;
    }
    switch (extendedCode & 0xff) {
        case SQLITE_FULL:
            return kDiskFull;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return kFileReadOnly;
        case SQLITE_IOERR:
            return "读写文件时出错（" + sqliteText + "）";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "文件正被其他程序使用";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "文件已损坏";
        case SQLITE_CANTOPEN:
            return "无法打开文件";
        default:
            return sqliteText;
    }
}

}  // namespace velk
