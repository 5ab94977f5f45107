// What the compile-time layout checks cannot show: the bytes a record puts on the
// wire, and the display texts of the enumerations.
#include <gtest/gtest.h>

#include <string.h>

#include "dsm_interface.h"
#include "dsm_texts.h"

namespace {

TEST(RecordLayout, FullPathTableStopsAtTheLunIdentifier) {
    DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    memset(&record.Paths[31], 0xAB, sizeof record.Paths[31]);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_EQ(bytes[4119], 0);
    EXPECT_EQ(bytes[4120], 0xAB);
    EXPECT_EQ(bytes[4247], 0xAB);
    EXPECT_EQ(bytes[4248], 0);
    record.Paths[3].State = DSM_PATH_DEAD;
    EXPECT_EQ(bytes[248 + 128 * 3], DSM_PATH_DEAD);
}

TEST(RecordLayout, FieldsAreLittleEndianAndPacked) {
    DSM_DEVICE_RECORD record;
    memset(&record, 0, sizeof record);
    record.Key = 0x0102030405060708ull;
    record.InterfaceType = DSM_IF_SAS;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_EQ(bytes[4328], 0x08);
    EXPECT_EQ(bytes[4335], 0x01);
    EXPECT_EQ(bytes[4336], DSM_IF_SAS);

    DSM_PASS_THROUGH_REQUEST pt;
    memset(&pt, 0, sizeof pt);
    pt.Spt.ScsiStatus = 0x02;
    pt.Spt.DataBufferOffset = 112;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&pt);
    EXPECT_EQ(p[18], 0x02);
    EXPECT_EQ(p[16 + 24], 112);
}

TEST(RecordTexts, EnumerationsAndTheirFallbacks) {
    EXPECT_STREQ(adapter_state_text(1).text, "DEGRAD");
    EXPECT_EQ(adapter_state_text(9).id, 0x40000021u);
    EXPECT_STREQ(adapter_mode_text(0).text, "ACTIVE");
    EXPECT_STREQ(path_mode_text(0).text, "NORMAL");
    EXPECT_EQ(path_mode_text(0).id, 0x4000001Eu);
    EXPECT_STREQ(path_mode_text(7).text, "INVALID");

    EXPECT_STREQ(path_state_text(DSM_PATH_OPEN, 1, false).text, "OPEN      ");
    EXPECT_STREQ(path_state_text(DSM_PATH_OPEN, 1, true).text, "Active/Unoptimized");
    EXPECT_STREQ(path_state_text(DSM_PATH_OPEN, 0, true).text, "Active/Optimized  ");
    EXPECT_STREQ(path_state_text(DSM_PATH_CLOSE, 0, true).text, "   Unavailable       ");
    EXPECT_STREQ(path_state_text(DSM_PATH_DEAD, 0, false).text, "DEAD      ");
    EXPECT_STREQ(path_state_text(3, 0, true).text, "INVALID");

    // Bus type 6 is Fibre Channel on an adapter; interface type 6 is SAS on a device.
    EXPECT_STREQ(bus_type_text(6), "FC");
    EXPECT_STREQ(interface_type_text(6), "SAS");
    EXPECT_STREQ(bus_type_text(1), "SCSI");
    EXPECT_EQ(interface_type_text(1), nullptr);
    EXPECT_STREQ(interface_type_text(5), "ISCSI");

    EXPECT_STREQ(policy_text(0), "  POLICY: DEFAULT");
    EXPECT_STREQ(policy_text(9), "  POLICY: ROUND ROBIN SUB SET");
    EXPECT_STREQ(policy_text(10), "  POLICY: INVALID");
}

TEST(RecordTexts, DeviceDisplayName) {
    EXPECT_STREQ(device_display_name("\\Device\\Harddisk3\\DR3", 48), "Disk3 Part3");
    EXPECT_STREQ(device_display_name("\\Device\\Harddisk12\\DR140", 48), "Disk12 Part140");
    EXPECT_STREQ(device_display_name("\\Device\\Harddisk7", 48), "Disk7 Part");
    EXPECT_STREQ(device_display_name("", 48), "Disk Part");
    // A full field without a terminator, and absurdly long digit runs, stay bounded.
    char field[48];
    memset(field, '9', sizeof field);
    const char* name = device_display_name(field, sizeof field);
    EXPECT_LE(strlen(name), 31u);
    EXPECT_STREQ(name, "Disk99999999999 Part");
}

}  // namespace
