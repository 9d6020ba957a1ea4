// The layout record's bytes, its short strings and the selected-PIP object.

#include <gtest/gtest.h>

#include <QMetaProperty>

#include <cstring>

#include "core/pip_object.h"

using namespace quorvel;

TEST(PipRecord, InitialContentIsZeroWithEveryCropUnset) {
    const TPipSetup setup = InitialPipSetup();
    for (const TPipEntry& e : setup) {
        TPipEntry expected = ZeroPipEntry();
        expected.RecBottom = kUnsetMarker;
        EXPECT_EQ(std::memcmp(&e, &expected, sizeof e), 0);
    }
}

TEST(PipRecord, BytesAreLittleEndianAtTheFixedOffsets) {
    TPipEntry e = ZeroPipEntry();
    e.InputIndex = 0x01020304;
    e.RecBottom = kUnsetMarker;
    e.Visible = 1;
    e.BorderColor = 0x00FF8040;
    e.PIPType = 17;
    std::array<std::uint8_t, kPipEntrySize> bytes{};
    EntryToBytes(e, bytes);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    const std::uint8_t unset[4] = {0x61, 0x79, 0xFE, 0xFF}; // -99999
    EXPECT_EQ(std::memcmp(&bytes[28], unset, 4), 0);
    EXPECT_EQ(bytes[36], 1);
    EXPECT_EQ(bytes[48], 0x40); // red in the lowest byte
    EXPECT_EQ(bytes[50], 0xFF);
    EXPECT_EQ(bytes[52], 17);
    const TPipEntry back = EntryFromBytes(bytes);
    EXPECT_EQ(std::memcmp(&back, &e, sizeof e), 0);
}

TEST(PipRecord, ShortStringsKeepTheAnsiTextAndTheBytesBehindIt) {
    ShortString s{};
    s.fill(0xAB); // stale bytes of an earlier, longer text
    SetShortStringText(s, QStringLiteral("Ação €"));
    EXPECT_EQ(s[0], 6);
    EXPECT_EQ(s[2], 0xE7); // ç in Windows-1252
    EXPECT_EQ(s[6], 0x80); // € in Windows-1252
    EXPECT_EQ(s[7], 0xAB); // not significant, but carried unchanged
    EXPECT_EQ(ShortStringText(s), QStringLiteral("Ação €"));

    SetShortStringText(s, QStringLiteral("日本")); // characters the code page lacks
    EXPECT_EQ(ShortStringText(s), QStringLiteral("??"));

    const QString longName = QString(300, u'x');
    SetShortStringText(s, longName);
    EXPECT_EQ(s[0], 255);
    EXPECT_EQ(ShortStringText(s), longName.left(255));
}

TEST(PipObject, StartsWithWhiteBorderAndNothingElse) {
    const TPIPObject o;
    EXPECT_EQ(o.InputIndex(), 0);
    EXPECT_EQ(o.PosX(), 0);
    EXPECT_EQ(o.RecBottom(), 0);
    EXPECT_FALSE(o.Visible());
    EXPECT_EQ(o.Border(), 0);
    EXPECT_EQ(o.BorderColor(), 0xFFFFFFu);
    EXPECT_TRUE(o.FrontFile().isEmpty());
    EXPECT_TRUE(o.BackFile().isEmpty());
}

TEST(PipObject, PropertiesAreInTheGridsOrder) {
    const QStringList expected = {"InputIndex", "PosX",        "PosY",      "Width",    "Height",
                                  "RecTop",     "RecLeft",     "RecBottom", "RecRight", "Visible",
                                  "Border",     "BorderColor", "FrontFile", "BackFile"};
    const QMetaObject& meta = TPIPObject::staticMetaObject;
    QStringList names;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        names << QString::fromLatin1(meta.property(i).name());
    }
    EXPECT_EQ(names, expected);
}

TEST(PipObject, SetInputIndexLooksAtTheValueNotTheResult) {
    struct Case {
        int count, value, stored;
    };
    const Case cases[] = {{4, 0, 1}, {4, 5, 4}, {4, -3, 1}, {4, 3, 3}, {0, 3, 0}, {0, 0, 1}};
    for (const Case& c : cases) {
        TPIPObject o;
        o.SetInputCount(c.count);
        o.SetInputIndex(c.value);
        EXPECT_EQ(o.InputIndex(), c.stored) << "count " << c.count << " value " << c.value;
    }
}

TEST(PipObject, LoadClampsTheInputAndStoreWritesItBack) {
    TPipSetup setup = InitialPipSetup(); // input 0, crop unset
    TPIPObject o;
    o.SetInputCount(4);
    LoadSelectedPIP(setup[1], o);
    EXPECT_EQ(o.InputIndex(), 1);
    EXPECT_EQ(o.RecBottom(), kUnsetMarker);

    setup[1].ProfileIndex = 5;
    setup[1].PIPType = 3;
    o.SetPosX(77);
    o.SetBackFile(QStringLiteral("C:\\media\\back.png"));
    StoreSelectedPIP(o, setup[1]);
    EXPECT_EQ(setup[1].InputIndex, 1);
    EXPECT_EQ(setup[1].PosX, 77);
    EXPECT_EQ(setup[1].ProfileIndex, 5); // storing never touches the layout's values
    EXPECT_EQ(setup[1].PIPType, 3);
    EXPECT_EQ(ShortStringText(setup[1].BackFile), QStringLiteral("C:\\media\\back.png"));
}

TEST(PipObject, StoringAnUnchangedObjectKeepsTheRecordByteForByte) {
    TPipSetup setup = InitialPipSetup();
    TPipEntry& e = setup[0];
    e.InputIndex = 2;
    e.PosX = 10;
    e.Visible = 1;
    e.BorderColor = 0x80000005; // a system colour
    SetShortStringText(e.FrontFile, QStringLiteral("logo.png"));
    const TPipEntry before = e;
    TPIPObject o;
    o.SetInputCount(4);
    LoadSelectedPIP(e, o);
    StoreSelectedPIP(o, e);
    EXPECT_EQ(std::memcmp(&before, &e, sizeof e), 0);
}
