// The platform calls as every system has them: the codes and texts of the
// failures the port logic reports itself, a port name that names nothing, and
// a connection nobody answers.

#include "serial/CommHandle.h"
#include "serial/CommPlatform.h"

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;
using namespace CommPlatform;

namespace {

TEST(PlatformErrors, FaultsHaveDistinctCodesAndOneLineTexts)
{
    const Fault faults[] = {Fault::BadHandle, Fault::Invalid, Fault::TimedOut,
                            Fault::ConnectionReset, Fault::NotSupported, Fault::NotFound};
    std::set<int> codes;
    for (Fault fault : faults) {
        const int code = faultCode(fault);
        codes.insert(code);
        const QString text = systemErrorText(code);
        EXPECT_FALSE(text.isEmpty()) << code;
        EXPECT_FALSE(text.contains(u'\n') || text.contains(u'\r')) << text.toStdString();
        EXPECT_FALSE(text.back().isSpace()) << text.toStdString();

        setLastError(code);
        EXPECT_EQ(lastError().code, code);
        EXPECT_EQ(lastError().text, text);
        setLastError(code, u"own words"_s);
        EXPECT_EQ(lastError().text, u"own words"_s);
    }
    EXPECT_EQ(codes.size(), std::size(faults));
}

TEST(PlatformErrors, EmptyPortNameIsNotFoundAtCreateFile)
{
    EXPECT_EQ(openDevice(QString()), nullptr);
    const int code = faultCode(Fault::NotFound);
    EXPECT_EQ(lastError().code, code);

    TComm comm;
    comm.setDeviceName(QString());
    try {
        comm.Open();
        FAIL() << "opened a port without a name";
    } catch (const EComError &e) {
        EXPECT_EQ(e.code(), code);
        EXPECT_EQ(e.function(), u"CreateFile"_s);
        EXPECT_EQ(e.message(), EComError::formatMessage(code, systemErrorText(code), u"CreateFile"_s));
    }
    EXPECT_FALSE(comm.Active());
}

TEST(PlatformErrors, RefusedConnectionNamesHostAndPort)
{
    // Nothing listens on port 1 of the loopback address.
    EXPECT_EQ(connectSocket(u"127.0.0.1"_s, 1, 5000), nullptr);
    const Error error = lastError();
    EXPECT_NE(error.code, 0);
    EXPECT_TRUE(error.text.endsWith(u" (127.0.0.1 port 1)"_s)) << error.text.toStdString();
    EXPECT_FALSE(error.text.contains(u". (127.0.0.1"_s)) << error.text.toStdString();
}

} // namespace
