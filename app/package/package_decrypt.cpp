#include "app/package/update_package.h"

#include "app/package/package_key.h"

#include <cryptopp/aes.h>
#include <cryptopp/files.h>
#include <cryptopp/filters.h>
#include <cryptopp/gcm.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

namespace
{

// Raised when the file turns out larger than PACKAGE_MAX_SIZE while it is
// read (it grew after it was opened).
struct PackageTooLarge
{
};

// Opens the package for reading and reserves room for its whole contents in
// out, so that the plain bytes are written in place without growing. Only a
// regular file of at most PACKAGE_MAX_SIZE bytes is a package: a folder, a
// pipe, a device or a larger file is not opened.
bool OpenPackage(const CString& strPath, std::ifstream& file, std::string& out)
{
    std::error_code error;
    const std::filesystem::path path(strPath.GetString());
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > PACKAGE_MAX_SIZE)
        return false;
    file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return false;
    if (size > out.capacity())
        out.reserve(static_cast<size_t>(size));
    return true;
}

// The file goes to the filters in large blocks: the library's own file
// source reads in small pieces, which costs more than the decryption.
enum : size_t
{
    PUMP_BLOCK_SIZE = 1 << 20,
};

// Puts the whole stream into the target and ends its message.
void PumpFile(std::istream& file, CryptoPP::BufferedTransformation& target)
{
    std::vector<CryptoPP::byte> block(PUMP_BLOCK_SIZE);
    ULONGLONG total = 0;
    while (file)
    {
        file.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        const std::streamsize count = file.gcount();
        total += static_cast<ULONGLONG>(count);
        if (total > PACKAGE_MAX_SIZE)
            throw PackageTooLarge();
        if (count > 0)
            target.Put(block.data(), static_cast<size_t>(count));
    }
    if (file.bad())
        throw CryptoPP::FileStore::ReadErr();
    target.MessageEnd();
}

void DecryptStream(std::istream& file, std::string& out)
{
    CryptoPP::GCM<CryptoPP::AES>::Decryption decryption;
    decryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
    CryptoPP::AuthenticatedDecryptionFilter filter(decryption, new CryptoPP::StringSink(out),
                                                   CryptoPP::AuthenticatedDecryptionFilter::THROW_EXCEPTION,
                                                   static_cast<int>(PACKAGE_TAG_SIZE));
    PumpFile(file, filter);
}

void CopyStream(std::istream& file, std::string& out)
{
    CryptoPP::StringSink sink(out);
    PumpFile(file, sink);
}

BOOL ReadPackage(const CString& strPath, std::string& out)
{
    std::ifstream file;
    if (!OpenPackage(strPath, file, out))
        return FALSE;
    try
    {
        DecryptStream(file, out);
    }
    catch (const CryptoPP::Exception&)
    {
        // Not an encrypted package (or a damaged one): use the file as it is.
        out.clear();
        file.close();
        file.clear();
        try
        {
            if (OpenPackage(strPath, file, out))
                CopyStream(file, out);
        }
        catch (const CryptoPP::Exception&)
        {
            out.clear();
        }
    }
    return !out.empty();
}

} // namespace

BOOL DecryptUpdateFile(const CString& strPath, std::string& out)
{
    out.clear();
    try
    {
        return ReadPackage(strPath, out);
    }
    catch (const std::bad_alloc&)
    {
        // A file larger than the memory there is.
        std::string().swap(out);
        return FALSE;
    }
    catch (const PackageTooLarge&)
    {
        std::string().swap(out);
        return FALSE;
    }
}
