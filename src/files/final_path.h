#pragma once

#include <string>

#include "platform/files.h"

// Where an open file really is. A path is only a way to a file: a link anywhere
// on it, switched by whoever may write a folder on the way, sends the next use
// of the same path elsewhere. These work from the handle instead.

// The final path of the file behind the handle, in the plain form
// (C:\dir\name, \\server\share\name) wherever that names the same file, for
// handing on to a service that opens it by name. On a volume without a drive
// letter, the full path of created, the name it was made under, once that is
// found to be the file. False when neither can be had.
bool FinalPathToHandOn(const platform::File& file, const std::u16string& created,
                       std::u16string& path);

// Whether the handle is the entry path names in its folder, reached through no
// link: its final path is the folder's final path followed by the entry's name,
// both told in the first form both can be had in.
bool IsEntryAt(const platform::File& file, const std::u16string& path);

// OpenFile for a disposition that may create a file. A file that was not made
// at path itself (a link on the way sent it elsewhere) is removed again, one
// that was already there is left as it is, and both are refused with
// errors::kAccessDenied. A file it returns leaves the last error as OpenFile did.
platform::File CreateFileAt(const std::u16string& path, platform::FileDisposition disposition);
