// temp_names.cpp -- mkstemp and mkdtemp, with the permissions umask would give a plain create.
#include "temp_names.h"

#include <cstdio>     // Required for: remove()
#include <cstdlib>    // Required for: mkstemp(), mkdtemp()
#include <dirent.h>   // Required for: opendir(), readdir()
#include <sys/stat.h> // Required for: fchmod(), chmod(), umask()
#include <unistd.h>   // Required for: rmdir()
#include <vector>

static mode_t currentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

int createTempFile(const std::string& path, std::string* tempPath)
{
    std::string name = path + ".partial-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0)
        return -1;
    fchmod(fd, 0666 & ~currentUmask()); // mkstemp makes it private
    *tempPath = buffer.data();
    return fd;
}

bool createTempFolder(const std::string& base, std::string* tempPath)
{
    std::string name = base + "XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        return false;
    chmod(buffer.data(), 0777 & ~currentUmask()); // mkdtemp makes it private
    *tempPath = buffer.data();
    return true;
}

bool removeFolder(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (dir) {
        for (dirent* entry = readdir(dir); entry; entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                remove((folder + "/" + name).c_str());
        }
        closedir(dir);
    }
    return rmdir(folder.c_str()) == 0;
}
