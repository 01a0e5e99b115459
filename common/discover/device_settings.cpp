#include "common/discover/device_settings.h"

#include "common/discover/device_datagram.h"

#include <cstring>
#include <utility>
#include <vector>

namespace
{

void PutU32(BYTE* buffer, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        buffer[i] = static_cast<BYTE>(value >> (8 * i));
}

DWORD GetU32(const BYTE* buffer)
{
    return static_cast<DWORD>(buffer[0]) | static_cast<DWORD>(buffer[1]) << 8 | static_cast<DWORD>(buffer[2]) << 16 |
           static_cast<DWORD>(buffer[3]) << 24;
}

// A reader over the bytes of a record that fails, and stays failed, when an
// item does not fit.
class CRecordReader
{
public:
    CRecordReader(const BYTE* buffer, int length) : m_buffer(buffer), m_length(length) {}

    bool U32(DWORD& value)
    {
        if (m_failed || m_length - m_offset < 4)
            return Fail();
        value = GetU32(m_buffer + m_offset);
        m_offset += 4;
        return true;
    }

    bool String(CString& text)
    {
        if (m_failed)
            return false;
        const int used = CDeviceSettings::ReadLengthPrefixedString(m_buffer + m_offset, m_length - m_offset, text);
        if (used == 0)
            return Fail();
        m_offset += used;
        return true;
    }

    int Offset() const { return m_offset; }

private:
    bool Fail()
    {
        m_failed = true;
        return false;
    }

    const BYTE* m_buffer;
    int m_length;
    int m_offset = 0;
    bool m_failed = false;
};

} // namespace

int CDeviceSettings::WriteLengthPrefixedString(BYTE* buffer, const CString& text)
{
    const int length = text.GetLength();
    if (buffer != nullptr)
    {
        PutU32(buffer, static_cast<DWORD>(length));
        std::memcpy(buffer + 4, text.GetString(), static_cast<size_t>(length));
    }
    return 4 + length;
}

int CDeviceSettings::ReadLengthPrefixedString(const BYTE* buffer, int length, CString& text)
{
    if (buffer == nullptr || length < 4)
        return 0;
    const int count = static_cast<int>(GetU32(buffer));
    if (count < 0 || count > length - 4)
        return 0;
    text = CString(reinterpret_cast<LPCTSTR>(buffer + 4), count);
    return 4 + count;
}

int CDeviceSettings::Write(BYTE* buffer) const
{
    int size = WriteLengthPrefixedString(buffer, DEVICE_MAGIC);
    const DWORD values[] = {static_cast<DWORD>(version), a, b, c};
    for (DWORD value : values)
    {
        if (buffer != nullptr)
            PutU32(buffer + size, value);
        size += 4;
    }
    size += WriteLengthPrefixedString(buffer ? buffer + size : nullptr, s1);
    if (buffer != nullptr)
        PutU32(buffer + size, d);
    size += 4;
    size += WriteLengthPrefixedString(buffer ? buffer + size : nullptr, s2);
    return size;
}

int CDeviceSettings::Read(const BYTE* buffer, int length)
{
    if (buffer == nullptr || length <= 0)
        return 0;
    CRecordReader reader(buffer, length);
    CString magic;
    if (!reader.String(magic) || magic.GetLength() != DEVICE_MAGIC_SIZE ||
        std::memcmp(magic.GetString(), DEVICE_MAGIC, DEVICE_MAGIC_SIZE) != 0)
        return 0;
    // Read into a copy, so that a record that ends early changes nothing.
    CDeviceSettings record = *this;
    DWORD readVersion = 0;
    if (!reader.U32(readVersion) || !reader.U32(record.a) || !reader.U32(record.b) || !reader.U32(record.c) ||
        !reader.String(record.s1))
        return 0;
    record.version = static_cast<int>(readVersion);
    if (record.version > 0 && !reader.U32(record.d))
        return 0;
    if (record.version > 1 && !reader.String(record.s2))
        return 0;
    *this = std::move(record);
    return reader.Offset();
}

int CDeviceSettings::Equals(const CDeviceSettings& other) const
{
    const int size = Write(nullptr);
    if (size != other.Write(nullptr))
        return 0;
    std::vector<BYTE> mine(static_cast<size_t>(size));
    std::vector<BYTE> theirs(static_cast<size_t>(size));
    Write(mine.data());
    other.Write(theirs.data());
    return mine == theirs ? 1 : 0;
}
