#pragma once

#include <string>

#include "platform/files.h"

// The path a held file is handed on by to a service that opens it by name.

// The file's final path in a form that names it alone: the installer reads a
// text with ";" as a list of files (quoted or not), so a folder name with one
// could add a file of anyone's choosing. Where the final path holds ";" or '"',
// its short form stands in if that holds neither; otherwise false with
// ERROR_INVALID_NAME (123).
// created is the name the file was made under (see FinalPathToHandOn).
bool PathToHandOn(const platform::File& file, const std::u16string& created,
                  std::u16string& path);

// PathToHandOn taken again, just before the service opens it: true only when
// that path now opens the very file the handle holds. A different file there
// (a folder renamed and another put in its place) fails with ERROR_INVALID_DATA.
bool RecheckPathToHandOn(const platform::File& file, const std::u16string& created,
                         std::u16string& path);
