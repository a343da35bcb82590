#include <gtest/gtest.h>

#include <ostream>

#include <map>

#include "link/serial/port_naming.h"

namespace {

TEST(PortNaming, AdaptersFirstThenTheRestCountingNumbersAsNumbers) {
    const QStringList listed = {"/dev/ttyS10",  "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB1",
                                "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyAMA0"};
    const QStringList expected = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyAMA0",
                                  "/dev/ttyS0",   "/dev/ttyS2",   "/dev/ttyS10"};
    EXPECT_EQ(orderSerialPorts(listed), expected);
}

struct BindingCase {
    const char* name;
    int port;
    std::map<QString, QString> env;
    QStringList system;
    QString expected;
};
void PrintTo(const BindingCase& c, std::ostream* os) {
    *os << c.name;
}

class PortBinding : public ::testing::TestWithParam<BindingCase> {};

TEST_P(PortBinding, ResolvesTheDevice) {
    const BindingCase& c = GetParam();
    const EnvironmentLookup env = [&](const QString& name) {
        const auto it = c.env.find(name);
        return it == c.env.end() ? QString() : it->second;
    };
    EXPECT_EQ(comPortDevice(c.port, env, c.system), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortBinding,
    ::testing::Values(
        BindingCase{
            "VariableWins", 1, {{"VXM90_COM1", "/dev/pts/7"}}, {"/dev/ttyUSB0"}, "/dev/pts/7"},
        BindingCase{"VariableOfAnotherPortIgnored",
                    1,
                    {{"VXM90_COM2", "/dev/pts/7"}},
                    {"/dev/ttyUSB0"},
                    "/dev/ttyUSB0"},
        BindingCase{"EmptyVariableFallsBack",
                    2,
                    {{"VXM90_COM2", ""}},
                    {"/dev/ttyS0", "/dev/ttyUSB0"},
                    "/dev/ttyS0"},
        BindingCase{
            "NthListedPort", 3, {}, {"/dev/ttyS1", "/dev/ttyS0", "/dev/ttyUSB0"}, "/dev/ttyS1"},
        BindingCase{"BeyondTheList", 4, {}, {"/dev/ttyS0"}, ""},
        BindingCase{"NothingListed", 1, {}, {}, ""}),
    [](const ::testing::TestParamInfo<BindingCase>& p) { return p.param.name; });

TEST(PortNaming, ToolTipNamesTheDeviceOrItsAbsence) {
    EXPECT_EQ(comPortToolTip(1, "/dev/ttyUSB0"), "COM 1: /dev/ttyUSB0");
    EXPECT_EQ(comPortToolTip(4, ""), "COM 4: no serial port present");
}

}  // namespace
