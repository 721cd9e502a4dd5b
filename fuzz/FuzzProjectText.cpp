// Any bytes as a project text: the reader reports or accepts them, never crashes, and a text it
// accepts exports to a text that reads back as the same project, byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "textform/TextReader.h"
#include "textform/TextWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    velk::text::TextRead read = velk::text::readText(document);
    if (read.hasErrors()) {
        return 0;
    }
    const std::string text = velk::text::exportText(read.model);
    velk::text::TextRead again = velk::text::readText(text);
    if (again.hasErrors() || velk::text::exportText(again.model) != text)
        __builtin_trap();
    return 0;
}
