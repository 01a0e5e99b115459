#include "platform/user/name_atoms.h"

#include <cctype>
#include <map>
#include <mutex>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/user/user_types.h"

namespace {

struct CNameAtoms {
    std::mutex lock;
    std::map<std::string, ATOM> byName;  // lower-cased name
    std::vector<std::string> names;      // index = atom - MAXINTATOM
};

CNameAtoms& Atoms() {
    static CNameAtoms* atoms = new CNameAtoms;  // used by threads still ending at process exit
    return *atoms;
}

std::string Folded(const char* name) {
    std::string folded(name);
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

}  // namespace

ATOM AddNameAtom(const char* name) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    CNameAtoms& atoms = Atoms();
    const std::string folded = Folded(name);
    std::lock_guard<std::mutex> lock(atoms.lock);
    auto found = atoms.byName.find(folded);
    if (found != atoms.byName.end()) {
        return found->second;
    }
    if (atoms.names.size() >= 0x10000 - MAXINTATOM) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const ATOM atom = static_cast<ATOM>(MAXINTATOM + atoms.names.size());
    atoms.names.push_back(name);
    atoms.byName.emplace(folded, atom);
    return atom;
}

ATOM FindNameAtom(const char* name) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    CNameAtoms& atoms = Atoms();
    const std::string folded = Folded(name);
    std::lock_guard<std::mutex> lock(atoms.lock);
    auto found = atoms.byName.find(folded);
    return found == atoms.byName.end() ? 0 : found->second;
}

std::string GetNameAtomText(ATOM atom) {
    CNameAtoms& atoms = Atoms();
    std::lock_guard<std::mutex> lock(atoms.lock);
    if (atom < MAXINTATOM || atom - MAXINTATOM >= static_cast<int>(atoms.names.size())) {
        return std::string();
    }
    return atoms.names[atom - MAXINTATOM];
}
