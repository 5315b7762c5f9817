// temp_names.h -- temporary files and folders beside the name they will be renamed to.
#pragma once

#include <string>

// Creates a new empty file named path + ".partial-XXXXXX" with the mode a plain new file
// gets, puts its name in tempPath and returns its descriptor; -1 with errno set on failure.
int createTempFile(const std::string& path, std::string* tempPath);

// Creates a new empty folder named base + "XXXXXX" with the mode a plain new folder gets
// and puts its name in tempPath. False with errno set on failure.
bool createTempFolder(const std::string& base, std::string* tempPath);

// Removes folder and the files in it. False when something stayed.
bool removeFolder(const std::string& folder);
