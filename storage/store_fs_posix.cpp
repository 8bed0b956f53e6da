#include "store_fs.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

const char kPathSeparator = '/';

std::vector<StoreEntry> ListFolder(const std::string& folder, bool wantFolders) {
    std::vector<StoreEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return entries;
    while (const dirent* ent = readdir(dir)) {
        if (ent->d_name[0] == '.')
            continue;
        const std::string path = folder + '/' + ent->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
            continue; // removed since the listing, or unreadable
        if (S_ISDIR(st.st_mode) != wantFolders)
            continue;
        if (!wantFolders && !S_ISREG(st.st_mode))
            continue;
        entries.push_back({ent->d_name, static_cast<int64_t>(st.st_size),
                           static_cast<int64_t>(st.st_mtime)});
    }
    closedir(dir);
    return entries;
}

std::string DefaultStoreRoot() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&DefaultStoreRoot), &info) && info.dli_fname) {
        std::string path = info.dli_fname;
        const size_t slash = path.find_last_of('/');
        return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/store";
    }
    return "store";
}
