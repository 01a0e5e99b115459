#include "common/discover/device_datagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<BYTE> Reply(BYTE direction, BYTE command, const std::string& rest = {})
{
    std::string bytes = "BRISEL";
    bytes.push_back(static_cast<char>(direction));
    bytes.push_back(static_cast<char>(command));
    bytes += rest;
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

// A version reply with the 16-bit count and the text bytes.
std::vector<BYTE> VersionReply(unsigned count, const std::string& text)
{
    std::string rest;
    rest.push_back(0);
    rest.push_back(static_cast<char>(count & 0xFF));
    rest.push_back(static_cast<char>(count >> 8));
    rest += text;
    return Reply(1, 5, rest);
}

BOOL Parse(const std::vector<BYTE>& datagram, _TDiscoverReply& reply)
{
    return ParseDiscoverReply(datagram.data(), static_cast<int>(datagram.size()), reply);
}

TEST(DeviceDatagram, RequestsAreTheHeaderWithTheirCommand)
{
    BYTE buffer[DEVICE_HEADER_SIZE];
    BuildDiscoverRequest(buffer);
    EXPECT_EQ(std::string("BRISEL\0\0", 8), std::string(reinterpret_cast<char*>(buffer), 8));
    BuildVersionRequest(buffer);
    EXPECT_EQ(std::string("BRISEL\0\5", 8), std::string(reinterpret_cast<char*>(buffer), 8));
    BuildSettingsRequest(buffer);
    EXPECT_EQ(std::string("BRISEL\0\2", 8), std::string(reinterpret_cast<char*>(buffer), 8));
}

TEST(DeviceDatagram, SettingsGoTwoPortsAboveTheDevicePort)
{
    EXPECT_EQ(50015u, GetSettingsPort(DISCOVER_DEVICE_PORT));
}

TEST(DeviceDatagram, DiscoverReplyGivesTheSignedType)
{
    _TDiscoverReply reply;
    ASSERT_TRUE(Parse(Reply(1, 0, "\x17"), reply));
    EXPECT_EQ(DISCOVER_COMMAND_DISCOVER, reply.command);
    EXPECT_EQ(23, reply.type);

    ASSERT_TRUE(Parse(Reply(1, 0, "\xFF"), reply));
    EXPECT_EQ(-1, reply.type);
    ASSERT_TRUE(Parse(Reply(1, 0, "\x80"), reply));
    EXPECT_EQ(-128, reply.type);
}

TEST(DeviceDatagram, ForeignDatagramsAreIgnored)
{
    _TDiscoverReply reply;
    EXPECT_FALSE(Parse(Reply(0, 0, "\x17"), reply)) << "direction 0";
    EXPECT_FALSE(Parse(Reply(2, 0, "\x17"), reply)) << "direction 2";
    EXPECT_FALSE(Parse(Reply(1, 0), reply)) << "discover reply without its type byte";
    EXPECT_FALSE(Parse(Reply(1, 2, "\x17"), reply)) << "settings command on the main channel";
    EXPECT_FALSE(Parse(Reply(1, 7, "\x17"), reply)) << "unknown command";

    std::vector<BYTE> wrongMagic = Reply(1, 0, "\x17");
    wrongMagic[5] = 'l';
    EXPECT_FALSE(Parse(wrongMagic, reply));
    std::vector<BYTE> shortDatagram = Reply(1, 0);
    for (size_t length = 0; length < 8; ++length)
        EXPECT_FALSE(ParseDiscoverReply(shortDatagram.data(), static_cast<int>(length), reply)) << length;
    EXPECT_FALSE(ParseDiscoverReply(nullptr, 9, reply));
}

TEST(DeviceDatagram, VersionTextOfTheStatedLength)
{
    _TDiscoverReply reply;
    ASSERT_TRUE(Parse(VersionReply(5, "6.8.0"), reply));
    EXPECT_EQ(DISCOVER_COMMAND_VERSION, reply.command);
    EXPECT_STREQ("6.8.0", reply.version);

    ASSERT_TRUE(Parse(VersionReply(3, "6.8.0"), reply));
    EXPECT_STREQ("6.8", reply.version);

    reply.version = "old";
    ASSERT_TRUE(Parse(VersionReply(0, ""), reply));
    EXPECT_TRUE(reply.version.IsEmpty());
}

TEST(DeviceDatagram, VersionReplyShorterThanItsCountFieldHasNoText)
{
    _TDiscoverReply reply;
    for (const std::string& rest : {std::string(), std::string("\0", 1), std::string("\0\5", 2), std::string("7")})
    {
        reply.version = "old";
        ASSERT_TRUE(Parse(Reply(1, 5, rest), reply)) << rest.size();
        EXPECT_TRUE(reply.version.IsEmpty());
    }
}

TEST(DeviceDatagram, VersionTextIsCutAt767AndAtTheDatagramsEnd)
{
    _TDiscoverReply reply;
    const std::string text200(200, 'a');
    ASSERT_TRUE(Parse(VersionReply(200, text200), reply));
    EXPECT_EQ(200, reply.version.GetLength());

    std::string text1000;
    for (int i = 0; i < 1000; ++i)
        text1000.push_back(static_cast<char>('0' + i % 10));
    ASSERT_TRUE(Parse(VersionReply(1000, text1000), reply));
    EXPECT_EQ(text1000.substr(0, 767), std::string(reply.version.GetString(), reply.version.GetLength()));

    ASSERT_TRUE(Parse(VersionReply(0xFFFF, text1000), reply));
    EXPECT_EQ(767, reply.version.GetLength());

    // Stated 20, present 5 (a read past the datagram shows under the
    // sanitizers, the vector being exactly as long as the datagram).
    ASSERT_TRUE(Parse(VersionReply(20, "6.8.0"), reply));
    EXPECT_STREQ("6.8.0", reply.version);
}

TEST(DeviceDatagram, VersionTextEndsAtAnEmbeddedZero)
{
    _TDiscoverReply reply;
    ASSERT_TRUE(Parse(VersionReply(8, std::string("6.8\0junk", 8)), reply));
    EXPECT_EQ(3, reply.version.GetLength());
    EXPECT_STREQ("6.8", reply.version);

    ASSERT_TRUE(Parse(VersionReply(4, std::string("\0abc", 4)), reply));
    EXPECT_TRUE(reply.version.IsEmpty());
}

} // namespace
