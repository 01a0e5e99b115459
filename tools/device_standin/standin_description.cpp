#include "tools/device_standin/standin_description.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "common/base/address_helpers.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits the line into words; a double-quoted part may hold blanks.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string word;
        while (i < line.size() && !IsBlank(line[i])) {
            if (line[i] == '"') {
                const size_t end = line.find('"', i + 1);
                if (end == std::string::npos) {
                    error = "unterminated quote";
                    return false;
                }
                word.append(line, i + 1, end - i - 1);
                i = end + 1;
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return true;
}

bool ParseYesNo(const std::string& key, const std::string& value, bool& out, std::string& error) {
    if (ParseStandinFlag(value, out)) return true;
    error = key + " must be yes or no, not \"" + value + "\"";
    return false;
}

}  // namespace

bool ParseStandinFlag(const std::string& text, bool& out) {
    if (text == "yes" || text == "1" || text == "true") {
        out = true;
        return true;
    }
    if (text == "no" || text == "0" || text == "false") {
        out = false;
        return true;
    }
    return false;
}

bool ParseStandinDeviceLine(const std::string& line, StandinDeviceLine& device, std::string& error) {
    std::vector<std::string> words;
    if (!SplitWords(line, words, error)) return false;
    if (words.empty()) {
        error = "no device address";
        return false;
    }
    if (AddressFromString(words[0].c_str()) == 0) {
        error = "\"" + words[0] + "\" is not a dotted IPv4 address of four numbers";
        return false;
    }
    device = StandinDeviceLine();
    device.profile.address = words[0];
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0) {
            error = "\"" + word + "\" is not key=value";
            return false;
        }
        const std::string key = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (key == "type") {
            char* end = nullptr;
            errno = 0;
            const long type = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || errno != 0 || type < -128 || type > 127) {
                error = "type must be a number from -128 to 127, not \"" + value + "\"";
                return false;
            }
            device.profile.type = static_cast<int>(type);
        } else if (key == "version") {
            device.profile.version = value;
        } else if (key == "name") {
            device.profile.name = value;
        } else if (key == "status") {
            device.profile.lineStatus = value;
        } else if (key == "version-reply") {
            if (!ParseYesNo(key, value, device.profile.answersVersion, error)) return false;
        } else if (key == "settings-reply") {
            if (!ParseYesNo(key, value, device.profile.answersSettings, error)) return false;
        } else if (key == "silent") {
            if (!ParseYesNo(key, value, device.faults.silent, error)) return false;
        } else if (IsStandinUpdateKey(key)) {
            if (!ParseStandinUpdateKey(key, value, device.update, error)) return false;
        } else {
            error = "unknown key \"" + key + "\"";
            return false;
        }
    }
    return true;
}

bool LoadStandinDeviceFile(const std::string& path, std::vector<StandinDeviceLine>& devices, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    std::vector<StandinDeviceLine> read;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;
        StandinDeviceLine device;
        std::string lineError;
        if (!ParseStandinDeviceLine(line, device, lineError)) {
            error = path + ":" + std::to_string(number) + ": " + lineError;
            return false;
        }
        read.push_back(device);
    }
    devices = std::move(read);
    return true;
}
