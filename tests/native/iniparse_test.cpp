/* iniparse_test.cpp — the configuration parser over an in-memory profile
 * with the Win32 matching rules: defaults, model lookup, packing of the
 * configured ports, the application files and the field widths. The same
 * cases run against real profile files under Wine (device_config_test). */
#include <gtest/gtest.h>

#include <string>

#include "driver/device/iniparse.h"
#include "udfake.h"

namespace {

class IniParseTest : public ::testing::Test {
 protected:
  udfake::World world;
  UdDevice devs[UD_MAX_DEVICES] = {};
  void SetUp() override {
    udfake::Reset(&world);
    for (int i = 0; i < UD_MAX_DEVICES; i++) {
      devs[i].type = -1;
      devs[i].index = i;
    }
  }
  void Set(const char *section, const char *key, const std::string &value, const char *file = "gyrantx.ini") {
    world.profile.Set(file, section, key, value);
  }
  int32_t Parse() { return IniParse(devs, UD_MAX_DEVICES, "gyrantx.ini"); }
};

TEST_F(IniParseTest, MissingFileConfiguresNothingAndGivesTheDefaults) {
  EXPECT_EQ(0, Parse());
  for (const UdDevice &d : devs) {
    EXPECT_STREQ("\\Program Files\\Halvorin\\Gyrantrix\\Win32", d.homeDirectory);
    EXPECT_STREQ("8.0", d.version);
    EXPECT_EQ(-1, d.type);
    EXPECT_STREQ("", d.portName);
  }
}

TEST_F(IniParseTest, DeviceTypeMatchesWithoutLetterCase) {
  Set("COM1:", "DeviceType", "qUORVANEL sTICK");
  ASSERT_EQ(1, Parse());
  EXPECT_EQ(3, devs[0].type);
  EXPECT_EQ(0, devs[0].variant);
  EXPECT_STREQ("COM1:", devs[0].portName);
}

TEST_F(IniParseTest, SectionWithOnlyAnAppFileFails) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM3:", "appfile", "C:\\apps\\jet.ini");
  EXPECT_EQ(UD_NO_DEVICE, Parse());
  ASSERT_EQ(1u, world.log.size());
  EXPECT_EQ(UD_NO_DEVICE, world.log[0].code);
}

TEST_F(IniParseTest, EmptySectionIsNotConfigured) {
  world.profile.EmptySection("gyrantx.ini", "COM1:");
  Set("COM2:", "devicetype", "Quorvanel 3200");
  ASSERT_EQ(1, Parse());
  EXPECT_STREQ("COM2:", devs[0].portName);
  EXPECT_EQ(2, devs[0].type);
  EXPECT_EQ(-1, devs[1].type);
}

TEST_F(IniParseTest, ConfiguredPortsFillTheFirstRecordsInPortOrder) {
  Set("COM4:", "devicetype", "Quorvanel 3200");
  Set("COM2:", "devicetype", "Quorvanel 2200");
  Set("COM2:", "menuButton", "31");
  ASSERT_EQ(2, Parse());
  EXPECT_STREQ("COM2:", devs[0].portName);
  EXPECT_EQ(1, devs[0].type);
  EXPECT_EQ(31, devs[0].menuButton);
  EXPECT_STREQ("COM4:", devs[1].portName);
  EXPECT_EQ(2, devs[1].type);
  EXPECT_EQ(30, devs[1].menuButton) << "no menuButton: the left button";
  for (int i = 2; i < 4; i++) {
    EXPECT_EQ(-1, devs[i].type);
    EXPECT_STREQ("", devs[i].portName);
  }
}

TEST_F(IniParseTest, OnlyAsManyPortsAsRecords) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM3:", "devicetype", "Quorvanel 2200");
  EXPECT_EQ(1, IniParse(devs, 2, "gyrantx.ini"));
  EXPECT_EQ(0, IniParse(devs, 0, "gyrantx.ini"));
  EXPECT_EQ(UD_BAD_ARGUMENT, IniParse(nullptr, 4, "gyrantx.ini"));
  EXPECT_EQ(UD_BAD_ARGUMENT, IniParse(devs, -1, "gyrantx.ini"));
}

TEST_F(IniParseTest, WithoutApplicationFileTheLabelsAreTheDefaults) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  ASSERT_EQ(1, Parse());
  EXPECT_STREQ("", devs[0].appFile);
  EXPECT_STREQ("Gyrantrix", devs[0].appName);
  const char *labels[UD_NUM_LABELS] = {"Button 1", "Button 2", "Button 3", "Button 4", "Button 5", "Button 6",
                                       "Button 7", "Button 8", "Button 9", "Left",     "Right"};
  for (int i = 0; i < UD_NUM_LABELS; i++) EXPECT_STREQ(labels[i], devs[0].buttonNames[i]);
}

TEST_F(IniParseTest, ApplicationFileGivesNameAndLabels) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM1:", "appfile", "C:\\apps\\jet.ini");
  Set("GYRANTRIX", "AppName", "Jet", "C:\\apps\\jet.ini");
  Set("Gyrantrix", "button3", "Fire", "C:\\apps\\jet.ini");
  Set("Gyrantrix", "rightbutton", "Menu", "C:\\apps\\jet.ini");
  /* A second port whose application file does not exist. */
  Set("COM2:", "devicetype", "Quorvanel 3200");
  Set("COM2:", "appfile", "C:\\apps\\missing.ini");
  ASSERT_EQ(2, Parse());
  EXPECT_STREQ("C:\\apps\\jet.ini", devs[0].appFile);
  EXPECT_STREQ("Jet", devs[0].appName);
  EXPECT_STREQ("Button 1", devs[0].buttonNames[0]);
  EXPECT_STREQ("Fire", devs[0].buttonNames[2]);
  EXPECT_STREQ("Left", devs[0].buttonNames[9]);
  EXPECT_STREQ("Menu", devs[0].buttonNames[10]);
  EXPECT_STREQ("Gyrantrix", devs[1].appName);
  EXPECT_STREQ("Button 3", devs[1].buttonNames[2]);
}

TEST_F(IniParseTest, HomedirAndVersionGoToEveryRecord) {
  Set("gyrantrix", "homedir", "D:\\Gyx");
  Set("gyrantrix", "version", "8.1");
  Set("gyrantrix", "homedirectory", "E:\\Other"); /* the library's key, not the driver's */
  Set("COM3:", "devicetype", "Lumeqaro 700");
  ASSERT_EQ(1, Parse());
  for (const UdDevice &d : devs) {
    EXPECT_STREQ("D:\\Gyx", d.homeDirectory);
    EXPECT_STREQ("8.1", d.version);
  }
}

TEST_F(IniParseTest, OverLongValuesAreCutToTheFieldWidths) {
  std::string longText(300, 'h');
  Set("gyrantrix", "homedir", longText);
  Set("gyrantrix", "version", longText);
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM1:", "appfile", std::string(300, 'f'));
  ASSERT_EQ(1, Parse());
  EXPECT_EQ(std::string(127, 'h'), devs[0].homeDirectory);
  EXPECT_EQ(std::string(127, 'h'), devs[3].version);
  EXPECT_EQ(std::string(255, 'f'), devs[0].appFile);

  std::string appFile = "C:\\a.ini";
  Set("COM2:", "devicetype", "Quorvanel 2200");
  Set("COM2:", "appfile", appFile);
  Set("Gyrantrix", "appName", std::string(200, 'n'), appFile.c_str());
  Set("Gyrantrix", "button1", std::string(40, 'b'), appFile.c_str());
  ASSERT_EQ(2, Parse());
  EXPECT_EQ(std::string(127, 'n'), devs[1].appName);
  EXPECT_EQ(std::string(31, 'b'), devs[1].buttonNames[0]);
}

TEST_F(IniParseTest, UnknownModelStopsWithoutCountingLaterPorts) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM2:", "devicetype", "Quorvanel 2200x");
  EXPECT_EQ(UD_NO_DEVICE, Parse());
}

}  // namespace
