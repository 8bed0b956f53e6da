// Paths handed in by CTest are Unix paths; Wine reaches them through its Z:
// drive.
#ifndef WINDOWS_PATH_H
#define WINDOWS_PATH_H

#include <string>

inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

#endif
