#include "site/SiteFile.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "model/StrPrintf.h"
#include "site/Csv.h"

namespace velk {
namespace {

enum Column { kName, kPanel, kProject, kMask, kGateway, kMac, kColumnCount };
constexpr size_t kRequiredColumns = 3;  // name, panel, project; the panel's settings may follow
constexpr std::array<const char*, kColumnCount> kColumnNames = {"name", "panel",   "project",
                                                                "mask", "gateway", "mac"};
constexpr size_t kAbsent = static_cast<size_t>(-1);

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool isUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t codePoint = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            codePoint = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            codePoint = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            codePoint = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string quotedText(std::string_view text) {
    std::string quoted = "'";
    quoted.append(text);
    return quoted + "'";
}

std::string where(const CsvField& field, Column column) {
    return strprintf("line %d, column %d (%s)", field.line, field.column, kColumnNames[column]);
}

// The position of each column in a row (kAbsent for an optional one left out); a message when the
// header does not name name, panel and project, or names a column twice or one not known.
std::variant<std::array<size_t, kColumnCount>, std::string> readHeader(const CsvRecord& header) {
    std::array<size_t, kColumnCount> position{};
    position.fill(kAbsent);
    const std::string expected = strprintf("the first row must name the columns %s,%s,%s", kColumnNames[0],
                                           kColumnNames[1], kColumnNames[2]);
    if (header.fields.size() < kRequiredColumns || header.fields.size() > kColumnCount) {
        return strprintf("line %d: %s; it has %zu fields", header.line, expected.c_str(),
                         header.fields.size());
    }
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const CsvField& field = header.fields[i];
        const std::string name = lowerAscii(field.text);
        size_t column = 0;
        while (column < kColumnCount && name != kColumnNames[column]) {
            ++column;
        }
        if (column == kColumnCount) {
            return strprintf("line %d, column %d: %s (and may add mask, gateway, mac), not %s", field.line,
                             field.column, expected.c_str(), quotedText(field.text).c_str());
        }
        if (position[column] != kAbsent) {
            return strprintf("line %d, column %d: the column %s is named twice", field.line, field.column,
                             kColumnNames[column]);
        }
        position[column] = i;
    }
    for (size_t column = 0; column < kRequiredColumns; ++column) {
        if (position[column] == kAbsent) {
            return strprintf("line %d: %s; %s is missing", header.line, expected.c_str(),
                             kColumnNames[column]);
        }
    }
    return position;
}

// A MAC cell: six bytes of one or two hex digits each.
std::optional<std::array<uint8_t, 6>> macOfCell(std::string_view text) {
    std::optional<std::array<std::string, 6>> parts = splitMacText(text);
    if (!parts) {
        return std::nullopt;
    }
    std::array<uint8_t, 6> mac{};
    for (size_t i = 0; i < parts->size(); ++i) {
        const std::string& part = (*parts)[i];
        if (part.empty() || part.size() > 2 ||
            part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(std::stoi(part, nullptr, 16));
    }
    return mac;
}

// The panel's own settings a row may give (mask, gateway, mac); an empty cell leaves it as it is.
std::optional<std::string> readSettings(const CsvRecord& record,
                                        const std::array<size_t, kColumnCount>& position, SitePanel& panel) {
    for (Column column : {kMask, kGateway}) {
        if (position[column] == kAbsent || record.fields[position[column]].text.empty()) {
            continue;
        }
        const CsvField& cell = record.fields[position[column]];
        uint32_t address = 0;
        if (!parseDottedAddress(cell.text, address)) {
            return strprintf("%s: wants A.B.C.D, not %s", where(cell, column).c_str(),
                             quotedText(cell.text).c_str());
        }
        (column == kMask ? panel.mask : panel.gateway) = address;
    }
    if (position[kMac] != kAbsent && !record.fields[position[kMac]].text.empty()) {
        const CsvField& cell = record.fields[position[kMac]];
        panel.mac = macOfCell(cell.text);
        if (!panel.mac) {
            return strprintf("%s: wants six hex bytes XX.XX.XX.XX.XX.XX, not %s", where(cell, kMac).c_str(),
                             quotedText(cell.text).c_str());
        }
    }
    return std::nullopt;
}

std::string readError(const std::string& path, const std::string& message) {
    return path + ": " + message;
}

}  // namespace

std::optional<std::string> panelNameProblem(std::string_view name) {
    if (name.empty()) {
        return std::string("the name is empty");
    }
    if (name.size() > kMaxPanelNameBytes) {
        return strprintf("the name is longer than %zu bytes", kMaxPanelNameBytes);
    }
    if (!isUtf8(name)) {
        return std::string("the name is not UTF-8 text");
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::string("the name holds a control character");
        }
        // What one of the common file systems (a USB stick, a Windows share) cannot hold.
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
            return strprintf("the name holds '%c', which a file name cannot", c);
        }
    }
    if (name.front() == '.' || name.front() == ' ') {
        return strprintf("the name begins with '%c'", name.front());
    }
    if (name.back() == '.' || name.back() == ' ') {
        return strprintf("the name ends with '%c'", name.back());
    }
    return std::nullopt;
}

std::variant<std::vector<SitePanel>, std::string> parseSite(std::string_view text,
                                                            const std::string& siteFolder,
                                                            const std::string& defaultProject) {
    std::variant<std::vector<CsvRecord>, CsvError> read = readCsv(text);
    if (const auto* error = std::get_if<CsvError>(&read)) {
        return strprintf("line %d, column %d: %s", error->line, error->column, error->what.c_str());
    }
    const std::vector<CsvRecord>& records = std::get<std::vector<CsvRecord>>(read);
    if (records.empty()) {
        return std::string("no header row: the first row must name the columns name,panel,project");
    }
    std::variant<std::array<size_t, kColumnCount>, std::string> header = readHeader(records.front());
    if (const auto* message = std::get_if<std::string>(&header)) {
        return *message;
    }
    const std::array<size_t, kColumnCount>& position = std::get<std::array<size_t, kColumnCount>>(header);

    std::vector<SitePanel> panels;
    std::map<std::string, int> lineOfName;  // names folded to lower case: NAME.db on any file system
    std::map<std::pair<uint32_t, uint16_t>, int> lineOfPanel;
    std::map<std::array<uint8_t, 6>, int> lineOfMac;
    const size_t columns = records.front().fields.size();
    std::string columnList;
    for (const CsvField& field : records.front().fields) {
        if (!columnList.empty()) {
            columnList += ',';
        }
        columnList += lowerAscii(field.text);
    }
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.fields.size() != columns) {
            return strprintf("line %d: %zu fields; every row has %zu (%s)", record.line, record.fields.size(),
                             columns, columnList.c_str());
        }
        const CsvField& name = record.fields[position[kName]];
        const CsvField& address = record.fields[position[kPanel]];
        const CsvField& project = record.fields[position[kProject]];
        SitePanel panel;
        panel.line = record.line;
        if (std::optional<std::string> problem = panelNameProblem(name.text)) {
            return where(name, kName) + ": " + *problem;
        }
        panel.name = name.text;
        if (auto [it, added] = lineOfName.emplace(lowerAscii(name.text), record.line); !added) {
            return strprintf("%s: the name %s is already used on line %d", where(name, kName).c_str(),
                             quotedText(name.text).c_str(), it->second);
        }
        std::optional<PanelAddress> parsed = parsePanelAddress(address.text);
        if (!parsed) {
            return strprintf("%s: wants IP[:PORT], not %s", where(address, kPanel).c_str(),
                             quotedText(address.text).c_str());
        }
        panel.panel = *parsed;
        if (auto [it, added] = lineOfPanel.emplace(std::make_pair(parsed->ip, parsed->port), record.line);
            !added) {
            return strprintf("%s: the panel %s is already listed on line %d", where(address, kPanel).c_str(),
                             panelAddressText(*parsed).c_str(), it->second);
        }
        if (std::optional<std::string> problem = readSettings(record, position, panel)) {
            return *problem;
        }
        if (panel.mac) {
            if (auto [it, added] = lineOfMac.emplace(*panel.mac, record.line); !added) {
                const CsvField& cell = record.fields[position[kMac]];
                return strprintf("%s: the MAC %s is already given on line %d", where(cell, kMac).c_str(),
                                 macText(*panel.mac).c_str(), it->second);
            }
        }
        if (project.text.empty()) {
            if (defaultProject.empty()) {
                return strprintf("%s: no project: the cell is empty and none was given on the command line",
                                 where(project, kProject).c_str());
            }
            panel.project = defaultProject;
        } else {
            panel.project = (std::filesystem::path(siteFolder) / project.text).lexically_normal().string();
        }
        panels.push_back(std::move(panel));
    }
    if (panels.empty()) {
        return std::string("the file lists no panel");
    }
    return panels;
}

std::variant<std::vector<SitePanel>, std::string> loadSiteFile(const std::string& path,
                                                               const std::string& defaultProject) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return readError(path, "no such site file");
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        return readError(path, "cannot be read");
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    std::variant<std::vector<SitePanel>, std::string> site = parseSite(text.str(), folder, defaultProject);
    if (auto* message = std::get_if<std::string>(&site)) {
        return readError(path, *message);
    }
    return site;
}

std::variant<std::vector<SitePanel>, std::string> panelsOfAddresses(
    const std::vector<PanelAddress>& addresses, const std::string& project) {
    std::vector<SitePanel> panels;
    for (const PanelAddress& address : addresses) {
        for (const SitePanel& earlier : panels) {
            if (earlier.panel == address) {
                return strprintf("the panel %s is given twice", panelAddressText(address).c_str());
            }
        }
        SitePanel panel;
        panel.name = panelAddressText(address);
        panel.panel = address;
        panel.project = project;
        panels.push_back(std::move(panel));
    }
    return panels;
}

}  // namespace velk
