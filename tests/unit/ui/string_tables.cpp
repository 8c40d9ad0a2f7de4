#include "unit/ui/string_tables.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <utility>

#include "common/text.h"
#include "doubles/fake_platform.h"

namespace {

const std::array<std::pair<const char*, std::uint16_t>, 14> kShippedFiles = {{
    {"zh-TW.rc", 1028}, {"cs-CZ.rc", 1029}, {"de-DE.rc", 1031}, {"en-US.rc", 1033},
    {"es-ES.rc", 1034}, {"fr-FR.rc", 1036}, {"hu-HU.rc", 1038}, {"it-IT.rc", 1040},
    {"ja-JP.rc", 1041}, {"ko-KR.rc", 1042}, {"pl-PL.rc", 1045}, {"pt-BR.rc", 1046},
    {"ru-RU.rc", 1049}, {"zh-CN.rc", 2052},
}};

// Parses one of the project's string-table .rc files into id -> text.
std::map<unsigned, std::u16string> ReadStringTableFile(const std::string& path,
                                                       std::uint16_t& language)
{
    std::ifstream in(path);
    std::map<unsigned, std::u16string> texts;
    std::string line;
    language = 0;
    while (std::getline(in, line)) {
        unsigned primary = 0;
        unsigned sub = 0;
        if (std::sscanf(line.c_str(), " LANGUAGE %x , %x", &primary, &sub) == 2) {
            language = static_cast<std::uint16_t>((sub << 10) | primary);
            continue;
        }
        const auto quote = line.find('"');
        unsigned id = 0;
        if (quote == std::string::npos || std::sscanf(line.c_str(), " %u", &id) != 1) {
            continue;
        }
        std::string raw = line.substr(quote + 1, line.rfind('"') - quote - 1);
        std::string text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
                text += '\n';
                ++i;
            } else if (raw[i] == '"' && i + 1 < raw.size() && raw[i + 1] == '"') {
                text += '"';
                ++i;
            } else {
                text += raw[i];
            }
        }
        texts[id] = FromUtf8(text);
    }
    return texts;
}

}  // namespace

ShippedTable LoadShippedTable(const std::string& file)
{
    ShippedTable table{file, 0, 0, {}};
    for (const auto& [name, language] : kShippedFiles) {
        if (file == name) {
            table.expectedLanguage = language;
        }
    }
    table.texts = ReadStringTableFile(
        std::string(SERVICEPACK_SOURCE_DIR) + "/src/resources/strings/" + file, table.language);
    fake::AddStringTable(table.language, table.texts);
    return table;
}

std::vector<ShippedTable> LoadShippedTables()
{
    std::vector<ShippedTable> tables;
    for (const auto& entry : kShippedFiles) {
        tables.push_back(LoadShippedTable(entry.first));
    }
    return tables;
}
