// Helpers of the ZIP archive tests: a temporary folder, reproducible bytes,
// and catching the library's exceptions so that every one is deleted.
#pragma once

#include "zip/zip_exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace zip_test
{

using Bytes = std::vector<unsigned char>;

inline Bytes RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 engine(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(engine());
    return bytes;
}

// Text that compresses the way real files do: words from a small set.
inline Bytes TextBytes(size_t size, uint32_t seed)
{
    static const char* const words[] = {"device ", "update ", "package ", "section ", "version ", "record\n"};
    std::mt19937 engine(seed);
    Bytes bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size)
        for (const char* p = words[engine() % 6]; *p; ++p)
            bytes.push_back(static_cast<unsigned char>(*p));
    bytes.resize(size);
    return bytes;
}

inline Bytes ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The code of the CZipException* that f throws (-1 when it throws none),
// its text in *description; the exception is deleted here.
inline int ZipErrorOf(const std::function<void()>& f, std::string* description = nullptr)
{
    try
    {
        f();
    }
    catch (CZipException* e)
    {
        const int code = e->m_iCause;
        if (description)
            *description = static_cast<const char*>(e->GetErrorDescription());
        e->Delete();
        return code;
    }
    return -1;
}

class TempDir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "trelwin_zip_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path m_dir;
};

inline size_t OpenDescriptors()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// An empty folder that is the current one for the guard's life, so that a
// file made by a relative name shows up in it.
class ScopedEmptyCurrentFolder
{
public:
    ScopedEmptyCurrentFolder() : m_saved(std::filesystem::current_path())
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "trelwin_cwd_XXXXXX").string();
        if (mkdtemp(pattern.data()))
        {
            m_dir = pattern;
            std::filesystem::current_path(m_dir);
        }
    }
    ~ScopedEmptyCurrentFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_saved, ignored);
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ignored);
    }
    bool Ok() const { return !m_dir.empty(); }
    bool IsEmpty() const { return std::filesystem::is_empty(m_dir); }

private:
    std::filesystem::path m_saved;
    std::filesystem::path m_dir;
};

}  // namespace zip_test
