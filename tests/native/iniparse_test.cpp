/* iniparse_test.cpp — the configuration parser over an in-memory profile
 * with the Win32 matching rules: defaults, model lookup, packing of the
 * configured ports, the application files, the field widths, and the per-axis
 * and button keys (defaults, values read, bad values refused and logged,
 * key combinations, the entries written back). The same
 * cases run against real profile files under Wine (device_config_test). */
#include <gtest/gtest.h>

#include <string>

#include "driver/device/iniaxes.h"
#include "driver/device/inikeys.h"
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

TEST_F(IniParseTest, WithoutAxisOrButtonKeysEverythingIsTheDefault) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  ASSERT_EQ(1, Parse());
  for (const UdDevice &d : devs) {
    for (int a = 0; a < UD_NUM_AXES; a++) {
      EXPECT_EQ(1.0f, d.axes[a].scale) << a;
      EXPECT_EQ(0, d.axes[a].invert) << a;
      EXPECT_EQ(0, d.axes[a].deadZone) << a;
      EXPECT_EQ(a, d.axes[a].source) << a;
    }
    for (int b = 0; b < 32; b++) EXPECT_EQ(0, d.keys[b].vk) << b;
  }
  EXPECT_TRUE(world.log.empty());
}

TEST_F(IniParseTest, AxisAndButtonKeysAreReadPerPort) {
  Set("COM1:", "devicetype", "Quorvanel 2200");
  Set("COM1:", "TYSCALE", "0.25");
  Set("COM1:", "rzInvert", "1");
  Set("COM1:", "txDeadZone", " 40 ");
  Set("COM1:", "txFrom", "TY");
  Set("COM1:", "tyFrom", "tx");
  Set("COM1:", "button1", "Ctrl+Z");
  Set("COM1:", "leftbutton", "shift + f5");
  Set("COM1:", "button9", "Alt+PageDown");
  Set("COM2:", "devicetype", "Quorvanel 3200");
  Set("COM2:", "rxScale", "16");
  ASSERT_EQ(2, Parse());
  const UdAxis *a = devs[0].axes;
  EXPECT_EQ(0.25f, a[1].scale);
  EXPECT_EQ(1, a[5].invert);
  EXPECT_EQ(40, a[0].deadZone);
  EXPECT_EQ(1, a[0].source);
  EXPECT_EQ(0, a[1].source);
  EXPECT_EQ(2, a[2].source);
  EXPECT_EQ(1.0f, a[3].scale) << "another port's keys stay there";
  EXPECT_EQ(16.0f, devs[1].axes[3].scale);
  EXPECT_EQ('Z', devs[0].keys[1].vk);
  EXPECT_EQ(UD_MOD_CTRL, devs[0].keys[1].mods);
  EXPECT_EQ(INI_VK_F1 + 4, devs[0].keys[30].vk);
  EXPECT_EQ(UD_MOD_SHIFT, devs[0].keys[30].mods);
  EXPECT_EQ(INI_VK_NEXT, devs[0].keys[31].vk) << "button9 is bit 31";
  EXPECT_EQ(0, devs[1].keys[1].vk);
  EXPECT_TRUE(world.log.empty());
}

TEST_F(IniParseTest, BadAxisAndButtonValuesAreRefusedOneLogEach) {
  struct Case {
    const char *key, *value;
  };
  const Case cases[] = {{"txScale", "-1"},
                        {"txScale", "abc"},
                        {"txScale", "16.5"},
                        {"txScale", "1.5x"},
                        {"txScale", "nan"},
                        {"txScale", "inf"},
                        {"txScale", "0x2"},
                        {"txScale", "1e1"},
                        {"txInvert", "2"},
                        {"txInvert", "yes"},
                        {"txInvert", "-1"},
                        {"txDeadZone", "-5"},
                        {"txDeadZone", "100001"},
                        {"txDeadZone", "4 0"},
                        {"txDeadZone", "99999999999999999999"},
                        {"txFrom", "tw"},
                        {"txFrom", "t"},
                        {"txFrom", "txx"},
                        {"button1", "Ctrl+"},
                        {"button1", "Ctrl+Ctrl+Z"},
                        {"button1", "Z+X"},
                        {"button1", "Hyper+Z"},
                        {"button1", "F25"},
                        {"button1", "Ctrl"},
                        {"button1", "+Z"},
                        {"button1", "F0"},
                        {"button1", "Ctrl+Verylongkeyname"}};
  for (const Case &c : cases) {
    SetUp();
    world.profile = {};
    world.log.clear();
    Set("COM1:", "devicetype", "Quorvanel 2200");
    Set("COM1:", c.key, c.value);
    Set("COM1:", "tyScale", "2"); /* a good value beside it still counts */
    ASSERT_EQ(1, Parse()) << c.key << "=" << c.value << ": the device still starts";
    ASSERT_EQ(1u, world.log.size()) << c.key << "=" << c.value;
    EXPECT_EQ(UD_BAD_ARGUMENT, world.log[0].code);
    const UdAxis &tx = devs[0].axes[0];
    EXPECT_EQ(1.0f, tx.scale) << c.value;
    EXPECT_EQ(0, tx.invert) << c.value;
    EXPECT_EQ(0, tx.deadZone) << c.value;
    EXPECT_EQ(0, tx.source) << c.value;
    EXPECT_EQ(0, devs[0].keys[1].vk) << c.value;
    EXPECT_EQ(2.0f, devs[0].axes[1].scale) << c.value;
  }
}

TEST(IniKeys, CombinationsReadAndWrittenBack) {
  struct Case {
    const char *text;
    uint8_t vk, mods;
    const char *shown;
  };
  const Case cases[] = {{"Ctrl+Z", 'Z', UD_MOD_CTRL, "Ctrl+Z"},
                        {"z", 'Z', 0, "Z"},
                        {"7", '7', 0, "7"},
                        {"ctrl+SHIFT+f5", INI_VK_F1 + 4, UD_MOD_CTRL | UD_MOD_SHIFT, "Ctrl+Shift+F5"},
                        {"Shift+Ctrl+F24", INI_VK_F1 + 23, UD_MOD_CTRL | UD_MOD_SHIFT, "Ctrl+Shift+F24"},
                        {"Alt+Tab", INI_VK_TAB, UD_MOD_ALT, "Alt+Tab"},
                        {"Win+Left", INI_VK_LEFT, UD_MOD_WIN, "Win+Left"},
                        {" Space ", INI_VK_SPACE, 0, "Space"},
                        {"Esc", INI_VK_ESCAPE, 0, "Esc"},
                        {"Ctrl+Alt+Delete", INI_VK_DELETE, UD_MOD_CTRL | UD_MOD_ALT, "Ctrl+Alt+Delete"}};
  for (const Case &c : cases) {
    UdKey k = {0, 0};
    ASSERT_EQ(0, IniParseKey(c.text, &k)) << c.text;
    EXPECT_EQ(c.vk, k.vk) << c.text;
    EXPECT_EQ(c.mods, k.mods) << c.text;
    char shown[64];
    IniFormatKey(&k, shown, sizeof shown);
    EXPECT_STREQ(c.shown, shown);
    UdKey again = {0, 0};
    ASSERT_EQ(0, IniParseKey(shown, &again));
    EXPECT_EQ(k.vk, again.vk);
    EXPECT_EQ(k.mods, again.mods);
  }
}

TEST(IniAxes, EntriesReadBackAsTheSameSettings) {
  udfake::World world;
  udfake::Reset(&world);
  UdAxis want[UD_NUM_AXES];
  IniAxesDefaults(want);
  want[0] = {0.1f, 1, 25, 4};
  want[3] = {16.0f, 0, 100000, 0};
  want[5] = {0.0f, 1, 0, 5};
  IniEntry entries[INI_AXIS_KEYS];
  IniAxesEntries(want, entries);
  EXPECT_STREQ("txScale", entries[0].key);
  EXPECT_STREQ("0.1", entries[0].value);
  EXPECT_STREQ("txFrom", entries[3].key);
  EXPECT_STREQ("ry", entries[3].value);
  for (const IniEntry &e : entries) world.profile.Set("gyrantx.ini", "COM1:", e.key, e.value);
  UdAxis got[UD_NUM_AXES];
  EXPECT_EQ(0, IniReadAxes(UdCurrentSystem(), "COM1:", "gyrantx.ini", got));
  for (int a = 0; a < UD_NUM_AXES; a++) {
    EXPECT_EQ(want[a].scale, got[a].scale) << a;
    EXPECT_EQ(want[a].invert, got[a].invert) << a;
    EXPECT_EQ(want[a].deadZone, got[a].deadZone) << a;
    EXPECT_EQ(want[a].source, got[a].source) << a;
  }
  EXPECT_TRUE(world.log.empty());
}

}  // namespace
