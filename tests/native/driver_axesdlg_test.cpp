// The Axes dialog's rows without the window: what they show for a device's
// per-axis settings, and reading them back with the configuration file's
// checks (a refused field is named and nothing changes).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "driver/device/iniaxes.h"
#include "driver/uiaxes.h"
#include "fakedvr.h"

namespace {

// The dialog's controls as plain values.
struct Form {
  std::map<int32_t, std::string> text;
  std::map<int32_t, int32_t> check, choice;
};

const UiAxesView kView = {
    .setText = [](void *c, int32_t id, const char *t) { ((Form *)c)->text[id] = t; },
    .getText = [](void *c, int32_t id, char *buf,
                  size_t size) { snprintf(buf, size, "%s", ((Form *)c)->text[id].c_str()); },
    .setCheck = [](void *c, int32_t id, int32_t v) { ((Form *)c)->check[id] = v; },
    .getCheck = [](void *c, int32_t id) { return ((Form *)c)->check[id]; },
    .setChoice = [](void *c, int32_t id, int32_t v) { ((Form *)c)->choice[id] = v; },
    .getChoice = [](void *c, int32_t id) { return ((Form *)c)->choice[id]; },
};

class AxesDialog : public ::testing::Test {
 protected:
  UdDevice dev;
  Form form;
  void SetUp() override {
    fakedvr::Reset();
    std::memset(&dev, 0, sizeof dev);
    std::snprintf(dev.portName, sizeof dev.portName, "COM2:");
    dev.model = UdModelByName("Quorvanel 3200");
    IniAxesDefaults(dev.axes);
    dev.axes[1] = {0.25f, 1, 40, 4};
  }
};

TEST_F(AxesDialog, RowsShowTheSettingsAndReadBackUnchanged) {
  UiAxesShow(&kView, &form, &dev);
  EXPECT_EQ(form.text[IDC_AXES_DEVICE], "COM2: Quorvanel 3200");
  EXPECT_EQ(form.text[IDC_AXIS_SCALE + 0], "1");
  EXPECT_EQ(form.text[IDC_AXIS_SCALE + 1], "0.25");
  EXPECT_EQ(form.check[IDC_AXIS_INVERT + 1], 1);
  EXPECT_EQ(form.text[IDC_AXIS_DEAD_ZONE + 1], "40");
  EXPECT_EQ(form.choice[IDC_AXIS_FROM + 1], 4);
  EXPECT_EQ(form.choice[IDC_AXIS_FROM + 5], 5);
  UdAxis got[UD_NUM_AXES];
  int32_t bad = 0;
  ASSERT_EQ(UiAxesRead(&kView, &form, got, &bad), 0);
  for (int a = 0; a < UD_NUM_AXES; a++) {
    EXPECT_EQ(got[a].scale, dev.axes[a].scale) << a;
    EXPECT_EQ(got[a].invert, dev.axes[a].invert) << a;
    EXPECT_EQ(got[a].deadZone, dev.axes[a].deadZone) << a;
    EXPECT_EQ(got[a].source, dev.axes[a].source) << a;
  }
}

TEST_F(AxesDialog, ARefusedFieldIsNamedAndNothingIsRead) {
  struct Case {
    int32_t id;
    const char *text;
  };
  const Case cases[] = {{IDC_AXIS_SCALE + 2, "-1"},     {IDC_AXIS_SCALE + 5, "17"},
                        {IDC_AXIS_SCALE + 0, ""},       {IDC_AXIS_DEAD_ZONE + 3, "abc"},
                        {IDC_AXIS_DEAD_ZONE + 4, "-3"}, {IDC_AXIS_FROM + 1, nullptr}};
  for (const Case &c : cases) {
    SetUp();
    form = Form();
    UiAxesShow(&kView, &form, &dev);
    if (c.text)
      form.text[c.id] = c.text;
    else
      form.choice[c.id] = -1;  // nothing chosen
    UdAxis got[UD_NUM_AXES];
    std::memset(got, 0x5A, sizeof got);
    int32_t bad = 0;
    EXPECT_EQ(UiAxesRead(&kView, &form, got, &bad), UD_BAD_ARGUMENT) << c.id;
    EXPECT_EQ(bad, c.id);
    EXPECT_EQ(got[0].invert, 0x5A5A5A5A) << "out unchanged";
    EXPECT_EQ(fakedvr::S().logged.size(), 1u) << c.id;
  }
}

}  // namespace
