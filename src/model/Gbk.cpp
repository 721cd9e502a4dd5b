#include "model/Gbk.h"

#include <iconv.h>

#include <cerrno>

namespace velk {
namespace {

// One conversion through iconv; stops at the first byte it cannot convert and reports where.
struct IconvResult {
    std::string output;
    size_t consumed = 0;
    bool complete = false;
};

IconvResult convert(const char* to, const char* from, std::string_view input) {
    IconvResult result;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return result;
    }
    std::string out(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (rc != static_cast<size_t>(-1) && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != 0) {
        rc = static_cast<size_t>(-1);
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    result.output = std::move(out);
    result.consumed = input.size() - inLeft;
    // glibc's iconv counts irreversible conversions in rc; exact conversions report 0.
    result.complete = rc == 0 && inLeft == 0;
    return result;
}

}  // namespace

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    IconvResult r = convert("GBK", "UTF-8", utf8);
    if (!r.complete) {
        return std::nullopt;
    }
    return std::move(r.output);
}

std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    IconvResult r = convert("UTF-8", "GBK", gbk);
    if (!r.complete) {
        return std::nullopt;
    }
    return std::move(r.output);
}

std::string gbkToUtf8Lossy(std::string_view gbk) {
    std::string out;
    while (!gbk.empty()) {
        IconvResult r = convert("UTF-8", "GBK", gbk);
        out += r.output;
        if (r.complete) {
            break;
        }
        size_t skip = r.consumed + 1;
        if (skip > gbk.size()) {
            skip = gbk.size();
        }
        out += "\xEF\xBF\xBD";
        gbk.remove_prefix(skip);
    }
    return out;
}

}  // namespace velk
