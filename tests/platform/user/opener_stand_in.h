// A stand-in for the desktop's web address opener, and a scoped change of
// an environment variable, for the tests of opening links.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace user_test {

// A stand-in opener that writes its arguments, one a line, and the targets
// of its open descriptors to "<script>.out".
class OpenerStandIn {
public:
    OpenerStandIn() {
        char pattern[] = "/tmp/trelwin-opener-XXXXXX";
        dir_ = mkdtemp(pattern);
        script_ = dir_ + "/xdg-open";
        std::ofstream(script_) << "#!/bin/sh\n"
                                  "PATH=/usr/bin:/bin\n"
                                  "out=\"$0.out\"\n"
                                  "{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done;\n"
                                  "  for f in /proc/$$/fd/*; do readlink \"$f\"; done; } > \"$out.tmp\"\n"
                                  "mv \"$out.tmp\" \"$out\"\n";
        chmod(script_.c_str(), 0755);
    }
    ~OpenerStandIn() {
        std::remove(Output().c_str());
        std::remove(script_.c_str());
        rmdir(dir_.c_str());
    }
    const std::string& Script() const { return script_; }
    const std::string& Dir() const { return dir_; }
    std::string Output() const { return script_ + ".out"; }

    // What the opener wrote, waiting up to five seconds for it; empty when
    // it did not run.
    std::string WaitForOutput() const {
        for (int i = 0; i < 100; ++i) {
            std::ifstream in(Output());
            if (in) {
                std::stringstream text;
                text << in.rdbuf();
                std::remove(Output().c_str());
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::string();
    }

private:
    std::string dir_;
    std::string script_;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) setenv(name, value, 1); else unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_.c_str(), old_.c_str(), 1); else unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

}  // namespace user_test
