#include "unit/ui/string_tables.h"

#include <array>
#include <utility>

#include "doubles/fake_platform.h"

namespace {

const std::array<std::pair<const char*, std::uint16_t>, 14> kShippedFiles = {{
    {"zh-TW.rc", 1028}, {"cs-CZ.rc", 1029}, {"de-DE.rc", 1031}, {"en-US.rc", 1033},
    {"es-ES.rc", 1034}, {"fr-FR.rc", 1036}, {"hu-HU.rc", 1038}, {"it-IT.rc", 1040},
    {"ja-JP.rc", 1041}, {"ko-KR.rc", 1042}, {"pl-PL.rc", 1045}, {"pt-BR.rc", 1046},
    {"ru-RU.rc", 1049}, {"zh-CN.rc", 2052},
}};

}  // namespace

ShippedTable LoadShippedTable(const std::string& file)
{
    ShippedTable table{file, 0, 0, {}};
    for (const auto& [name, language] : kShippedFiles) {
        if (file == name) {
            table.expectedLanguage = language;
        }
    }
    table.texts = fake::ReadStringTableFile(
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
