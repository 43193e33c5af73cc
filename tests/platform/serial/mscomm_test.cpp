#include "platform/serial/mscomm.h"

#include "platform/vb/vberror.h"
#include "tests/support/fixtures.h"
#include "tests/support/pseudo_serial.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <termios.h>

namespace {

TEST(MSCommTest, BytesReachTheLineUnchanged) {
    zxtest::PseudoSerialPort line(3);
    MSComm comm;
    comm.setCommPort(3);
    comm.setPortOpen(true);
    EXPECT_TRUE(comm.PortOpen());
    // A line feed goes out alone (no carriage return added) and high bytes stay one byte.
    comm.Output(QByteArray("\x1b\x21\x20\x0d\x1b\x61\x01", 7));
    comm.Output(QStringLiteral("Caf\u00e9\n"));
    comm.setPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(line.received(), QByteArray("\x1b\x21\x20\x0d\x1b\x61\x01"
                                          "Caf\xe9\n"));
}

TEST(MSCommTest, OpeningSetsTheLineTo9600Baud8BitsNoParityOneStopBit) {
    zxtest::PseudoSerialPort line(1);
    MSComm comm;
    comm.setCommPort(1);
    comm.setPortOpen(true);
    const termios tio = line.lineSettings();
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    EXPECT_EQ(tio.c_oflag & OPOST, tcflag_t(0));
}

TEST(MSCommTest, APortThatDoesNotExistOrIsNoLineIsAnInvalidPort) {
    zxtest::PseudoSerialPort line(1);
    QTemporaryDir dir;
    QFile file(dir.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    line.mapPort(4, dir.filePath("missing"));
    line.mapPort(5, file.fileName());
    for (int port : {4, 5}) {
        SCOPED_TRACE(port);
        MSComm comm;
        comm.setCommPort(static_cast<std::int16_t>(port));
        EXPECT_EQ(zxtest::raisedNumber([&] { comm.setPortOpen(true); }), serial::err::PortInvalid);
        EXPECT_FALSE(comm.PortOpen());
    }
}

TEST(MSCommTest, APortHeldByAnotherControlIsRefused) {
    zxtest::PseudoSerialPort line(2);
    MSComm first, second;
    first.setCommPort(2);
    second.setCommPort(2);
    first.setPortOpen(true);
    EXPECT_EQ(zxtest::raisedNumber([&] { second.setPortOpen(true); }),
              serial::err::PortAlreadyOpen);
    first.setPortOpen(false);
    EXPECT_EQ(zxtest::raisedNumber([&] { second.setPortOpen(true); }), 0);
}

TEST(MSCommTest, MisuseRaisesTheControlsErrors) {
    zxtest::PseudoSerialPort line(1);
    MSComm comm;
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.Output(QByteArray("x")); }),
              serial::err::PortNotOpen);
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.setCommPort(0); }), serial::err::PortInvalid);
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.setSettings("9600,x,8,1"); }),
              serial::err::InvalidPropertyValue);
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.setPortOpen(false); }), 0);
    comm.setPortOpen(true);
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.setCommPort(2); }), serial::err::PortOpen);
    EXPECT_EQ(zxtest::raisedNumber([&] { comm.setPortOpen(true); }), serial::err::PortAlreadyOpen);
    EXPECT_EQ(comm.CommPort(), 1);
}

}  // namespace
