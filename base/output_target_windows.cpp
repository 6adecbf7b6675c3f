// output_target_windows.cpp - the output checks on Windows: the kind and access checks and the
// temporaries; no lock and no cleaning.
#include "base/output_target.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

#include "base/output_target_parts.h"

using namespace output_target_parts;

int output_target_parts::processId() {
    return _getpid();
}

//-----------------------------------------------------------------------------
// Windows: the kind and access checks and the temporaries; no lock and no cleaning
//-----------------------------------------------------------------------------

bool checkOutputName(const std::string& path, OutputTarget& target, std::string& error) {
    target = OutputTarget{};
    target.lock = -1;
    if (path.empty() || path.back() == '/' || path.back() == '\\') {
        error = cannotWrite(path, "no file name given");
        return false;
    }
    struct _stat st;
    const bool exists = _stat(path.c_str(), &st) == 0;
    if (exists && !(st.st_mode & _S_IFREG)) {
        error = cannotWrite(path, std::string("it is ") + fileKindText(st.st_mode) +
                                      "; only a regular file is replaced");
        return false;
    }
    if (exists && _access(path.c_str(), 2) != 0) {
        error = cannotWrite(path, "the file is read-only");
        return false;
    }
    const std::string folder = folderOfPath(path);
    if (_stat(folder.c_str(), &st) != 0 || !(st.st_mode & _S_IFDIR)) {
        error = cannotWrite(path, "folder " + folder + " does not exist");
        return false;
    }
    target.path = path;
    target.folder = folder;
    target.exists = exists;
    target.mode = 0666;
    return true;
}

bool openOutputTarget(const std::string& path, OutputTarget& target, std::string& error) {
    return checkOutputName(path, target, error);
}

bool openOutputFolder(const std::string& folder, OutputTarget& target, std::string& error) {
    target = OutputTarget{};
    target.lock = -1;
    struct _stat st;
    if (_stat(folder.c_str(), &st) != 0 || !(st.st_mode & _S_IFDIR)) {
        error = cannotWrite(folder + "/", "folder " + folder + " does not exist");
        return false;
    }
    target.path = target.folder = folder;
    return true;
}

int createOutputTemporary(const OutputTarget& target, std::string& temp, std::string& error) {
    static int counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        temp = target.folder + "/" + kTempPrefix + std::to_string(processId()) + "-" +
               std::to_string(++counter) + kTempSuffix;
        const int fd = _open(temp.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = cannotWrite(target.path, std::strerror(errno));
    return -1;
}

// Replaces an existing target too (a plain rename does not on Windows).
bool commitOutputTemporary(const OutputTarget& target, const std::string& temp, std::string& error) {
    if (MoveFileExA(temp.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = cannotWrite(target.path, "the file could not be replaced");
    _unlink(temp.c_str());
    return false;
}

void closeOutputTarget(OutputTarget& target) {
    target.lock = -1;
}
