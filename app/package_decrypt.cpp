#include "app/update_package.h"

#include "app/package_key.h"

#include <cryptopp/aes.h>
#include <cryptopp/files.h>
#include <cryptopp/filters.h>
#include <cryptopp/gcm.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace
{

// Opens the package for reading and reserves room for its whole contents in
// out, so that the plain bytes are written in place without growing. Only a
// regular file is a package: a folder, a pipe or a device is not opened.
bool OpenPackage(const CString& strPath, std::ifstream& file, std::string& out)
{
    std::error_code error;
    const std::filesystem::path path(strPath.GetString());
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return false;
    file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return false;
    if (size > out.capacity())
        out.reserve(static_cast<size_t>(size));
    return true;
}

void DecryptStream(std::istream& file, std::string& out)
{
    CryptoPP::GCM<CryptoPP::AES>::Decryption decryption;
    decryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
    CryptoPP::FileSource source(
        file, true,
        new CryptoPP::AuthenticatedDecryptionFilter(decryption, new CryptoPP::StringSink(out),
                                                    CryptoPP::AuthenticatedDecryptionFilter::THROW_EXCEPTION,
                                                    static_cast<int>(PACKAGE_TAG_SIZE)));
}

} // namespace

namespace
{

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
                CryptoPP::FileSource raw(file, true, new CryptoPP::StringSink(out));
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
}
