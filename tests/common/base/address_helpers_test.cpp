#include "common/base/address_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ParseDeviceAddress, AcceptsAndCanonicalises) {
    struct Case {
        const char* text;
        const char* canonical;
        int dotted;
        BYTE octets[4];
        int port;
    } cases[] = {
        {"  192.168.001.010 ", "192.168.1.10", 1, {192, 168, 1, 10}, 0},
        {"192.168.1.10:50013", "192.168.1.10:50013", 1, {192, 168, 1, 10}, 50013},
        {"10.0.0.1:080", "10.0.0.1:80", 1, {10, 0, 0, 1}, 80},
        {"255.255.255.255", "255.255.255.255", 1, {255, 255, 255, 255}, 0},
        {"0.0.0.1", "0.0.0.1", 1, {0, 0, 0, 1}, 0},
        {"Device-7:80", "Device-7:80", 0, {}, 80},
        {" dev_1 ", "dev_1", 0, {}, 0},
        {"encoder.local:0065535", "encoder.local:65535", 0, {}, 65535},
        {"1.2.3.x", "1.2.3.x", 0, {}, 0},
    };
    for (const Case& c : cases) {
        CString text(c.text);
        int dotted = -1, port = -1;
        BYTE octets[4] = {9, 9, 9, 9};
        EXPECT_EQ(ParseDeviceAddress(text, dotted, octets, &port), 1) << c.text;
        EXPECT_STREQ(text, c.canonical) << c.text;
        EXPECT_EQ(dotted, c.dotted) << c.text;
        EXPECT_EQ(std::memcmp(octets, c.octets, 4), 0) << c.text;
        EXPECT_EQ(port, c.port) << c.text;
    }
}

TEST(ParseDeviceAddress, Rejects) {
    const char* rejected[] = {
        "192.168.1.10:0", "192.168.1.256", "1.2.3.999", "1.2.3.99999999999", "0.0.0.0", "0.0.0.0:80",
        "1.2.3.4x", "1.2.3.4.5", "1.2.3.4:", "1.2.3.4:80x", "1.2.3.4:65536", "1.2.3.4 :80", "-1.2.3.4",
        "dev..x", ".dev", "dev.", "a:b:1", ":80", "dev:", "123", "1.2.3", "dev:80x", "dev:0", "dev:99999",
        "my dev", "dev/x", "dev@home", "dev;x", "", "   ",
    };
    for (const char* text : rejected) {
        CString address(text);
        int dotted = -1;
        EXPECT_EQ(ParseDeviceAddress(address, dotted), 0) << text;
    }
}

TEST(ParseDottedAddress, CountsOnlyWholeAddresses) {
    struct Case {
        const char* text;
        int count;
    } cases[] = {{"1.2.3.4", 4}, {"1.2.3.4:5", 5}, {"1.2.3.4x", -1}, {"1.2.3.4.5", -1},
                 {"1.2.3", 0},   {"host", 0},      {"", 0},          {"1.2.3.999", 4}};
    for (const Case& c : cases) {
        CString text(c.text);
        int count = 99, values[5] = {};
        ParseDottedAddress(text, count, values);
        EXPECT_EQ(count, c.count) << c.text;
    }
    int v[5] = {1, 2, 3, 4, 0};
    EXPECT_EQ(AreOctetsValid(4, v), 1);
    EXPECT_EQ(AreOctetsValid(5, v), 0);  // port 0
    EXPECT_EQ(AreOctetsValid(3, v), 0);
}

TEST(AddressFromString, OnlyWholeDottedAddresses) {
    EXPECT_EQ(AddressFromString("1.2.3.4"), 0x01020304u);
    EXPECT_EQ(AddressFromString("192.168.001.010"), 0xC0A8010Au);
    EXPECT_EQ(AddressFromString("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad : {"1.2.3.999", "1.2.3.4x", "1.2.3.4.5", "1.2.3", "", "a.b.c.d", "1.2.3.4:80"})
        EXPECT_EQ(AddressFromString(bad), 0u) << bad;
}

TEST(FormatAddress, NetworkOrderBytes) {
    const BYTE bytes[4] = {192, 168, 1, 10};
    DWORD address;
    std::memcpy(&address, bytes, 4);
    EXPECT_STREQ(FormatAddress(address), "192.168.1.10");
    EXPECT_STREQ(FormatAddress(0), "0.0.0.0");
}

TEST(SplitHostPort, Cases) {
    CString host;
    int port = -1;
    SplitHostPort("10.0.0.1:50013", host, port);
    EXPECT_STREQ(host, "10.0.0.1");
    EXPECT_EQ(port, 50013);
    SplitHostPort(":80", host, port);
    EXPECT_STREQ(host, ":80");
    EXPECT_EQ(port, 0);
    SplitHostPort("dev", host, port);
    EXPECT_STREQ(host, "dev");
    EXPECT_EQ(port, 0);
    SplitHostPort("dev:99999999999999999999", host, port);  // no overflow
    EXPECT_STREQ(host, "dev");
    EXPECT_GT(port, 65535);
}

TEST(GetField, WalksTheFields) {
    EXPECT_STREQ(GetField("a;b;c", ";", 0), "a");
    EXPECT_STREQ(GetField("a;b;c", ";", 1), "b");
    EXPECT_STREQ(GetField("a;b;c", ";", 2), "c");
    EXPECT_STREQ(GetField("a;b;c", ";", 3), "");
    EXPECT_STREQ(GetField("a;;c;", ";", 1), "");
    EXPECT_STREQ(GetField("a;;c;", ";", 2), "c");
    EXPECT_STREQ(GetField("a;;c;", ";", 3), "");
    EXPECT_STREQ(GetField("a::b::c", "::", 2), "c");
    EXPECT_STREQ(GetField("", ";", 0), "");
    EXPECT_STREQ(GetField("abc", "", 0), "abc");
    EXPECT_STREQ(GetField("abc", "", 1), "");
}
