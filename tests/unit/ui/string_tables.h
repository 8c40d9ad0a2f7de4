#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ShippedTable {
    std::string file;           // e.g. "de-DE.rc"
    std::uint16_t expectedLanguage;
    std::uint16_t language;     // as the file declares it
    std::map<unsigned, std::u16string> texts;
};

// Reads all fourteen shipped string tables and registers them with the fake
// platform under the language each file declares.
std::vector<ShippedTable> LoadShippedTables();

// Registers one shipped table only, by file name.
ShippedTable LoadShippedTable(const std::string& file);
