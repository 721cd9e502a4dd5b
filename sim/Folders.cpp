#include "sim/Folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "model/StrPrintf.h"

namespace velk::sim {

bool makeFolder(const std::string& path, const char* what, std::string& error) {
    if (::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) {
        return true;
    }
    error = strprintf("cannot make the %s folder %s: %s", what, path.c_str(), std::strerror(errno));
    return false;
}

}  // namespace velk::sim
