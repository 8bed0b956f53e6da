#include "store_fs.h"

#include "wildcard.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}

// d_type spares a stat where the file system fills it in; links and
// unknown kinds are looked at.
bool MayBe(const dirent* ent, unsigned char kind) {
    return ent->d_type == kind || ent->d_type == DT_UNKNOWN || ent->d_type == DT_LNK;
}

} // namespace

StorePath ChildPath(const StorePath& folder, const char* name) {
    return folder + '/' + name;
}

std::optional<StorePath> PathSetting(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value ? std::optional<StorePath>(value) : std::nullopt;
}

bool ListFolders(const StorePath& folder, const std::function<void(const char*)>& onFolder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    const int fd = dirfd(dir);
    while (const dirent* ent = readdir(dir)) {
        if (ent->d_name[0] == '.' || !MayBe(ent, DT_DIR))
            continue;
        struct stat st;
        if (ent->d_type != DT_DIR &&
            (fstatat(fd, ent->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode)))
            continue; // removed since the listing, unreadable, or no folder
        onFolder(ent->d_name);
    }
    closedir(dir);
    return true;
}

void ListFiles(const StorePath& folder, const char* pattern, std::vector<StoreFile>& files) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const int fd = dirfd(dir);
    while (const dirent* ent = readdir(dir)) {
        // Name tests first: only the files the walk will hand out cost a stat.
        const size_t len = std::strlen(ent->d_name);
        if (ent->d_name[0] == '.' || len >= AT_ITEM_NAME_SIZE || !MayBe(ent, DT_REG) ||
            !WildcardMatch(pattern, ent->d_name))
            continue;
        struct stat st;
        if (fstatat(fd, ent->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue; // removed since the listing, or no plain file
        files.emplace_back();
        StoreFile& f = files.back();
        std::memcpy(f.name, ent->d_name, len + 1);
        f.size = Clamp32(st.st_size);
        f.modTime = Clamp32(st.st_mtime);
    }
    closedir(dir);
}

bool IsFolder(const StorePath& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<StorePath> DefaultStoreRoot() {
    // A relative name is relative to the folder that was current at load.
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&DefaultStoreRoot), &info) || !info.dli_fname ||
        info.dli_fname[0] != '/')
        return std::nullopt;
    const std::string path = info.dli_fname;
    return path.substr(0, path.find_last_of('/')) + "/store";
}
