#include "platform/serial/ports.h"

#include "platform/shell/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PortsTest : public ::testing::Test {
protected:
    PortsTest() : previous_(shell::setSettingsFolder(store_.path())) {}
    ~PortsTest() override { shell::setSettingsFolder(previous_); }

    QTemporaryDir store_;
    QString previous_;
};

TEST_F(PortsTest, PortNumberNamesTheMachinesSerialDeviceByDefault) {
    EXPECT_EQ(serial::devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(serial::devicePath(3), "/dev/ttyS2");
    EXPECT_EQ(serial::devicePath(0), "");
}

TEST_F(PortsTest, ASettingChoosesAnotherDeviceForOnePort) {
    ASSERT_TRUE(serial::setDevicePath(2, "/dev/ttyUSB0"));
    EXPECT_EQ(serial::devicePath(2), "/dev/ttyUSB0");
    EXPECT_EQ(serial::devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(shell::GetSetting("Zentrik", "Puertos", "COM2"), "/dev/ttyUSB0");

    ASSERT_TRUE(serial::setDevicePath(2, ""));
    EXPECT_EQ(serial::devicePath(2), "/dev/ttyS1");
}

}  // namespace
