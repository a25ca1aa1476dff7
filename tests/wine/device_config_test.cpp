// device_config_test.cpp: the configuration as the driver reads it, from real
// profile files in the prefix's Windows directory through the Win32 profile
// functions: model names, empty and incomplete port sections, the menu
// button, application files, and "homedir" against "homedirectory".
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>

#include "lib/inihomed.h"
#include "driver/device/uddev.h"
#include "driver/device/udsystem.h"
#include "harness/harness.h"

namespace {

const char kDefaultHome[] = "\\Program Files\\Halvorin\\Gyrantrix\\Win32";

class DeviceConfig : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, UdUseSystem(UdWin32System()));
    ASSERT_EQ(0, UdLoadModels());
  }
  void TearDown() override {
    UdFreeModels();
    UdClearDevices();
    GyxRemoveIni();
  }
  // Writes gyrantx.ini and loads the device table from it.
  int Load(const std::string &text) {
    EXPECT_TRUE(GyxWriteIni(text));
    return UdLoadDevices();
  }
  std::string Scratch(const char *name) {
    if (dir_.empty()) dir_ = GyxMakeScratchDir("devcfg");
    return GyxWinPath(dir_ + "/" + name);
  }
  std::string dir_;
};

TEST_F(DeviceConfig, NoFileConfiguresNothing) {
  ASSERT_TRUE(GyxRemoveIni());
  ASSERT_EQ(0, UdLoadDevices());
  EXPECT_EQ(0, UdDeviceCount());
  EXPECT_EQ(nullptr, UdFindDevice(-1, nullptr));
}

TEST_F(DeviceConfig, ModelNameInAnyLetterCaseAndWithBlanksAroundIt) {
  ASSERT_EQ(0, Load("[COM1:]\r\ndevicetype=qUORVANEL sTICK\r\n"
                    "[com2:]\r\nDeviceType =  Quorvanel 2200  \r\n"));
  ASSERT_EQ(2, UdDeviceCount());
  EXPECT_EQ(3, UdDeviceAt(0)->type);
  EXPECT_STREQ("COM1:", UdDeviceAt(0)->portName);
  EXPECT_EQ(1, UdDeviceAt(1)->type);
  EXPECT_STREQ("COM2:", UdDeviceAt(1)->portName);
}

TEST_F(DeviceConfig, SectionWithOnlyAnAppFileMakesLoadingFail) {
  EXPECT_EQ(-1, Load("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n[COM3:]\r\nappfile=C:\\jet.ini\r\n"));
  EXPECT_EQ(-1, UdDeviceCount());
}

TEST_F(DeviceConfig, ModelNotInTheTableMakesLoadingFail) {
  EXPECT_EQ(-1, Load("[COM1:]\r\ndevicetype=Quorvanel 2300\r\n"));
  EXPECT_EQ(-1, UdDeviceCount());
}

TEST_F(DeviceConfig, EmptySectionsCountAsNotConfigured) {
  ASSERT_EQ(0, Load("[COM1:]\r\n[COM2:]\r\n; a comment only\r\n"
                    "[COM3:]\r\ndevicetype=Quorvanel 3200\r\n"));
  ASSERT_EQ(1, UdDeviceCount());
  EXPECT_STREQ("COM3:", UdDeviceAt(0)->portName);
  EXPECT_EQ(0, UdDeviceAt(0)->index);
}

TEST_F(DeviceConfig, DevicesOnCom2AndCom4AreDevicesZeroAndOne) {
  ASSERT_EQ(0, Load("[COM4:]\r\ndevicetype=Quorvanel 3200\r\n"
                    "[COM2:]\r\ndevicetype=Quorvanel 2200\r\n"));
  ASSERT_EQ(2, UdDeviceCount());
  EXPECT_STREQ("COM2:", UdDeviceAt(0)->portName);
  EXPECT_EQ(1, UdDeviceAt(0)->type);
  EXPECT_STREQ("COM4:", UdDeviceAt(1)->portName);
  EXPECT_EQ(1, UdDeviceAt(1)->index);
  EXPECT_EQ(UdDeviceAt(1), UdFindDevice(1, nullptr));
}

TEST_F(DeviceConfig, MenuButtonDefaultsToTheLeftButton) {
  ASSERT_EQ(0, Load("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n"
                    "[COM2:]\r\ndevicetype=Quorvanel 2200\r\nMENUBUTTON=31\r\n"));
  EXPECT_EQ(30, UdDeviceAt(0)->menuButton);
  EXPECT_EQ(31, UdDeviceAt(1)->menuButton);
}

TEST_F(DeviceConfig, ApplicationFileNamesAndLabels) {
  std::string app = Scratch("jet.ini");
  ASSERT_TRUE(GyxWriteAppFile(app, GyxAppFileText("Jet Demo", {"Fire", "Brake", "", "Up"})));
  ASSERT_EQ(0, Load("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n"
                    "[COM2:]\r\ndevicetype=Quorvanel 2200\r\nappfile=" +
                    app +
                    "\r\n"
                    "[COM3:]\r\ndevicetype=Quorvanel 2200\r\nappfile=" +
                    Scratch("none.ini") + "\r\n"));
  ASSERT_EQ(3, UdDeviceCount());
  const char *defaults[11] = {"Button 1", "Button 2", "Button 3", "Button 4", "Button 5", "Button 6",
                              "Button 7", "Button 8", "Button 9", "Left",     "Right"};
  for (int d : {0, 2}) {
    SCOPED_TRACE(d);
    EXPECT_STREQ("Gyrantrix", UdDeviceAt(d)->appName);
    for (int i = 0; i < 11; i++) EXPECT_STREQ(defaults[i], UdDeviceAt(d)->buttonNames[i]);
  }
  const UdDevice *jet = UdDeviceAt(1);
  EXPECT_STREQ(app.c_str(), jet->appFile);
  EXPECT_STREQ("Jet Demo", jet->appName);
  EXPECT_STREQ("Fire", jet->buttonNames[0]);
  EXPECT_STREQ("Brake", jet->buttonNames[1]);
  EXPECT_STREQ("", jet->buttonNames[2]) << "a key that is present but empty stays empty";
  EXPECT_STREQ("Up", jet->buttonNames[3]);
  EXPECT_STREQ("Button 5", jet->buttonNames[4]);
  EXPECT_STREQ("Right", jet->buttonNames[10]);
}

TEST_F(DeviceConfig, LongValuesAreCutToTheirFields) {
  std::string app = Scratch("long.ini");
  ASSERT_TRUE(GyxWriteAppFile(app, "[Gyrantrix]\r\nappName=" + std::string(200, 'n') +
                                       "\r\nleftbutton=" + std::string(50, 'l') + "\r\n"));
  ASSERT_EQ(0, Load("[gyrantrix]\r\nhomedir=" + std::string(200, 'h') +
                    "\r\nversion=9.1\r\n"
                    "[COM1:]\r\ndevicetype=Quorvanel 2200\r\nappfile=" +
                    app + "\r\n"));
  const UdDevice *dev = UdDeviceAt(0);
  EXPECT_EQ(std::string(127, 'h'), dev->homeDirectory);
  EXPECT_STREQ("9.1", dev->version);
  EXPECT_EQ(std::string(127, 'n'), dev->appName);
  EXPECT_EQ(std::string(31, 'l'), dev->buttonNames[9]);
}

TEST_F(DeviceConfig, DriverUsesHomedirWhileTheLibraryUsesHomedirectory) {
  ASSERT_EQ(0, Load("[gyrantrix]\r\nhomedirectory=Z:\\opt\\gyx\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\n"));
  EXPECT_STREQ(kDefaultHome, UdDeviceAt(0)->homeDirectory);
  EXPECT_STREQ("8.0", UdDeviceAt(0)->version);
  char home[256];
  EXPECT_EQ(10, IniHomeDir(home, sizeof home, "gyrantx.ini"));
  EXPECT_STREQ("Z:\\opt\\gyx", home);

  ASSERT_EQ(0, Load("[gyrantrix]\r\nhomedir=D:\\gyx\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\n"));
  EXPECT_STREQ("D:\\gyx", UdDeviceAt(0)->homeDirectory);
  EXPECT_EQ((int)strlen(kDefaultHome), IniHomeDir(home, sizeof home, "gyrantx.ini"));
  EXPECT_STREQ(kDefaultHome, home);
}

TEST_F(DeviceConfig, HomeDirectoryIsCutToTheCallersBuffer) {
  ASSERT_TRUE(GyxWriteIni("[gyrantrix]\r\nhomedirectory=C:\\abcdefgh\r\n"));
  char home[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(4, IniHomeDir(home, sizeof home, "gyrantx.ini"));
  EXPECT_STREQ("C:\\a", home);
  EXPECT_EQ(0, IniHomeDir(nullptr, 10, "gyrantx.ini"));
  EXPECT_EQ(0, IniHomeDir(home, 0, "gyrantx.ini"));
}

}  // namespace
