// Python's zipfile module as an independent reader of the archives the
// library writes (and writer of archives it reads). Tests skip with a
// message when python3 is not installed.
#pragma once

#include <cstdlib>
#include <string>

namespace zip_test
{

inline bool HavePython()
{
    static const bool have = std::system("python3 -c 'import zipfile' >/dev/null 2>&1") == 0;
    return have;
}

// Runs a python3 script with arguments; true when it exits with 0.
inline bool RunPython(const std::string& script, const std::string& arguments)
{
    const std::string command = "python3 -c '" + script + "' " + arguments;
    return std::system(command.c_str()) == 0;
}

// Reads every member of the archive with the password (may be empty) and
// compares it with the file of the same name in the folder; directory
// members must have no data. Exits with 1 and says why on a difference.
inline const char* const PYTHON_COMPARE_MEMBERS = R"PY(
import os, sys, zipfile
archive, folder, password = sys.argv[1], sys.argv[2], sys.argv[3].encode()
with zipfile.ZipFile(archive) as z:
    for info in z.infolist():
        data = z.read(info, pwd=password or None)
        if info.is_dir():
            ok = data == b""
        else:
            with open(os.path.join(folder, info.filename), "rb") as f:
                ok = f.read() == data
        if not ok:
            print("python: different data in", info.filename)
            sys.exit(1)
    print("python: read", len(z.infolist()), "members")
)PY";

}  // namespace zip_test
